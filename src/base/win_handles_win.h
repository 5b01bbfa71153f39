#pragma once

#include <windows.h>
#include <oleauto.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <utility>

#include "base/unique_handle.h"

namespace quillcrest {

using UniqueKey = UniqueHandle<HKEY, decltype(&::RegCloseKey), &::RegCloseKey>;
using UniqueKernelHandle = UniqueHandle<HANDLE, decltype(&::CloseHandle), &::CloseHandle>;

// Files (CreateFileA) answer INVALID_HANDLE_VALUE rather than null when they fail, and that value is no constant
// expression, so file handles get traits of their own.
struct FileHandleTraits {
    using Type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};
using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueSocket = UniqueHandle<SOCKET, decltype(&::closesocket), &::closesocket, INVALID_SOCKET>;
using UniqueAddressInfo = UniqueHandle<addrinfo*, decltype(&::freeaddrinfo), &::freeaddrinfo>;
using UniqueIcon = UniqueHandle<HICON, decltype(&::DestroyIcon), &::DestroyIcon>;
using UniqueMenu = UniqueHandle<HMENU, decltype(&::DestroyMenu), &::DestroyMenu>;
using UniqueHook = UniqueHandle<HHOOK, decltype(&::UnhookWindowsHookEx), &::UnhookWindowsHookEx>;
using UniqueWindow = UniqueHandle<HWND, decltype(&::DestroyWindow), &::DestroyWindow>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, decltype(&::DeleteObject), &::DeleteObject>;
using UniqueDc = UniqueHandle<HDC, decltype(&::DeleteDC), &::DeleteDC>;
using UniqueSid = UniqueHandle<PSID, decltype(&::FreeSid), &::FreeSid>;
using UniqueLocal = UniqueHandle<HLOCAL, decltype(&::LocalFree), &::LocalFree>;
using UniqueBstr = UniqueHandle<BSTR, decltype(&::SysFreeString), &::SysFreeString>;
using UniqueSafeArray = UniqueHandle<SAFEARRAY*, decltype(&::SafeArrayDestroy), &::SafeArrayDestroy>;

// VARIANT is a value, not a handle, so it gets its own small owner with the same shape.
class UniqueVariant {
public:
    UniqueVariant() { ::VariantInit(&value_); }
    ~UniqueVariant() { reset(); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    UniqueVariant(UniqueVariant&& other) noexcept : value_(other.release()) {}
    UniqueVariant& operator=(UniqueVariant&& other) noexcept {
        if (this != &other) {
            reset();
            value_ = other.release();
        }
        return *this;
    }

    const VARIANT& get() const { return value_; }
    VARIANT* put() {
        reset();
        return &value_;
    }
    VARIANT release() {
        VARIANT out = value_;
        ::VariantInit(&value_);
        return out;
    }
    void reset() {
        ::VariantClear(&value_);
        ::VariantInit(&value_);
    }

private:
    VARIANT value_;
};

}  // namespace quillcrest
