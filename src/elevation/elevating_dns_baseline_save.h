#pragma once

#include "elevation/elevated_actions.h"
#include "watch/dns_baseline_save_route.h"

namespace quillcrest {

// The DNS baseline's save route, as the allowed list's (ElevatingAllowedListSave): an elevated process writes the
// file itself; a process without administrator rights writes it where its folder is not protected (a copy in the
// user's own folder), and otherwise has one elevated run of the program ("/keep-dns-baseline") read the current
// settings and keep them.
class ElevatingDnsBaselineSave : public DnsBaselineSaveRoute {
  public:
    explicit ElevatingDnsBaselineSave(ElevatedActions& elevated) : elevated_(elevated) {}

    bool WritesInProcess() override { return elevated_.InProcess() || !elevated_.ProgramProtected(); }
    void KeepElsewhere() override { elevated_.Run({PrivilegedActionKind::kKeepDnsBaseline, {}, {}}); }

  private:
    ElevatedActions& elevated_;
};

}  // namespace quillcrest
