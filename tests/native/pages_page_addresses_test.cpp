#include <gtest/gtest.h>

#include <string>

#include "pages/page_addresses.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::RowName;

constexpr char kInfo[] = "http://127.0.0.1:8070/quillcrestinfo.html";
constexpr char kBase[] = "http://127.0.0.1:8071/";
constexpr char kDomain[] = "quillcrest.test";

TEST(PageAddresses, PagesAndPictureBaseOfTheConfiguredHosts) {
    EXPECT_EQ(MessagePageAddress("127.0.0.1:8071"), "http://127.0.0.1:8071/odnsad.html");
    EXPECT_EQ(MessagePictureBase("ads.example.test"), "http://ads.example.test/");
    EXPECT_EQ(InformationPageAddress("127.0.0.1:8070"), kInfo);
}

TEST(PageAddresses, EmptyDomainMarksNoSourceAsTheServersOwn) {
    EXPECT_EQ(MessagePictureAddress("logo.gif", "", "http://h/"), "http://h/logo.gif");
}

// A picture source of the message page and where it is fetched from: as written only from the message domain's
// own servers, anything else from the message server, after the picture base.
struct PictureSourceRow {
    const char* name;
    std::string source;
    std::string domain;
    bool asWritten;
};

const PictureSourceRow kPictureSourceRows[] = {
    {"router page carrying the domain in its query", "http://router.local/x?d=quillcrest.test", kDomain, false},
    {"the domain itself", "http://quillcrest.test/a.gif", kDomain, true},
    {"a name under the domain", "http://cdn.quillcrest.test/a.gif", kDomain, true},
    {"capital letters", "HTTP://CDN.QUILLCREST.TEST/A.GIF", kDomain, true},
    {"a port on the domain", "http://quillcrest.test:8071/a.gif", kDomain, true},
    {"user-info naming the domain before another host", "http://quillcrest.test@evil.example/a.gif", kDomain, false},
    {"user-info of another name before the domain", "http://evil.example@quillcrest.test/a.gif", kDomain, false},
    // The client reads "80@evil.example" as no port and connects to the domain, so the source is the domain's.
    {"port text holding user-info", "http://quillcrest.test:80@evil.example/a.gif", kDomain, true},
    {"look-alike ending in the domain's text", "http://evilquillcrest.test/a.gif", kDomain, false},
    {"the domain as the start of another name", "http://quillcrest.test.evil.example/a.gif", kDomain, false},
    {"trailing dot of the absolute name", "http://cdn.quillcrest.test./a.gif", kDomain, true},
    {"two trailing dots", "http://quillcrest.test../a.gif", kDomain, false},
    {"empty label before the domain", "http://.quillcrest.test/a.gif", kDomain, false},
    {"nul that would cut the name short", "http://router.local" + std::string(1, '\0') + ".quillcrest.test/", kDomain,
     false},
    {"percent sign in the name", "http://router%2equillcrest.test/a.gif", kDomain, false},
    {"scheme other than http", "https://quillcrest.test/a.gif", kDomain, false},
    {"no scheme", "quillcrest.test/a.gif", kDomain, false},
    {"scheme-relative source", "//quillcrest.test/a.gif", kDomain, false},
    {"relative source", "pics/logo.gif", kDomain, false},
    {"numeric domain with the message server's port", "http://127.0.0.1:8071/a.gif", "127.0.0.1", true},
    {"numeric domain as the start of another address", "http://127.0.0.10/a.gif", "127.0.0.1", false},
    {"numeric domain as the end of another address", "http://1127.0.0.1/a.gif", "127.0.0.1", false},
    {"empty domain", "http://quillcrest.test/a.gif", "", false},
};

class PagesMessagePictureAddressTest : public ::testing::TestWithParam<PictureSourceRow> {};

TEST_P(PagesMessagePictureAddressTest, FetchesAsWrittenOnlyFromTheMessageDomain) {
    const PictureSourceRow& row = GetParam();
    SCOPED_TRACE(row.name);
    const std::string expected = row.asWritten ? row.source : kBase + row.source;
    EXPECT_EQ(MessagePictureAddress(row.source, row.domain, kBase), expected);
}

INSTANTIATE_TEST_SUITE_P(Sources,
                         PagesMessagePictureAddressTest,
                         ::testing::ValuesIn(kPictureSourceRows),
                         RowName<PictureSourceRow>);

}  // namespace
}  // namespace quillcrest
