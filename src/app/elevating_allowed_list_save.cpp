#include "app/elevating_allowed_list_save.h"

#include "app/privileged_action.h"

namespace quillcrest {

void ElevatingAllowedListSave::AppendElsewhere(const std::string& dnsList) {
    elevated_.Run({PrivilegedActionKind::kAllowDnsList, {}, dnsList});
}

}  // namespace quillcrest
