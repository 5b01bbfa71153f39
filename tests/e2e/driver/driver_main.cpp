// Drives the program's windows from outside for the end-to-end tests: finds top-level windows by class and
// caption, reads their state and posts clicks, the way a user's input would arrive.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/main_window_ids.h"
#include "base/win_handles_win.h"
#include "driver_geometry.h"
#include "driver_processes.h"
#include "lookup/lookup_window_ids.h"
#include "pages/pages_window_ids.h"

namespace {

namespace ids = quillcrest::main_window_ids;

// Controls by the names the end-to-end script uses; the numbers come from the program's own header.
struct NamedControl {
    const char* name;
    int id;
};
constexpr NamedControl kNamedControls[] = {
    {"banner", ids::kBannerPicture},
    {"use-default", ids::kUseDefaultDnsChoice},
    {"use-opendns", ids::kUseOpenDnsChoice},
    {"check-dns", ids::kCheckDnsButton},
    {"monitor-box", ids::kMonitorBox},
    {"panel", ids::kBottomPanel},
    {"info", ids::kInfoButton},
    {"apply", ids::kApplyButton},
    {"close", ids::kCloseButton},
    {"close-to-tray", ids::kCloseToTrayItem},
    {"quit-program", ids::kQuitProgramItem},
    {"open", ids::kOpenItem},
    {"exit", ids::kExitItem},
    {"lookup-explanation", quillcrest::lookup_window_ids::kExplanation},
    {"lookup-report", quillcrest::lookup_window_ids::kReportView},
    {"lookup-busy", quillcrest::lookup_window_ids::kBusyNotice},
    {"lookup-check", quillcrest::lookup_window_ids::kCheckButton},
    {"lookup-save", quillcrest::lookup_window_ids::kSaveAsDefaultButton},
    {"lookup-close", quillcrest::lookup_window_ids::kCloseButton},
    {"message-view", quillcrest::pages_window_ids::kMessageView},
    {"thanks", quillcrest::pages_window_ids::kThanksButton},
    {"info-picture", quillcrest::pages_window_ids::kInformationPicture},
    {"info-view", quillcrest::pages_window_ids::kInformationView},
    {"info-ok", quillcrest::pages_window_ids::kInformationOkButton},
};

// A control named in kNamedControls, or a plain number.
int ControlId(const char* arg) {
    for (const NamedControl& control : kNamedControls) {
        if (std::strcmp(control.name, arg) == 0)
            return control.id;
    }
    return std::atoi(arg);
}

constexpr DWORD kPollIntervalMs = 50;
// Finer, for measuring how soon a window appears.
constexpr DWORD kTimingPollIntervalMs = 5;
constexpr int kTextBufferSize = 512;

struct Found {
    std::vector<HWND> windows;
    const char* className;
    const char* caption;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    char className[kTextBufferSize] = {};
    ::GetClassNameA(hwnd, className, kTextBufferSize);
    if (std::strcmp(className, found->className) != 0)
        return TRUE;
    if (found->caption) {
        char caption[kTextBufferSize] = {};
        ::GetWindowTextA(hwnd, caption, kTextBufferSize);
        if (std::strcmp(caption, found->caption) != 0)
            return TRUE;
    }
    found->windows.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevel(const char* className, const char* caption = nullptr) {
    Found found{{}, className, caption};
    ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

HWND WaitFor(const char* className,
             const char* caption,
             DWORD timeoutMs,
             bool mustBeVisible,
             DWORD pollIntervalMs = kPollIntervalMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        for (HWND hwnd : TopLevel(className, caption)) {
            if (!mustBeVisible || ::IsWindowVisible(hwnd))
                return hwnd;
        }
        if (::GetTickCount() - start >= timeoutMs)
            return nullptr;
        ::Sleep(pollIntervalMs);
    }
}

// Writes a text value under HKEY_LOCAL_MACHINE, making the key when missing, and waits for a window of the class
// to be shown. Prints the milliseconds from the write to the window; 1 when it never came or the write failed.
int WriteThenWait(const char* path, const char* name, const char* data, const char* className, DWORD timeoutMs) {
    quillcrest::UniqueKey key;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return 1;
    LARGE_INTEGER frequency, written, shown;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&written);
    const LONG status = ::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                                         static_cast<DWORD>(std::strlen(data) + 1));
    if (status != ERROR_SUCCESS || !WaitFor(className, nullptr, timeoutMs, true, kTimingPollIntervalMs))
        return 1;
    ::QueryPerformanceCounter(&shown);
    std::printf("%.0f\n", (shown.QuadPart - written.QuadPart) * 1000.0 / frequency.QuadPart);
    return 0;
}

std::string Text(HWND hwnd) {
    char text[kTextBufferSize] = {};
    ::GetWindowTextA(hwnd, text, kTextBufferSize);
    return text;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

BOOL CALLBACK PrintChild(HWND hwnd, LPARAM) {
    char className[kTextBufferSize] = {};
    ::GetClassNameA(hwnd, className, kTextBufferSize);
    std::printf("%d|%s|%s|%d\n", ::GetDlgCtrlID(hwnd), className, Escaped(Text(hwnd)).c_str(),
                ::IsWindowVisible(hwnd) ? 1 : 0);
    return TRUE;
}

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindChild(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    if (::GetDlgCtrlID(hwnd) == search->id) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND ChildById(HWND parent, int id) {
    ChildSearch search{id, nullptr};
    ::EnumChildWindows(parent, &FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: qcdriver id NAME | text CLASS CONTROL | menu-item INDEX COUNT | focus CLASS | checked CLASS "
                 "CONTROL | taskbar-created\n"
                 "       qcdriver post-child CLASS CONTROL MESSAGE WPARAM LPARAM | tray-icon exists|remove\n"
                 "       qcdriver wait CLASS CAPTION|- TIMEOUT_MS [visible]\n"
                 "       qcdriver info CLASS | children CLASS | count CLASS | geometry CLASS | dpi\n"
                 "       qcdriver box TITLE TIMEOUT_MS | box-text TITLE TIMEOUT_MS | click-box TITLE BUTTON_ID\n"
                 "       qcdriver click CLASS CONTROL_ID | post CLASS MESSAGE WPARAM LPARAM | close CLASS PID...\n"
                 "       qcdriver start-limited EXE | runas EXE PARAMETERS TIMEOUT_MS | adapters\n"
                 "       qcdriver started PID IMAGE | end PID STARTED\n"
                 "       qcdriver write-then-wait HKLM_PATH NAME TEXT CLASS TIMEOUT_MS\n");
    return 2;
}

// Every adapter GetAdaptersAddresses lists, one a line: its AdapterName (the braced GUID), its connection name
// (FriendlyName, in the ANSI code page) and its interface type, separated by "|".
int PrintAdapters() {
    std::vector<unsigned long long> buffer(64 * 1024 / sizeof(unsigned long long));
    ULONG size = static_cast<ULONG>(buffer.size() * sizeof(buffer[0]));
    auto* first = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    if (::GetAdaptersAddresses(AF_UNSPEC, GAA_FLAG_SKIP_UNICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST,
                               nullptr, first, &size) != ERROR_SUCCESS)
        return 1;
    for (const IP_ADAPTER_ADDRESSES* adapter = first; adapter; adapter = adapter->Next) {
        char name[kTextBufferSize] = {};
        ::WideCharToMultiByte(CP_ACP, 0, adapter->FriendlyName, -1, name, kTextBufferSize - 1, nullptr, nullptr);
        std::printf("%s|%s|%lu\n", adapter->AdapterName, name, static_cast<unsigned long>(adapter->IfType));
    }
    return 0;
}

const char* CaptionArg(const char* arg) {
    return std::strcmp(arg, "-") == 0 ? nullptr : arg;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    quillcrest::driver::BecomeDpiAware();
    const std::string command = argv[1];
    if (command == "adapters")
        return PrintAdapters();
    if (command == "dpi")
        return quillcrest::driver::PrintDpiFacts();
    if (command == "taskbar-created") {
        ::SendNotifyMessageA(HWND_BROADCAST, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        return 0;
    }
    if (argc < 3)
        return Usage();
    if (command == "start-limited")
        return quillcrest::driver::StartLimited(argv[2]);
    if (command == "runas" && argc >= 5)
        return quillcrest::driver::RunAs(argv[2], argv[3], std::strtoul(argv[4], nullptr, 10));
    if (command == "started" && argc >= 4)
        return quillcrest::driver::PrintProcessStart(std::strtoul(argv[2], nullptr, 10), argv[3]);
    if (command == "end" && argc >= 4)
        return quillcrest::driver::EndProcess(std::strtoul(argv[2], nullptr, 10), argv[3]);

    if (command == "wait" && argc >= 5) {
        const bool visible = argc >= 6 && std::strcmp(argv[5], "visible") == 0;
        HWND hwnd = WaitFor(argv[2], CaptionArg(argv[3]), std::strtoul(argv[4], nullptr, 10), visible);
        if (!hwnd)
            return 1;
        std::printf("%p\n", static_cast<void*>(hwnd));
        return 0;
    }
    if (command == "write-then-wait" && argc >= 7)
        return WriteThenWait(argv[2], argv[3], argv[4], argv[5], std::strtoul(argv[6], nullptr, 10));
    if (command == "count") {
        std::printf("%zu\n", TopLevel(argv[2]).size());
        return 0;
    }
    if (command == "info") {
        const std::vector<HWND> windows = TopLevel(argv[2]);
        if (windows.empty())
            return 1;
        HWND hwnd = windows.front();
        RECT client, frame;
        ::GetClientRect(hwnd, &client);
        ::GetWindowRect(hwnd, &frame);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        std::printf("caption=%s\n", Text(hwnd).c_str());
        std::printf("visible=%d\n", ::IsWindowVisible(hwnd) ? 1 : 0);
        std::printf("iconic=%d\n", ::IsIconic(hwnd) ? 1 : 0);
        std::printf("client=%ldx%ld\n", client.right - client.left, client.bottom - client.top);
        std::printf("frame=%ld,%ld,%ld,%ld\n", frame.left, frame.top, frame.right, frame.bottom);
        std::printf("screen=%dx%d\n", ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
        std::printf("style=0x%08lx\n", static_cast<unsigned long>(::GetWindowLongA(hwnd, GWL_STYLE)));
        std::printf("exstyle=0x%08lx\n", static_cast<unsigned long>(::GetWindowLongA(hwnd, GWL_EXSTYLE)));
        std::printf("pid=%lu\n", static_cast<unsigned long>(pid));
        return 0;
    }
    if (command == "geometry") {
        const std::vector<HWND> windows = TopLevel(argv[2]);
        return windows.empty() ? 1 : quillcrest::driver::PrintControlGeometry(windows.front());
    }
    if (command == "children") {
        const std::vector<HWND> windows = TopLevel(argv[2]);
        if (windows.empty())
            return 1;
        ::EnumChildWindows(windows.front(), &PrintChild, 0);
        return 0;
    }
    if (command == "box" && argc >= 4) {
        HWND box = WaitFor("#32770", argv[2], std::strtoul(argv[3], nullptr, 10), true);
        if (!box)
            return 1;
        HWND text = ::GetDlgItem(box, 0xFFFF);
        std::printf("%s\n", Escaped(text ? Text(text) : std::string()).c_str());
        return 0;
    }
    if (command == "box-text" && argc >= 4) {
        // The box's message through WM_GETTEXT across processes, as assistive tools read it.
        HWND box = WaitFor("#32770", argv[2], std::strtoul(argv[3], nullptr, 10), true);
        HWND text = box ? ::GetDlgItem(box, 0xFFFF) : nullptr;
        if (!text)
            return 1;
        char buffer[kTextBufferSize * 4] = {};
        DWORD_PTR copied = 0;
        if (!::SendMessageTimeoutA(text, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                                   5000, &copied))
            return 1;
        std::printf("%s\n", Escaped(std::string(buffer, copied)).c_str());
        return 0;
    }
    if (command == "click-box" && argc >= 4) {
        HWND box = WaitFor("#32770", argv[2], 0, true);
        if (!box)
            return 1;
        const int id = ControlId(argv[3]);
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
        return 0;
    }
    if (command == "click" && argc >= 4) {
        const std::vector<HWND> windows = TopLevel(argv[2]);
        if (windows.empty())
            return 1;
        HWND control = ChildById(windows.front(), ControlId(argv[3]));
        if (!control)
            return 1;
        ::PostMessageA(control, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == "focus") {
        // The control holding the keyboard focus in the window's thread, by id (0 for none).
        const std::vector<HWND> windows = TopLevel(argv[2]);
        if (windows.empty())
            return 1;
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(windows.front(), nullptr), &info);
        std::printf("%d\n", info.hwndFocus ? ::GetDlgCtrlID(info.hwndFocus) : 0);
        return 0;
    }
    if (command == "text" && argc >= 4) {
        // A control's text through WM_GETTEXT, as assistive tools read it (the report view answers with its
        // visible text).
        const std::vector<HWND> windows = TopLevel(argv[2]);
        HWND control = windows.empty() ? nullptr : ChildById(windows.front(), ControlId(argv[3]));
        if (!control)
            return 1;
        DWORD_PTR length = 0;
        ::SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
        std::vector<char> text(length + 1);
        DWORD_PTR copied = 0;
        ::SendMessageTimeoutA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                              5000, &copied);
        std::printf("%s\n", Escaped(std::string(text.data(), copied)).c_str());
        return 0;
    }
    if (command == "checked" && argc >= 4) {
        const std::vector<HWND> windows = TopLevel(argv[2]);
        HWND control = windows.empty() ? nullptr : ChildById(windows.front(), ControlId(argv[3]));
        if (!control)
            return 1;
        std::printf("%d\n", static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0)));
        return 0;
    }
    if (command == "post-child" && argc >= 7) {
        const std::vector<HWND> windows = TopLevel(argv[2]);
        HWND control = windows.empty() ? nullptr : ChildById(windows.front(), ControlId(argv[3]));
        if (!control)
            return 1;
        ::PostMessageA(control, std::strtoul(argv[4], nullptr, 0), std::strtoul(argv[5], nullptr, 0),
                       std::strtol(argv[6], nullptr, 0));
        return 0;
    }
    if (command == "tray-icon" && argc >= 3) {
        // "exists": whether the shell still holds the program's icon (a modify of a missing icon fails);
        // "remove": takes it away, as a restarting shell would forget it.
        HWND owner = ::FindWindowA("TTrayIconWindow", nullptr);
        if (!owner)
            return 1;
        NOTIFYICONDATAA data{};
        data.cbSize = sizeof(data);
        data.hWnd = owner;
        data.uID = 1;
        if (std::strcmp(argv[2], "remove") == 0)
            return ::Shell_NotifyIconA(NIM_DELETE, &data) ? 0 : 1;
        std::printf("%d\n", ::Shell_NotifyIconA(NIM_MODIFY, &data) ? 1 : 0);
        return 0;
    }
    if (command == "menu-item" && argc >= 4) {
        // The screen centre of item INDEX (of COUNT items of one height) of the popup menu open now, for a real
        // click on it.
        const std::vector<HWND> menus = TopLevel("#32768");
        HWND menuWindow = nullptr;
        for (HWND hwnd : menus) {
            if (::IsWindowVisible(hwnd))
                menuWindow = hwnd;
        }
        if (!menuWindow)
            return 1;
        RECT rect;
        ::GetWindowRect(menuWindow, &rect);
        const int index = std::atoi(argv[2]);
        const int count = std::max(1, std::atoi(argv[3]));
        const int border = ::GetSystemMetrics(SM_CYEDGE) + 1;
        const long itemHeight = (rect.bottom - rect.top - 2 * border) / count;
        std::printf("%ld %ld\n", (rect.left + rect.right) / 2, rect.top + border + itemHeight * index + itemHeight / 2);
        return 0;
    }
    if (command == "id") {
        std::printf("%d\n", ControlId(argv[2]));
        return 0;
    }
    if (command == "post" && argc >= 6) {
        const std::vector<HWND> windows = TopLevel(argv[2]);
        if (windows.empty())
            return 1;
        ::PostMessageA(windows.front(), std::strtoul(argv[3], nullptr, 0), std::strtoul(argv[4], nullptr, 0),
                       std::strtol(argv[5], nullptr, 0));
        return 0;
    }
    if (command == "close") {
        // WM_CLOSE to every top-level window of the class that belongs to one of the processes named by id, so
        // that a copy of the program the run did not start is never asked; prints how many were asked.
        int asked = 0;
        for (HWND hwnd : TopLevel(argv[2])) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(hwnd, &pid);
            for (int i = 3; i < argc; ++i) {
                if (std::strtoul(argv[i], nullptr, 10) == pid) {
                    ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
                    ++asked;
                }
            }
        }
        std::printf("%d\n", asked);
        return 0;
    }
    return Usage();
}
