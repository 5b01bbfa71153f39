#include "elevation/elevating_run_value.h"

#include "elevation/privileged_action.h"

namespace quillcrest {

void ElevatingRunValue::Write() {
    elevated_.Run({PrivilegedActionKind::kWriteRunValue, {}, {}});
}

void ElevatingRunValue::Delete() {
    elevated_.Run({PrivilegedActionKind::kDeleteRunValue, {}, {}});
}

}  // namespace quillcrest
