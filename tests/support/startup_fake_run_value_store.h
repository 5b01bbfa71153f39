#pragma once

#include <optional>
#include <string>

#include "base/exception.h"
#include "startup/run_value_switch.h"

namespace quillcrest::fakes {

// The Run value in memory: "stored" is what the value holds (nullopt: absent); writes and deletes may be refused
// as an unelevated process's are.
class FakeRunValueStore : public RunValueStore {
  public:
    static constexpr char kThisProgram[] = "C:\\Apps\\Quillcrest.exe";
    std::optional<std::string> stored;
    std::optional<std::string> refuseWith;
    int writes = 0;
    int deletes = 0;

    bool NamesThisProgram() override { return stored == std::string(kThisProgram); }
    bool Present() override { return stored.has_value(); }
    void Write() override {
        ++writes;
        if (refuseWith)
            throw Exception(*refuseWith);
        stored = kThisProgram;
    }
    void Delete() override {
        ++deletes;
        if (refuseWith)
            throw Exception(*refuseWith);
        stored.reset();
    }
};

}  // namespace quillcrest::fakes
