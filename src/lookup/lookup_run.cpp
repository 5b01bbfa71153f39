#include "lookup/lookup_run.h"

#include "lookup/lookup_reply.h"

namespace quillcrest {

std::vector<LookupResult> LookupEachServer(LookupClient& client, const std::vector<std::string>& servers) {
    std::vector<LookupResult> results;
    results.reserve(servers.size());
    for (const std::string& server : servers) {
        const LookupQueryReply query = client.QueryLookupService(server);
        results.push_back(query.reached ? ParseLookupReply(query.reply) : LookupResult{});
        results.back().AskedServer = server;
    }
    return results;
}

}  // namespace quillcrest
