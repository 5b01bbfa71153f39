#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "netconfig/connection_names_win.h"
#include "netconfig/wmi_connection_win.h"
#include "netconfig/wmi_query_win.h"

namespace quillcrest {
namespace {

// Every network adapter WMI knows by its GUID has the connection name IP Helper gives it. (Wine's adapter
// configurations carry SettingIDs of another form than these GUIDs, so Wine's own changes name adapters by their
// identifiers; on Windows the SettingID is this GUID.)
TEST(ConnectionNamesTest, EveryNetworkAdapterHasItsConnectionName) {
    const ConnectionNames names = ReadConnectionNames();
    WmiConnection connection;
    WbemQuery query(&connection);
    query.setWql("Select * FROM Win32_NetworkAdapter");
    query.open();
    int named = 0;
    for (; !query.eof(); query.next()) {
        const std::string id = query.fieldByName("GUID").asText();
        if (id.empty())
            continue;
        SCOPED_TRACE(id);
        EXPECT_FALSE(names.NameOf(id).empty());
        EXPECT_NE(AdapterLabel(id, names), id);
        ++named;
    }
    EXPECT_GT(named, 0) << "Wine always lists a network adapter";
}

// An answer laid out by hand: two adapters, and names whose text would reach outside the answer.
class ConnectionNamesInAnswerTest : public ::testing::Test {
  protected:
    static constexpr std::size_t kTextsOffset = 2 * sizeof(IP_ADAPTER_ADDRESSES);

    ConnectionNamesInAnswerTest() : answer(kTextsOffset + 256, sizeof(IP_ADAPTER_ADDRESSES)) {
        first()->Next = second();
        first()->AdapterName = Text("{AAAAAAAA-0000-0000-0000-000000000001}");
        first()->FriendlyName = WideText(L"Ethernet");
        second()->AdapterName = Text("{AAAAAAAA-0000-0000-0000-000000000002}");
        second()->FriendlyName = WideText(L"Wi-Fi 2");
    }

    IP_ADAPTER_ADDRESSES* first() { return answer.as<IP_ADAPTER_ADDRESSES>(); }
    IP_ADAPTER_ADDRESSES* second() { return answer.as<IP_ADAPTER_ADDRESSES>() + 1; }
    unsigned char* end() { return answer.as<unsigned char>() + answer.size(); }

    char* Text(const char* text) {
        char* at = reinterpret_cast<char*>(answer.as<unsigned char>() + kTextsOffset + used_);
        std::memcpy(at, text, std::strlen(text) + 1);
        used_ += std::strlen(text) + 1;
        return at;
    }
    wchar_t* WideText(const wchar_t* text) {
        used_ = (used_ + 1) & ~std::size_t(1);
        wchar_t* at = reinterpret_cast<wchar_t*>(answer.as<unsigned char>() + kTextsOffset + used_);
        std::memcpy(at, text, (std::wcslen(text) + 1) * sizeof(wchar_t));
        used_ += (std::wcslen(text) + 1) * sizeof(wchar_t);
        return at;
    }

    IpHelperAnswer answer;

  private:
    std::size_t used_ = 0;
};

TEST_F(ConnectionNamesInAnswerTest, ReadsEveryAdapterOfTheChain) {
    const ConnectionNames names = ConnectionNamesInAnswer(answer);
    EXPECT_EQ(names.NameOf("{AAAAAAAA-0000-0000-0000-000000000001}"), "Ethernet");
    EXPECT_EQ(names.NameOf("{aaaaaaaa-0000-0000-0000-000000000002}"), "Wi-Fi 2");
}

TEST_F(ConnectionNamesInAnswerTest, NamesThatReachOutsideTheAnswerAreNotRead) {
    second()->FriendlyName = reinterpret_cast<wchar_t*>(end());
    // The last characters of the answer, with no end inside it.
    char* unterminated = reinterpret_cast<char*>(end()) - 4;
    std::memset(unterminated, 'A', 4);
    first()->AdapterName = unterminated;
    const ConnectionNames names = ConnectionNamesInAnswer(answer);
    EXPECT_EQ(names.NameOf("{AAAAAAAA-0000-0000-0000-000000000002}"), "");
    EXPECT_EQ(names.NameOf("AAAA"), "");
}

TEST_F(ConnectionNamesInAnswerTest, ChainLeavingTheAnswerEndsThere) {
    first()->Next = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(end());
    const ConnectionNames names = ConnectionNamesInAnswer(answer);
    EXPECT_EQ(names.NameOf("{AAAAAAAA-0000-0000-0000-000000000001}"), "Ethernet");
    EXPECT_EQ(names.NameOf("{AAAAAAAA-0000-0000-0000-000000000002}"), "");
}

}  // namespace
}  // namespace quillcrest
