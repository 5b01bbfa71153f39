#include "elevation/elevating_allowed_list_save.h"

#include "elevation/privileged_action.h"

namespace quillcrest {

void ElevatingAllowedListSave::AppendElsewhere(const std::string& dnsList) {
    elevated_.Run({PrivilegedActionKind::kAllowDnsList, {}, dnsList});
}

}  // namespace quillcrest
