#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/exception.h"
#include "watch/dns_baseline_save_route.h"

namespace quillcrest::fakes {

// The baseline's save route: this process writes the file while `inProcess` holds; otherwise each "Keep" is
// handed over and counted, `elsewhere` plays the process that keeps it (say, writes the file), and the hand-over
// raises `failWith` when set, as a declined prompt does.
class FakeDnsBaselineSaveRoute : public DnsBaselineSaveRoute {
  public:
    bool inProcess = true;
    std::optional<std::string> failWith;
    std::function<void()> elsewhere;
    int handedOver = 0;

    bool WritesInProcess() override { return inProcess; }
    void KeepElsewhere() override {
        ++handedOver;
        if (failWith)
            throw Exception(*failWith);
        if (elsewhere)
            elsewhere();
    }
};

}  // namespace quillcrest::fakes
