#include "netconfig/connection_names_win.h"

#include <cstdint>
#include <optional>

#include "base/ansi_text_win.h"
#include "base/exception.h"
#include "base/system_message_win.h"

namespace quillcrest {
namespace {

// The documentation's advice for the first call: large enough for most machines, so one call usually does.
constexpr ULONG kFirstBufferSize = 15 * 1024;
// Adapters may come between the call that sizes the answer and the one that fills it; a few more tries cover that.
constexpr int kMostCalls = 4;
// Only the names are wanted: the address lists stay out of the answer.
constexpr ULONG kNamesOnly =
    GAA_FLAG_SKIP_UNICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;

// The characters of a NUL-terminated text inside the answer, or nullopt when it has no end inside the answer.
template <typename Char>
std::optional<std::size_t> LengthInside(const IpHelperAnswer& answer, const Char* text) {
    if (!answer.Holds(text, sizeof(Char)))
        return std::nullopt;
    for (std::size_t length = 0; answer.Holds(text + length, sizeof(Char)); ++length) {
        if (text[length] == Char())
            return length;
    }
    return std::nullopt;
}

}  // namespace

ConnectionNames ConnectionNamesInAnswer(IpHelperAnswer& answer) {
    ConnectionNames names;
    WalkChain(answer, *answer.as<IP_ADAPTER_ADDRESSES>(), [&answer, &names](const IP_ADAPTER_ADDRESSES& adapter) {
        const std::optional<std::size_t> idLength = LengthInside(answer, adapter.AdapterName);
        const std::optional<std::size_t> nameLength = LengthInside(answer, adapter.FriendlyName);
        if (!idLength || !nameLength)
            return;
        names.Add(std::string(adapter.AdapterName, *idLength), AnsiFromWide(adapter.FriendlyName, *nameLength));
    });
    return names;
}

ConnectionNames ReadConnectionNames() {
    ULONG size = kFirstBufferSize;
    for (int call = 0; call < kMostCalls; ++call) {
        if (size > kMaxAnswerSize)
            break;
        IpHelperAnswer answer(size, sizeof(IP_ADAPTER_ADDRESSES));
        size = static_cast<ULONG>(answer.size());
        const ULONG status =
            ::GetAdaptersAddresses(AF_UNSPEC, kNamesOnly, nullptr, answer.as<IP_ADAPTER_ADDRESSES>(), &size);
        if (status == ERROR_SUCCESS)
            return ConnectionNamesInAnswer(answer);
        if (status == ERROR_NO_DATA)
            return ConnectionNames();
        if (status != ERROR_BUFFER_OVERFLOW) {
            const std::string text = SystemMessageText(status);
            throw Exception(text.empty() ? "Error " + std::to_string(status) : text);
        }
    }
    throw Exception("The list of network adapters kept growing while it was read");
}

}  // namespace quillcrest
