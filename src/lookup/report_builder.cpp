#include "lookup/report_builder.h"

#include <cstddef>

#include "base/ascii_case.h"
#include "lookup/report_pictures.h"
#include "settings/text_search.h"

namespace quillcrest {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kOpenDnsMark[] = "opendns";
constexpr char kNoWarning[] = "none";

constexpr char kUnreachableLine[] = R"(<font face="Tahoma" size="1"><b>Unable to connect to lookup server</b> <br>)";
constexpr char kUnverifiedLine[] = R"(<font face="Tahoma" size="1"><b>Could not verify DNS</b> <br>)";
constexpr char kBlankLine[] = "<br>";

std::string PrimaryLine(bool primaryIsOpenDns) {
    if (primaryIsOpenDns) {
        return std::string(R"(<font face="Tahoma" size="1" color="#008000"><img align=bottom alt="" src=")") +
               kCheckPictureName +
               R"(" border="0"><b> Your primary DNS server is an OpenDNS server</b></font><br><br>)";
    }
    return std::string(R"(<font face="Tahoma" size="1" color="#FF0000"><img align=bottom src=")") +
           kWarningPictureName +
           R"(" border="0"> <b>Your primary DNS server is NOT an OpenDNS server</b></font><br><br>)";
}

// The public-address block that heads a report in which some server answered. "bpttom" and the crossed
// </font></b> are what the document has always said; the HTML view takes both as they are.
std::vector<std::string> PublicBlock(const LookupAnswer& last, std::size_t serverCount) {
    return {
        R"(<font face="Tahoma" size="1" color="#008000"><b>Your Public IP Address is:</b> )" + last.PublicAddress +
            "</font><br>",
        R"(<font face="Tahoma" size="1" color="#008000"><b>Your Country is:</b> )" + last.PublicCountry + "</font><br>",
        kBlankLine,
        std::string(R"(<font face="Tahoma" size="1" color="#0000ff"><img align=bpttom src=")") +
            kInformationPictureName + R"(" border="0"><b> Your computer has )" + std::to_string(serverCount) +
            " DNS servers defined.</font></b> " + "<br>",
        kBlankLine,
    };
}

// Appends the block of one answered server; gives whether its warning counts.
bool AppendServerBlock(std::vector<std::string>& lines, std::size_t position, const LookupAnswer& answer) {
    lines.push_back(R"(<b><font face="Tahoma" size="1" color="#000099">Results for DNS Server )" +
                    std::to_string(position) + "</font></b><br>");
    lines.push_back(R"(<font face="Tahoma" size="1"><b>IP Address:</b> )" + answer.ServerAddress + "</font><br>");
    lines.push_back(R"(<font face="Tahoma" size="1"><b>Host Name:</b> )" + answer.ServerHostName + "</font><br>");
    lines.push_back(R"(<font face="Tahoma" size="1"><b>Country:</b> )" + answer.ServerCountry + "</font><br>");
    const bool warned = !EqualIgnoringAsciiCase(answer.Warning, kNoWarning);
    if (warned) {
        lines.push_back(R"(<font face="Tahoma" size="1" color="#FF0000"><b>Warnings:</b> )" + answer.Warning +
                        "</font><br>");
    } else {
        lines.push_back(R"(<b><font face="Tahoma" size="1">Warnings:</b> )" + answer.Warning + "</font><br>");
    }
    lines.push_back(kBlankLine);
    return warned;
}

}  // namespace

std::string LookupReport::Html() const {
    std::string html;
    for (const std::string& line : lines)
        html += line + kLineEnd;
    return html;
}

LookupReport BuildLookupReport(const std::vector<LookupResult>& results, const std::string& defaultDnsList) {
    LookupReport report;
    std::vector<std::string> body;
    bool someAnswered = false;
    LookupAnswer last;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const LookupResult& result = results[i];
        const std::size_t position = i + 1;
        if (result.Outcome == LookupOutcome::Unreachable) {
            body.push_back(kUnreachableLine);
            continue;
        }
        if (result.Outcome == LookupOutcome::Unverified) {
            body.push_back(kUnverifiedLine);
            continue;
        }
        const LookupAnswer& answer = result.Answer;
        someAnswered = true;
        last = answer;
        // The list that "Save as Default" stores is made of the addresses the program asked about, never of what
        // a reply claims: a forged reply must not be able to choose the servers the program later puts back.
        if (!report.reportedServers.empty())
            report.reportedServers += ",";
        report.reportedServers += result.AskedServer;
        if (position == 1 && SearchText(answer.ServerHostName, kOpenDnsMark, -1) > 0)
            report.primaryIsOpenDns = true;
        if (AppendServerBlock(body, position, answer))
            ++report.warningsCount;
    }

    if (!last.PublicAddress.empty())
        report.lines = PublicBlock(last, results.size());
    report.lines.push_back(PrimaryLine(report.primaryIsOpenDns));
    report.lines.insert(report.lines.end(), body.begin(), body.end());

    report.offerSaveAsDefault =
        report.reportedServers.size() > 1 && !EqualIgnoringAsciiCase(report.reportedServers, defaultDnsList);
    if (someAnswered)
        report.ending = report.warningsCount == 0 ? LookupRunEnding::NoWarnings : LookupRunEnding::WarningsFound;
    return report;
}

std::string WarningsFoundMessage(int warningsCount) {
    return "Warnings found: " + std::to_string(warningsCount) + "\r\n\r\n" +
           "If your results indicate your DNS had been hijacked, please " +
           "click on the link shown for more information." + "\r\n" +
           "If your warnings indicate your countries do not match, this does " +
           "not necessarily mean you have a problem. You should pay " +
           "particular attention to the DNS server country. If the country " +
           "indicated seems suspicious to you, we strongly recommend that " +
           "you check with your Internet Service Provider.";
}

}  // namespace quillcrest
