#include "widgets/opacity_fade.h"

#include <algorithm>
#include <thread>

namespace quillcrest {

int OpacityFade::OpacityAt(std::chrono::microseconds elapsed) const {
    if (elapsed.count() < 0)
        return 0;
    if (stepTime.count() <= 0)
        return finalOpacity;
    const long long stepsDone = elapsed / stepTime;
    return static_cast<int>(std::min<long long>(finalOpacity, stepsDone * step));
}

std::chrono::microseconds OpacityFade::Length() const {
    if (step <= 0)
        return std::chrono::microseconds::zero();
    return stepTime * ((finalOpacity + step - 1) / step);
}

std::chrono::microseconds SystemFadeClock::Now() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

void SystemFadeClock::Sleep(std::chrono::microseconds time) {
    std::this_thread::sleep_for(time);
}

void RunFade(const OpacityFade& fade,
             FadeClock& clock,
             const std::function<void(int opacity)>& show,
             const std::function<bool()>& stopped) {
    if (fade.step <= 0)
        return;
    const std::chrono::microseconds start = clock.Now();
    int shown = 0;
    while (shown < fade.finalOpacity && !stopped()) {
        clock.Sleep(fade.stepTime);
        const int due = fade.OpacityAt(clock.Now() - start);
        if (due > shown) {
            shown = due;
            show(shown);
        }
    }
}

}  // namespace quillcrest
