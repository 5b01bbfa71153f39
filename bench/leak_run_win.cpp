// Leak run: 10,000 30-second check ticks and 1,000 alert cycles through the real main window and its real alert
// dialog in one process, with the process's memory, handles, GDI objects and USER objects sampled after the
// first 10 cycles, half-way and at the end. Goal: no growth.
//
// Every cycle alerts: the preferred adapter's stored default list is set to a server the machine does not
// have, and each cycle turns the monitor switch off and on again between two ticks of the 120-second timer,
// so the second tick finds the 30-second timer off and checks against the default list. The alert is
// answered "Fix It" and the confirmation "No" from inside the process, by clicks posted to the buttons when
// each window is shown; nothing is changed, so the next cycle alerts again.
//
// Usage: leak_run.exe [cycles] [ticks per cycle]. Prints one result line per measure,
// "BENCH|<name>|<figure>|<goal>|<ratio>|<verdict>", for the report script.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <thread>

#include "app/application_win.h"
#include "app/error_report.h"
#include "app/main_window_ids.h"
#include "app/main_window_win.h"
#include "base/com_setup_win.h"
#include "base/utf8_text_win.h"
#include "bench_clock_win.h"
#include "netconfig/adapter_guid.h"
#include "netconfig/dns_server_list_win.h"
#include "netconfig/wmi_connection_win.h"
#include "netconfig/wmi_query_win.h"
#include "settings/process_facts_win.h"
#include "settings/registry_api_win.h"
#include "watch/change_check.h"
#include "watch/interface_records.h"
#include "watch/watch_dialogs_win.h"
#include "widgets/notice_dialog_win.h"
#include "window_shell_win.h"

using namespace quillcrest;
using bench::Now;

namespace {

constexpr char kForeignServer[] = "127.0.0.99";
constexpr int kFixItButtonId = NoticeDialog::kFirstButtonId + 1;
constexpr int kMessageBoxTextId = 0xFFFF;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "leak run: %s\n", what.c_str());
    std::fflush(stderr);
    ::ExitProcess(2);
}

// --- answering the dialogs from inside the process --------------------------------------------------------------

HWND g_alert = nullptr;
int g_alerts = 0;
int g_confirms = 0;
int g_otherBoxes = 0;
int g_reportedErrors = 0;
std::atomic<long> g_progress{0};

std::string ClassOf(HWND hwnd) {
    char name[64] = "";
    ::GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

std::string TextOf(HWND hwnd) {
    char text[512] = "";
    ::GetWindowTextA(hwnd, text, sizeof(text));
    return text;
}

// Sees every message sent to the thread's windows; when the alert or a message box appears, posts the click
// that answers it, which its own modal loop then delivers like a user's click.
LRESULT CALLBACK AnswerWhenShown(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (sent->message == WM_SHOWWINDOW && sent->wParam) {
            if (sent->hwnd == g_alert) {
                ++g_alerts;
                ::PostMessageA(::GetDlgItem(g_alert, kFixItButtonId), BM_CLICK, 0, 0);
            } else if (ClassOf(sent->hwnd) == "#32770") {
                const std::string caption = TextOf(sent->hwnd);
                const std::string text = TextOf(::GetDlgItem(sent->hwnd, kMessageBoxTextId));
                if (caption == "Confirm" && text == ChangeCheck::kDefaultQuestion) {
                    ++g_confirms;
                    ::PostMessageA(::GetDlgItem(sent->hwnd, IDNO), BM_CLICK, 0, 0);
                } else {
                    ++g_otherBoxes;
                    std::fprintf(stderr, "leak run: unexpected box \"%s\": %s\n", caption.c_str(), text.c_str());
                    ::PostMessageA(::GetDlgItem(sent->hwnd, IDOK), BM_CLICK, 0, 0);
                }
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// --- what is measured -------------------------------------------------------------------------------------------

// GDI objects of the process from the shared GDI handle table the process environment block points at (the
// layout Windows and Wine share: 24-byte entries, the type byte at offset 14). Used where GetGuiResources
// answers nothing; -1 when the table is not there.
long CountGdiTableEntries() {
    const unsigned char* peb = nullptr;
    asm("movq %%gs:0x60, %0" : "=r"(peb));
    const auto* table = *reinterpret_cast<const unsigned char* const*>(peb + 0xF8);
    if (!table)
        return -1;
    long count = 0;
    for (int i = 0; i < 0x10000; ++i) {
        if (table[i * 24 + 14] != 0)
            ++count;
    }
    return count;
}

// Kernel handles of the process, found by asking for each handle value in turn, for where
// GetProcessHandleCount answers 0. Handle values are multiples of 4 handed out lowest first, so a long run of
// free values means the end of the table.
long CountKernelHandles() {
    long count = 0;
    int misses = 0;
    for (std::uintptr_t value = 4; misses < 4096; value += 4) {
        DWORD flags;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
            misses = 0;
        } else {
            ++misses;
        }
    }
    return count;
}

BOOL CALLBACK CountChild(HWND, LPARAM param) {
    ++*reinterpret_cast<long*>(param);
    return TRUE;
}

BOOL CALLBACK CountOwnWindow(HWND hwnd, LPARAM param) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == ::GetCurrentProcessId()) {
        ++*reinterpret_cast<long*>(param);
        ::EnumChildWindows(hwnd, &CountChild, param);
    }
    return TRUE;
}

// Windows of the process, top-level and children: the USER objects that can be counted where GetGuiResources
// answers nothing.
long CountOwnWindows() {
    long count = 0;
    ::EnumWindows(&CountOwnWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct Sample {
    double workingSetKiB;
    double privateKiB;
    long handles;
    long gdi;
    long user;
};

bool g_gdiFromTable = false;
bool g_userFromWindows = false;
bool g_handlesByProbing = false;

Sample TakeSample() {
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    DWORD handles = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &handles);
    Sample sample;
    sample.workingSetKiB = memory.WorkingSetSize / 1024.0;
    // The process's committed private memory; PagefileUsage carries it where PrivateUsage is left 0.
    sample.privateKiB = (memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage) / 1024.0;
    sample.handles = g_handlesByProbing ? CountKernelHandles() : static_cast<long>(handles);
    sample.gdi = g_gdiFromTable ? CountGdiTableEntries()
                                : static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
    sample.user = g_userFromWindows ? CountOwnWindows()
                                    : static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS));
    return sample;
}

// Decides where the GDI and USER counts come from, and proves the GDI table count follows real objects.
void ChooseCounters() {
    if (::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) == 0) {
        const long before = CountGdiTableEntries();
        HBRUSH brushes[5];
        for (HBRUSH& brush : brushes)
            brush = ::CreateSolidBrush(RGB(1, 2, 3));
        const long during = CountGdiTableEntries();
        for (HBRUSH brush : brushes)
            ::DeleteObject(brush);
        const long after = CountGdiTableEntries();
        g_gdiFromTable = before >= 0 && during == before + 5 && after == before;
        if (!g_gdiFromTable)
            std::fprintf(stderr, "leak run: GDI objects cannot be counted here (table %ld/%ld/%ld)\n", before, during,
                         after);
    }
    g_userFromWindows = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS) == 0;

    DWORD handles = 0;
    if (!::GetProcessHandleCount(::GetCurrentProcess(), &handles) || handles == 0) {
        const long before = CountKernelHandles();
        HANDLE events[5];
        for (HANDLE& event : events)
            event = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        const long during = CountKernelHandles();
        for (HANDLE event : events)
            ::CloseHandle(event);
        g_handlesByProbing = during == before + 5 && CountKernelHandles() == before;
        if (!g_handlesByProbing)
            std::fprintf(stderr, "leak run: handles cannot be counted here (%ld/%ld)\n", before, during);
    }
}

void PrintSample(const char* when, const Sample& s) {
    std::printf("%-26s working set %8.0f KiB  private %8.0f KiB  handles %5ld  GDI %5ld  USER %5ld\n", when,
                s.workingSetKiB, s.privateKiB, s.handles, s.gdi, s.user);
}

// --- driving the window ---------------------------------------------------------------------------------------

// What the application's message loop does with each message, until the queue is empty.
void Drain() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            Fail("the program asked to quit");
        HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root && ::IsDialogMessageA(root, &message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

void Tick(HWND mainWindow, UINT_PTR timerId) {
    ::PostMessageA(mainWindow, WM_TIMER, timerId, 0);
    Drain();
    ++g_progress;
}

// One alert and its answers: switch off, a 120-second tick (stops the 30-second timer), switch on, a
// 120-second tick (checks against the default list, alerts, then starts the 30-second timer again). The box
// is set as the keyboard would set it, which runs none of the window's handlers.
void AlertCycle(HWND mainWindow, HWND monitorBox) {
    const int alerts = g_alerts;
    const int confirms = g_confirms;
    ::SendMessageA(monitorBox, BM_SETCHECK, BST_UNCHECKED, 0);
    Tick(mainWindow, MainWindow::kDefaultCheckTimerId);
    ::SendMessageA(monitorBox, BM_SETCHECK, BST_CHECKED, 0);
    Tick(mainWindow, MainWindow::kDefaultCheckTimerId);
    if (g_alerts != alerts + 1 || g_confirms != confirms + 1)
        Fail("a cycle did not alert and confirm exactly once (alerts " + std::to_string(g_alerts - alerts) +
             ", confirmations " + std::to_string(g_confirms - confirms) + ")");
}

void RecentTicks(HWND mainWindow, int count) {
    const int alerts = g_alerts;
    for (int i = 0; i < count; ++i)
        Tick(mainWindow, MainWindow::kRecentCheckTimerId);
    if (g_alerts != alerts)
        Fail("a 30-second tick alerted: the machine's list changed during the run");
}

// Ends the run when the window stops making progress (a dialog nobody answered).
void StartWatchdog() {
    std::thread([] {
        long seen = -1;
        for (;;) {
            ::Sleep(30000);
            const long now = g_progress.load();
            if (now == seen) {
                std::fprintf(stderr, "leak run: no progress for 30 s (alerts %d, confirmations %d)\n", g_alerts,
                             g_confirms);
                std::fflush(stderr);
                ::ExitProcess(3);
            }
            seen = now;
        }
    }).detach();
}

// The stored default list the 120-second check compares with: one server the machine does not have.
void StoreForeignDefault() {
    const std::optional<std::string> current = ReadDNSServerList();
    if (!current)
        Fail("the machine's DNS server list cannot be read");
    if (*current == kForeignServer)
        Fail("the machine already uses the server the run stores as the default");
    WmiConnection connection;
    WbemQuery query(&connection);
    const std::string adapter = GetAdaptorGUID(query);
    if (adapter.empty())
        Fail("no preferred adapter");
    Win32RegistryApi registry;
    InterfaceRecords(registry).WriteUserText(adapter, InterfaceRecords::kDefaultNameServers, kForeignServer);
    // An accepted list beside the program would silence the alert.
    ::DeleteFileW(WideFromUtf8(GetExeDirUtf8() + "AllowedDNS.txt").c_str());
    std::printf("preferred adapter %s: machine list \"%s\", stored default \"%s\"\n", adapter.c_str(), current->c_str(),
                kForeignServer);
}

// The goal is no growth from the first sample to the last. Growth that happened once and stopped (the second
// half of the run flat) is told apart from growth that goes on, which is what a leak looks like.
void Report(const char* name, double first, double half, double last, const char* unit, double allowed) {
    const double delta = last - first;
    const double lateDelta = last - half;
    std::string goal = "no growth";
    if (allowed > 0)
        goal += " (<= " + std::to_string(static_cast<int>(allowed)) + " " + unit + ")";
    std::string verdict = "met";
    if (delta > allowed)
        verdict = lateDelta > allowed ? "NOT met" : "NOT met: grew once, flat over the second half";
    std::printf("BENCH|%s|%+.0f %s (%.0f -> %.0f; second half %+.0f)|%s|-|%s\n", name, delta, unit, first, last,
                lateDelta, goal.c_str(), verdict.c_str());
}

int Run(int cycles, int ticksPerCycle) {
    const ComSetup com;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    StoreForeignDefault();

    Application application(kApplicationTitle);
    SetExceptionReporter([](const std::exception& error) {
        ++g_reportedErrors;
        std::fprintf(stderr, "leak run: a handler failed: %s\n", error.what());
    });
    application.PutMainWindowOnTaskbar();
    application.SetTitle(kApplicationTitle);

    // The program's windows in its order, but for the lookup window, which the watch never opens.
    MainWindow mainWindow(application);
    NoticeDialog alertDialog(AlertDialogDesign(), application.hwnd());
    WindowShell informationWindow("TAbout", "Information", 520, 400);
    WindowShell messageWindow("TAd", "Quillcrest Message", 400, 300);
    NoticeDialog exitDialog(ExitDialogDesign(), application.hwnd());
    MainWindowPartners partners;
    partners.alertDialog = &alertDialog;
    partners.informationWindow = &informationWindow;
    partners.messageWindow = &messageWindow;
    partners.exitDialog = &exitDialog;
    mainWindow.AttachPartners(partners);
    g_alert = alertDialog.hwnd();

    HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &AnswerWhenShown, nullptr, ::GetCurrentThreadId());
    if (!hook)
        Fail("cannot hook the thread's window messages");
    ChooseCounters();
    StartWatchdog();
    Drain();

    HWND main = mainWindow.hwnd();
    HWND monitorBox = ::GetDlgItem(main, main_window_ids::kMonitorBox);
    const int warmCycles = cycles < 10 ? cycles : 10;
    const int halfCycles = cycles / 2 > warmCycles ? cycles / 2 : warmCycles;

    const double start = Now();
    for (int i = 0; i < warmCycles; ++i) {
        AlertCycle(main, monitorBox);
        RecentTicks(main, ticksPerCycle);
    }
    Drain();
    const Sample first = TakeSample();
    PrintSample("after 10 cycles:", first);
    for (int i = warmCycles; i < halfCycles; ++i) {
        AlertCycle(main, monitorBox);
        RecentTicks(main, ticksPerCycle);
    }
    Drain();
    const Sample half = TakeSample();
    PrintSample(("after " + std::to_string(halfCycles) + " cycles:").c_str(), half);
    for (int i = halfCycles; i < cycles; ++i) {
        AlertCycle(main, monitorBox);
        RecentTicks(main, ticksPerCycle);
    }
    Drain();
    const double seconds = Now() - start;
    const Sample last = TakeSample();
    PrintSample(("after " + std::to_string(cycles) + " cycles:").c_str(), last);
    ::UnhookWindowsHookEx(hook);

    std::printf("%d alert cycles (%d alerts, %d confirmations answered No), %d ticks without a change, in %.1f s\n",
                cycles, g_alerts, g_confirms, cycles * ticksPerCycle, seconds);
    std::printf(
        "GDI objects counted %s; USER objects counted %s; handles counted %s\n",
        g_gdiFromTable ? "in the process's GDI handle table (GetGuiResources answers 0 here)" : "by GetGuiResources",
        g_userFromWindows ? "as the process's windows (GetGuiResources answers 0 here)" : "by GetGuiResources",
        g_handlesByProbing ? "by probing handle values (GetProcessHandleCount answers 0 here)"
                           : "by GetProcessHandleCount");
    std::printf(
        "growth from cycle %d to %d (the second half alone): working set %+.0f KiB, private %+.0f KiB, "
        "handles %+ld, GDI %+ld, USER %+ld\n",
        halfCycles, cycles, last.workingSetKiB - half.workingSetKiB, last.privateKiB - half.privateKiB,
        last.handles - half.handles, last.gdi - half.gdi, last.user - half.user);
    if (g_otherBoxes || g_reportedErrors)
        std::printf("unexpected: %d other message boxes, %d handler errors\n", g_otherBoxes, g_reportedErrors);

    // Memory is allowed the allocator's own slack (64 KiB); handles and objects must come back exactly.
    Report("leak run: private bytes", first.privateKiB, half.privateKiB, last.privateKiB, "KiB", 64);
    Report("leak run: working set", first.workingSetKiB, half.workingSetKiB, last.workingSetKiB, "KiB", 64);
    Report("leak run: handles", first.handles, half.handles, last.handles, "handles", 0);
    Report("leak run: GDI objects", first.gdi, half.gdi, last.gdi, "objects", 0);
    Report(g_userFromWindows ? "leak run: USER objects (windows)" : "leak run: USER objects", first.user, half.user,
           last.user, "objects", 0);
    std::fflush(stdout);
    SetExceptionReporter(nullptr);
    return g_otherBoxes || g_reportedErrors ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
    const int ticksPerCycle = argc > 2 ? std::max(0, std::atoi(argv[2])) : 10;
    try {
        return Run(cycles, ticksPerCycle);
    } catch (const std::exception& error) {
        Fail(error.what());
    }
}
