#pragma once

#include <string>
#include <vector>

#include "netconfig/connection_names.h"
#include "netconfig/dns_change_outcome.h"

namespace quillcrest {

// The window in which the elevated run asks before it changes DNS servers. The consent prompt names only the
// program; this window names the change, and it belongs to the elevated process, where programs of the user
// cannot answer it.
inline constexpr char kDnsChangeConfirmationCaption[] = "Quillcrest: Confirm DNS Change";

// The question: each adapter on a line of its own, by its connection name (its identifier when it has none),
// with its new servers in order or "automatic (DHCP)".
std::string DnsChangeConfirmationText(const std::vector<DnsAssignment>& assignments, const ConnectionNames& names);

}  // namespace quillcrest
