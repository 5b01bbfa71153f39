#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/exception.h"
#include "watch/allowed_list_save_route.h"

namespace quillcrest::fakes {

// The allowed list's save route: this process writes the file while `inProcess` holds; otherwise each list is
// handed over and noted, and the hand-over raises `failWith` when set, as a declined prompt does.
class FakeAllowedListSaveRoute : public AllowedListSaveRoute {
  public:
    bool inProcess = true;
    std::optional<std::string> failWith;
    std::vector<std::string> handedOver;

    bool WritesInProcess() override { return inProcess; }
    void AppendElsewhere(const std::string& dnsList) override {
        handedOver.push_back(dnsList);
        if (failWith)
            throw Exception(*failWith);
    }
};

}  // namespace quillcrest::fakes
