#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/exception.h"
#include "elevation/action_launcher.h"
#include "elevation/program_protection.h"

namespace quillcrest::fakes {

class FakeProcessElevation : public ProcessElevation {
  public:
    bool elevated = false;
    bool IsElevated() override { return elevated; }
};

// The executable's protection as a test sets it; counts how often it was asked.
class FakeProgramProtection : public ProgramProtection {
  public:
    static constexpr char kReason[] = "its folder \"C:\\Apps\" can be changed without administrator rights";
    ProtectionVerdict verdict{true, ""};
    int checks = 0;

    ProtectionVerdict Check() override {
        ++checks;
        return verdict;
    }
    void MakeUnprotected() { verdict = {false, kReason}; }
};

// Plays the elevated run: remembers every argument text and answers with `answer`, which sees the argument text
// (so a test can compute the exit code the real run would give), or declines or fails to start.
class FakeActionLauncher : public ActionLauncher {
  public:
    enum class Behaviour { kRuns, kDeclined, kFailsToStart };
    Behaviour behaviour = Behaviour::kRuns;
    std::function<std::uint32_t(const std::string& arguments)> answer = [](const std::string&) { return 0u; };
    std::vector<std::string> runs;

    std::uint32_t RunElevated(const std::string& arguments) override {
        runs.push_back(arguments);
        if (behaviour == Behaviour::kDeclined)
            throw EElevationDeclined();
        if (behaviour == Behaviour::kFailsToStart)
            throw Exception("The service cannot be started");
        return answer(arguments);
    }
};

}  // namespace quillcrest::fakes
