#pragma once

#include "elevation/elevated_actions.h"
#include "startup/run_value_switch.h"

namespace quillcrest {

// The Run value with administrator rights: in-process when this process is elevated, otherwise one elevated run
// of the program per change ("/write-run-value", "/delete-run-value"), which writes the value naming its own
// executable.
class ElevatingRunValue : public RunValueWithRights {
  public:
    explicit ElevatingRunValue(ElevatedActions& elevated) : elevated_(elevated) {}

    bool InProcess() override { return elevated_.InProcess(); }
    void Write() override;
    void Delete() override;

  private:
    ElevatedActions& elevated_;
};

}  // namespace quillcrest
