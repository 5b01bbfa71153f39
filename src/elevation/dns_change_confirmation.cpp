#include "elevation/dns_change_confirmation.h"

namespace quillcrest {
namespace {

constexpr char kIntroduction[] = "Quillcrest is about to change the DNS servers of this computer:\n";
constexpr char kAutomatic[] = "automatic (DHCP)";
constexpr char kServerSeparator[] = ", ";
constexpr char kQuestion[] = "\nMake this change? If you did not ask for it just now, choose No.";

}  // namespace

std::string DnsChangeConfirmationText(const std::vector<DnsAssignment>& assignments, const ConnectionNames& names) {
    std::string text = kIntroduction;
    for (const DnsAssignment& assignment : assignments) {
        text += "\n" + AdapterLabel(assignment.settingId, names) + ": ";
        if (assignment.servers.empty())
            text += kAutomatic;
        for (std::size_t i = 0; i < assignment.servers.size(); ++i)
            text += (i > 0 ? kServerSeparator : "") + assignment.servers[i];
    }
    return text + "\n" + kQuestion;
}

}  // namespace quillcrest
