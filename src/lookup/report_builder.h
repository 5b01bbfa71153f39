#pragma once

#include <string>
#include <vector>

#include "lookup/lookup_answer.h"

namespace quillcrest {

// What the lookup window shows once the report is in place.
enum class LookupRunEnding {
    Silent,         // no server answered: no box follows the report
    NoWarnings,     // the reassuring information dialog
    WarningsFound,  // the warning message box with WarningsFoundMessage()
};

// The report of one lookup run and the decisions that go with it.
struct LookupReport {
    std::vector<std::string> lines;  // the HTML document, line by line
    std::string reportedServers;     // the asked addresses of the answered servers joined by ","
    int warningsCount = 0;
    bool primaryIsOpenDns = false;
    bool offerSaveAsDefault = false;  // show "Save as Default"
    LookupRunEnding ending = LookupRunEnding::Silent;

    // The document handed to the HTML view: every line followed by CR LF.
    std::string Html() const;
};

// Builds the report from one result per configured DNS server, in the snapshot's order (primary first), and
// decides whether the reported servers differ from defaultDnsList, letter case ignored. Service texts enter the
// HTML unchanged, so a link in a warning is rendered.
LookupReport BuildLookupReport(const std::vector<LookupResult>& results, const std::string& defaultDnsList);

// The text of the warning message box after a run that found warningsCount warnings.
std::string WarningsFoundMessage(int warningsCount);

}  // namespace quillcrest
