#pragma once

namespace quillcrest {

// The two OpenDNS resolvers, primary first.
constexpr char kOpenDnsPrimary[] = "208.67.222.222";
constexpr char kOpenDnsSecondary[] = "208.67.220.220";

}  // namespace quillcrest
