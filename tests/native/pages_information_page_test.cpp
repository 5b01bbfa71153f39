#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/information_page.h"
#include "pages/page_addresses.h"
#include "support/pages_fakes.h"
#include "support/row_name.h"

namespace quillcrest {
namespace {

using fakes::RowName;
using fakes::ScriptedPageFetcher;

constexpr char kInfo[] = "http://127.0.0.1:8070/quillcrestinfo.html";

struct InfoRow {
    const char* name;
    ScriptedPageFetcher::Reply reply;
    std::vector<std::string> shown;
    std::vector<std::string> reported;
};

const InfoRow kInfoRows[] = {
    {"Status_200_shows_the_page", {200, "<p>About</p>"}, {"<p>About</p>"}, {}},
    {"Status_404_changes_nothing_silently", {404, "<p>Not Found</p>"}, {}, {}},
    {"Status_line_without_number_changes_nothing", {-1, "junk"}, {}, {}},
    {"Failure_is_reported_and_nothing_shown", {0, "", "[11001] Host not found"}, {}, {"[11001] Host not found"}},
    {"Fetch_ended_by_a_quit_request_is_no_failure", ScriptedPageFetcher::Reply::Abandoned(), {}, {}},
};

class InformationPageTest : public ::testing::TestWithParam<InfoRow> {};

TEST_P(InformationPageTest, EveryShowingFetchesOnce) {
    const InfoRow& row = GetParam();
    SCOPED_TRACE(row.name);
    ScriptedPageFetcher fetcher;
    fetcher.Script(kInfo, {row.reply});
    std::vector<std::string> shown, reported;
    const InformationPageActions actions{[&](const std::string& body) { shown.push_back(body); },
                                         [&](const std::exception& error) { reported.push_back(error.what()); }};
    for (int showing = 1; showing <= 2; ++showing) {
        RefreshInformationPage(fetcher, InformationPageAddress("127.0.0.1:8070"), actions);
        EXPECT_EQ(fetcher.requests.size(), static_cast<std::size_t>(showing));
    }
    // The second showing does the same again: the user asked, so failures are reported every time.
    std::vector<std::string> twiceShown, twiceReported;
    for (int i = 0; i < 2; ++i) {
        twiceShown.insert(twiceShown.end(), row.shown.begin(), row.shown.end());
        twiceReported.insert(twiceReported.end(), row.reported.begin(), row.reported.end());
    }
    EXPECT_EQ(shown, twiceShown);
    EXPECT_EQ(reported, twiceReported);
}

INSTANTIATE_TEST_SUITE_P(Answers, InformationPageTest, ::testing::ValuesIn(kInfoRows), RowName<InfoRow>);

TEST(InformationPage, ShowingAgainDuringAWaitingFetchStartsNoSecondOne) {
    ScriptedPageFetcher fetcher;
    fetcher.Script(kInfo, {{200, "page"}});
    int shown = 0;
    int reported = 0;
    const InformationPageActions actions{[&](const std::string&) { ++shown; },
                                         [&](const std::exception&) { ++reported; }};
    fetcher.whileWaiting = [&](const std::string&) { RefreshInformationPage(fetcher, kInfo, actions); };
    RefreshInformationPage(fetcher, kInfo, actions);
    EXPECT_EQ(fetcher.requests.size(), 1u);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(reported, 0);
}

}  // namespace
}  // namespace quillcrest
