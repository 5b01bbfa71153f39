#pragma once

#include <cstdint>
#include <string_view>

namespace quillcrest {

// The program started with an action's argument text (by its own "runas" request): carries out exactly that
// action and nothing else (no window, no single-instance mutex, no records) and answers the exit code that
// reports its outcome. A text that is not exactly one valid action changes nothing and answers the refusal code.
std::uint32_t RunActionMode(std::string_view arguments);

}  // namespace quillcrest
