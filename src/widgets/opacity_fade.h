#pragma once

#include <chrono>
#include <functional>

namespace quillcrest {

// A fade-in from fully transparent: the opacity rises by `step` every `stepTime` up to `finalOpacity`. Each
// opacity comes from the time elapsed since the start, never from a count of sleeps, so a coarse sleep (Windows
// rounds a 10 ms sleep up to its 15.6 ms tick) skips steps instead of stretching the fade.
struct OpacityFade {
    int finalOpacity;
    int step;
    std::chrono::microseconds stepTime;

    // The opacity due `elapsed` after the start.
    int OpacityAt(std::chrono::microseconds elapsed) const;
    // From the start to the final opacity.
    std::chrono::microseconds Length() const;
};

// The time and the wait a fade runs by.
class FadeClock {
  public:
    virtual ~FadeClock() = default;
    virtual std::chrono::microseconds Now() = 0;
    // Waits at least `time`; the system may round it up.
    virtual void Sleep(std::chrono::microseconds time) = 0;
};

// The steady clock of the system and the calling thread's sleep.
class SystemFadeClock : public FadeClock {
  public:
    std::chrono::microseconds Now() override;
    void Sleep(std::chrono::microseconds time) override;
};

// Runs a fade on the calling thread: sleeps a step at a time and hands each new opacity to `show`, up to the
// final one, unless `stopped` answers true first.
void RunFade(const OpacityFade& fade,
             FadeClock& clock,
             const std::function<void(int opacity)>& show,
             const std::function<bool()>& stopped);

}  // namespace quillcrest
