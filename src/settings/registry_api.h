#pragma once

#include <cstdint>
#include <string>

namespace quillcrest {

// The registry calls the settings logic needs, with the Windows numbers as plain integers so the logic builds and
// is tested without Windows.

// An open key or a predefined root, as the platform's handle value.
using RegKey = std::uintptr_t;
// A platform result code; kRegSuccess is the only success.
using RegResult = std::int32_t;

constexpr RegResult kRegSuccess = 0;
constexpr RegResult kRegFileNotFound = 2;
constexpr RegResult kRegAccessDenied = 5;
constexpr RegResult kRegInvalidHandle = 6;
constexpr RegResult kRegInvalidParameter = 87;
constexpr RegResult kRegMoreData = 234;
constexpr RegResult kRegNoMoreItems = 259;

// Registry data types.
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;
constexpr std::uint32_t kRegQword = 11;

// Access masks.
constexpr std::uint32_t kKeyRead = 0x20019;
constexpr std::uint32_t kKeyWrite = 0x20006;
constexpr std::uint32_t kKeyReadWrite = kKeyRead | kKeyWrite;  // 0x2001F
constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// The predefined roots, as their 32-bit numbers.
constexpr std::uint32_t kHkeyClassesRoot = 0x80000000u;
constexpr std::uint32_t kHkeyCurrentUser = 0x80000001u;
constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;
constexpr std::uint32_t kHkeyUsers = 0x80000003u;
constexpr std::uint32_t kHkeyPerformanceData = 0x80000004u;
constexpr std::uint32_t kHkeyCurrentConfig = 0x80000005u;
constexpr std::uint32_t kHkeyDynData = 0x80000006u;

// The longest key name, in characters, that key enumeration can hand back.
constexpr std::uint32_t kMaxKeyNameLength = 255;

// The handle value of a predefined root. Windows defines the roots as 32-bit LONGs widened to a pointer, so on
// 64-bit Windows they are sign-extended (HKEY_CURRENT_USER is 0xFFFFFFFF80000001 there).
constexpr RegKey PredefinedKey(std::uint32_t root) {
    return static_cast<RegKey>(static_cast<std::intptr_t>(static_cast<std::int32_t>(root)));
}

class RegistryApi {
  public:
    virtual ~RegistryApi() = default;

    // Opens parent\subKey, creating every missing key on the way (non-volatile, default security).
    virtual RegResult CreateKey(RegKey parent, const std::string& subKey, std::uint32_t access, RegKey& key) = 0;
    // Opens parent\subKey if it exists.
    virtual RegResult OpenKey(RegKey parent, const std::string& subKey, std::uint32_t access, RegKey& key) = 0;
    // With data null: the value's type and size. With data: copies up to *size bytes, answering kRegMoreData
    // (and the needed size) when they do not fit. type may be null.
    virtual RegResult QueryValue(RegKey key,
                                 const std::string& name,
                                 std::uint32_t* type,
                                 std::uint8_t* data,
                                 std::uint32_t* size) = 0;
    // Creates or replaces the value, whatever type it had.
    virtual RegResult SetValue(RegKey key,
                               const std::string& name,
                               std::uint32_t type,
                               const std::uint8_t* data,
                               std::uint32_t size) = 0;
    virtual RegResult DeleteValue(RegKey key, const std::string& name) = 0;
    // The name of the subkey at index; kRegNoMoreItems past the last one.
    virtual RegResult EnumKey(RegKey key, std::uint32_t index, std::string& name) = 0;
    // Deletes parent\subKey; on the NT family it must have no subkeys left.
    virtual RegResult DeleteKey(RegKey parent, const std::string& subKey) = 0;
    virtual void CloseKey(RegKey key) = 0;
    // True on the NT family, where a write asks for fewer rights than elsewhere.
    virtual bool IsNtFamily() const = 0;
};

}  // namespace quillcrest
