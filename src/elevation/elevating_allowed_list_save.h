#pragma once

#include <string>

#include "elevation/elevated_actions.h"
#include "watch/allowed_list_save_route.h"

namespace quillcrest {

// The allowed list's save route. An elevated process writes the file itself. Otherwise the program's folder
// decides: where it is protected (an installation for all users), only administrators may write there, and one
// elevated run of the program appends the accepted list; where it is not (a copy in the user's own folder), the
// user may write it, and no elevated run may be started from there anyway.
class ElevatingAllowedListSave : public AllowedListSaveRoute {
  public:
    explicit ElevatingAllowedListSave(ElevatedActions& elevated) : elevated_(elevated) {}

    bool WritesInProcess() override { return elevated_.InProcess() || !elevated_.ProgramProtected(); }
    void AppendElsewhere(const std::string& dnsList) override;

  private:
    ElevatedActions& elevated_;
};

}  // namespace quillcrest
