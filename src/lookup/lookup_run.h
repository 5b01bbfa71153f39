#pragma once

#include <string>
#include <vector>

#include "lookup/lookup_answer.h"
#include "lookup/lookup_client.h"

namespace quillcrest {

// Asks the lookup service about each server in turn and classifies each reply; one result per server, in order.
std::vector<LookupResult> LookupEachServer(LookupClient& client, const std::vector<std::string>& servers);

}  // namespace quillcrest
