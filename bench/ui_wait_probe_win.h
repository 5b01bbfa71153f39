#pragma once
// What the wait-CPU benchmarks share: a window with a 100 ms timer on the calling thread, the process's CPU
// time, and the rounds and result line around one waiting call.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench_clock_win.h"

namespace quillcrest::bench {

constexpr UINT kTickMs = 100;
constexpr double kGoalCpuMs = 20.0;

[[noreturn]] inline void Fail(const char* bench, const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", bench, what.c_str());
    std::fflush(stderr);
    std::exit(2);
}

// User and kernel time of every thread of the process, in milliseconds.
inline double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e4;
}

// A hidden top-level window whose timer stands for the program's own: each WM_TIMER it receives is a tick the
// user interface got while the socket waited.
class TickWindow {
  public:
    TickWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &TickWindow::Procedure;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClassName;
        ::RegisterClassA(&windowClass);
        window_ = ::CreateWindowExA(0, kClassName, "wait probe", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                    windowClass.hInstance, this);
        if (!window_ || !::SetTimer(window_, 1, kTickMs, nullptr))
            Fail("wait probe", "the window or its timer could not be made");
        ticks_.reserve(4096);
    }
    ~TickWindow() {
        ::KillTimer(window_, 1);
        ::DestroyWindow(window_);
    }
    TickWindow(const TickWindow&) = delete;
    TickWindow& operator=(const TickWindow&) = delete;

    // Runs an ordinary message loop for a while, so the timer is going before a wait starts.
    void PumpFor(double seconds) {
        const double end = Now() + seconds;
        while (Now() < end) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG message;
            while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&message);
                ::DispatchMessageA(&message);
            }
        }
    }

    // Times of the ticks received so far (Now()).
    const std::vector<double>& ticks() const { return ticks_; }

  private:
    static constexpr char kClassName[] = "QuillcrestWaitProbe";

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<TickWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        if (message == WM_TIMER) {
            if (auto* self = reinterpret_cast<TickWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA)))
                self->ticks_.push_back(Now());
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    std::vector<double> ticks_;
};

// One measured wait: CPU time of the process, wall time, ticks received and the longest stretch without one.
struct WaitRound {
    double cpuMs = 0;
    double wallMs = 0;
    int ticks = 0;
    double longestGapMs = 0;

    // Ticks come 100 ms apart give or take a little, so the count over a wait of n periods may be n - 1 by phase
    // and drift alone; a tick lost while the wait held the thread shows as a gap of two periods.
    bool EveryTickDelivered() const {
        return longestGapMs < 2 * kTickMs && ticks >= static_cast<int>(wallMs / kTickMs) - 1;
    }
};

// Measures one call of `wait` (which returns whether it ended the way the benchmark meant) with the window's
// timer running. The gaps count from the last tick before the wait to the end of the wait.
inline WaitRound MeasureWait(TickWindow& window, const char* bench, const std::function<bool()>& wait) {
    window.PumpFor(0.35);
    const std::size_t before = window.ticks().size();
    const double lastTickBefore = before ? window.ticks().back() : Now();
    const double cpuStart = ProcessCpuMs();
    const double start = Now();
    const bool endedAsMeant = wait();
    const double end = Now();
    const double cpuEnd = ProcessCpuMs();
    if (!endedAsMeant)
        Fail(bench, "the wait did not end the way the benchmark means; it would measure something else");

    WaitRound round;
    round.cpuMs = cpuEnd - cpuStart;
    round.wallMs = (end - start) * 1e3;
    round.ticks = static_cast<int>(window.ticks().size() - before);
    double previous = lastTickBefore;
    for (std::size_t i = before; i < window.ticks().size(); ++i) {
        round.longestGapMs = std::max(round.longestGapMs, (window.ticks()[i] - previous) * 1e3);
        previous = window.ticks()[i];
    }
    round.longestGapMs = std::max(round.longestGapMs, (end - previous) * 1e3);
    return round;
}

// Runs the rounds, prints each and the result line. Under Wine the process times advance in steps of 10 ms, so
// one wait reads 0, 10 or 20 ms for the same work; the figure is the mean over the rounds, which evens the steps
// out. Every round must deliver every tick.
inline void ReportWaitRounds(const char* bench,
                             const char* name,
                             int rounds,
                             TickWindow& window,
                             const std::function<bool()>& wait) {
    double totalCpuMs = 0, worstCpuMs = 0, totalWallMs = 0, longestGapMs = 0;
    int totalTicks = 0;
    bool everyTick = true;
    for (int i = 0; i < rounds; ++i) {
        const WaitRound round = MeasureWait(window, bench, wait);
        std::printf("round %d: wait %.0f ms, CPU %.1f ms, %d ticks, longest gap between ticks %.0f ms%s\n", i + 1,
                    round.wallMs, round.cpuMs, round.ticks, round.longestGapMs,
                    round.EveryTickDelivered() ? "" : " - a tick was lost");
        std::fflush(stdout);
        everyTick = everyTick && round.EveryTickDelivered();
        totalCpuMs += round.cpuMs;
        worstCpuMs = std::max(worstCpuMs, round.cpuMs);
        totalWallMs += round.wallMs;
        totalTicks += round.ticks;
        longestGapMs = std::max(longestGapMs, round.longestGapMs);
    }
    const double cpuMs = totalCpuMs / rounds;
    const double wallSeconds = totalWallMs / rounds / 1e3;
    const double ticks = static_cast<double>(totalTicks) / rounds;
    const double ratio = cpuMs / kGoalCpuMs;
    const bool met = cpuMs <= kGoalCpuMs && everyTick;
    std::printf(
        "%s: mean of %d waits of %.1f s: CPU %.1f ms (worst %.0f ms; goal <= %.0f ms), %.1f ticks, longest "
        "gap %.0f ms, %s: %s\n",
        name, rounds, wallSeconds, cpuMs, worstCpuMs, kGoalCpuMs, ticks, longestGapMs,
        everyTick ? "every tick delivered" : "ticks lost", met ? "met" : "NOT met");
    std::printf(
        "BENCH|%s|%.1f ms CPU per %.1f s wait, %.1f ticks, longest gap %.0f ms|<= %.0f ms CPU, every tick|"
        "%.3f x|%s\n",
        name, cpuMs, wallSeconds, ticks, longestGapMs, kGoalCpuMs, ratio, met ? "met" : "NOT met");
    std::fflush(stdout);
}

}  // namespace quillcrest::bench
