#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace quillcrest {

// The names Windows shows for network connections ("Ethernet", "Wi-Fi"), by the adapter's interface identifier
// (its braced GUID), so that texts for the user name adapters as the user knows them.
class ConnectionNames {
  public:
    // Notes an adapter's name. Control characters become blanks, so that a name stays on its line of a text.
    void Add(const std::string& settingId, const std::string& name);
    // The adapter's connection name, the identifier's letter case aside; "" when the adapter has none or is not
    // known.
    std::string NameOf(const std::string& settingId) const;

  private:
    std::vector<std::pair<std::string, std::string>> names_;
};

// Reads the connection names of the machine's adapters; raises when they cannot be read.
using ConnectionNameSource = std::function<ConnectionNames()>;

// The connection names from source, or none when they cannot be read: a text for the user still names each
// adapter, by its identifier.
ConnectionNames ConnectionNamesOrNone(const ConnectionNameSource& source);

// How a text for the user names an adapter: its connection name, or its identifier when it has none (a name of
// blanks alone counts as none).
std::string AdapterLabel(const std::string& settingId, const std::string& connectionName);
std::string AdapterLabel(const std::string& settingId, const ConnectionNames& names);

}  // namespace quillcrest
