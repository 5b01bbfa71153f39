// The wider check's alert as screen readers and other programs see it: every text through WM_GETTEXT of its
// controls (the list is an edit control, which answers it; a list view would not), the buttons' texts, and the
// answer each way of closing it gives.
#include <windows.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "base/utf8_text_win.h"
#include "support/http_row_name.h"
#include "support/widgets_look_inside_modal_win.h"
#include "watch/resolution_alert_win.h"
#include "widgets/notice_dialog_win.h"

namespace quillcrest {
namespace {

using fakes::LookInside;

// Two lines as the check gives them, one naming an adapter outside the ANSI code page (U+2011 non-breaking hyphen,
// U+00FC u with diaeresis).
const std::string kDifferences =
    "IPv6 DNS servers (\"Wi\xE2\x80\x91"
    "Fi B\xC3\xBC"
    "ro\"): was fd00::53, now fd00::66; handed out by the network\n"
    "Hosts file \"bank.example\": was none, now 127.0.0.9";

std::wstring WideText(HWND control) {
    const LRESULT length = ::SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        ::SendMessageW(control, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

std::string AnsiText(HWND control) {
    char text[1024] = {};
    const LRESULT copied = ::SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return std::string(text, static_cast<std::size_t>(copied));
}

// What the alert showed while it was up.
struct Seen {
    bool onScreen = false;
    std::string caption;
    std::wstring list;
    std::string listAnsi;
    std::string heading;
    std::string keepAdvice;
    std::string secondAdvice;
    std::string firstButton;
    std::string secondButton;
    int focusedId = 0;
    bool listReadOnly = false;
};

Seen LookAt(HWND alert) {
    Seen seen;
    seen.onScreen = ::IsWindowVisible(alert) != FALSE;
    seen.caption = AnsiText(alert);
    HWND list = ::GetDlgItem(alert, NoticeDialog::kDetailsId);
    seen.list = WideText(list);
    seen.listAnsi = AnsiText(list);
    seen.listReadOnly = (::GetWindowLongPtrW(list, GWL_STYLE) & ES_READONLY) != 0;
    seen.heading = AnsiText(::GetDlgItem(alert, NoticeDialog::kFirstTextId));
    seen.keepAdvice = AnsiText(::GetDlgItem(alert, NoticeDialog::kFirstTextId + 1));
    seen.secondAdvice = AnsiText(::GetDlgItem(alert, NoticeDialog::kFirstTextId + 2));
    seen.firstButton = AnsiText(::GetDlgItem(alert, NoticeDialog::kFirstButtonId));
    seen.secondButton = AnsiText(::GetDlgItem(alert, NoticeDialog::kFirstButtonId + 1));
    seen.focusedId = ::GetDlgCtrlID(::GetFocus());
    return seen;
}

TEST(ResolutionAlertWindowTest, EveryTextIsReadableThroughWmGetTextAndTheListKeepsEveryCharacter) {
    ResolutionAlertWindow alert(nullptr);
    Seen seen;
    LookInside([&] { return ::IsWindowVisible(alert.hwnd()) != FALSE; },
               [&] {
                   seen = LookAt(alert.hwnd());
                   ::PostMessageA(alert.hwnd(), WM_CLOSE, 0, 0);
               });

    alert.Show(kDifferences);

    ASSERT_TRUE(seen.onScreen);
    EXPECT_EQ(seen.caption, ResolutionAlertWindow::kCaption);
    EXPECT_EQ(seen.list, WideFromUtf8("IPv6 DNS servers (\"Wi\xE2\x80\x91"
                                      "Fi B\xC3\xBC"
                                      "ro\"): was fd00::53, now "
                                      "fd00::66; handed out by the network\r\n"
                                      "Hosts file \"bank.example\": was none, now 127.0.0.9"));
    EXPECT_NE(seen.listAnsi.find("\r\nHosts file \"bank.example\": was none, now 127.0.0.9"), std::string::npos)
        << "the list answers the 8-bit WM_GETTEXT too: " << seen.listAnsi;
    EXPECT_TRUE(seen.listReadOnly);
    EXPECT_EQ(seen.heading,
              "Quillcrest has detected changes to the settings that decide where this PC looks up names:");
    EXPECT_EQ(seen.keepAdvice, kKeepAlertButton.advice);
    EXPECT_EQ(seen.secondAdvice, kSecondAlertButton.advice);
    EXPECT_EQ(seen.firstButton, "Keep");
    EXPECT_EQ(seen.secondButton, kSecondAlertButton.text);
    EXPECT_EQ(seen.focusedId, NoticeDialog::kFirstButtonId + 1) << "the second button is the default, not Keep";
}

// One way of ending the alert and the answer it must give.
struct AnswerCase {
    const char* name;
    UINT message;
    WPARAM wParam;
    ResolutionAlertAnswer answer;
};

void PrintTo(const AnswerCase& row, std::ostream* out) {
    *out << row.name;
}

const AnswerCase kAnswerCases[] = {
    {"Keep", WM_COMMAND, MAKEWPARAM(NoticeDialog::kFirstButtonId, BN_CLICKED), ResolutionAlertAnswer::Keep},
    {"second button", WM_COMMAND, MAKEWPARAM(NoticeDialog::kFirstButtonId + 1, BN_CLICKED), kSecondAlertButton.answer},
    {"close box", WM_CLOSE, 0, ResolutionAlertAnswer::Close},
    {"Escape", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), ResolutionAlertAnswer::Close},
    {"Enter presses the default button", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), kSecondAlertButton.answer},
};

class ResolutionAlertAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ResolutionAlertAnswerTest, EachWayOfClosingGivesItsAnswer) {
    const AnswerCase& row = GetParam();
    SCOPED_TRACE(row.name);
    ResolutionAlertWindow alert(nullptr);
    LookInside([&] { return ::IsWindowVisible(alert.hwnd()) != FALSE; },
               [&] { ::PostMessageA(alert.hwnd(), row.message, row.wParam, 0); });

    EXPECT_EQ(alert.Show(kDifferences), row.answer);
    EXPECT_FALSE(::IsWindowVisible(alert.hwnd()));
}

INSTANTIATE_TEST_SUITE_P(Table,
                         ResolutionAlertAnswerTest,
                         ::testing::ValuesIn(kAnswerCases),
                         fakes::RowName<AnswerCase>);

// A list longer than the box scrolls in it; a short one takes only the room it needs, also when a long difference
// wraps onto a second line.
TEST(ResolutionAlertWindowTest, TheListGrowsWithItsLinesUpToItsMostAndScrollsBeyond) {
    auto listHeight = [](const std::string& differences, bool& scrolls) {
        ResolutionAlertWindow alert(nullptr);
        int height = 0;
        LookInside([&] { return ::IsWindowVisible(alert.hwnd()) != FALSE; },
                   [&] {
                       HWND list = ::GetDlgItem(alert.hwnd(), NoticeDialog::kDetailsId);
                       RECT rect;
                       ::GetWindowRect(list, &rect);
                       height = rect.bottom - rect.top;
                       SCROLLBARINFO bar{};
                       bar.cbSize = sizeof bar;
                       ::GetScrollBarInfo(list, OBJID_VSCROLL, &bar);
                       scrolls = (bar.rgstate[0] & STATE_SYSTEM_INVISIBLE) == 0;
                       ::PostMessageA(alert.hwnd(), WM_CLOSE, 0, 0);
                   });
        alert.Show(differences);
        return height;
    };
    std::string many;
    for (int i = 0; i < 40; ++i)
        many += (i > 0 ? "\n" : "") + std::string("Hosts file \"host") + std::to_string(i) + ".example\": was none";
    bool oneScrolls = true;
    bool twoScroll = true;
    bool manyScroll = false;
    bool wrappedScrolls = true;
    const int wrapped = listHeight(
        "Name resolution rule \"{0E2E0E2E-0000-4000-8000-000000000023}\" (\"policy rules\"): was none, now servers "
        "127.0.0.77",
        wrappedScrolls);
    const int one = listHeight("Hosts file \"bank.example\": was none, now 127.0.0.9", oneScrolls);
    const int two = listHeight(kDifferences, twoScroll);
    const int most = listHeight(many, manyScroll);

    EXPECT_LT(one, two);
    EXPECT_LT(two, most);
    EXPECT_FALSE(oneScrolls);
    EXPECT_FALSE(twoScroll);
    EXPECT_LT(one, wrapped) << "the wrapped line takes two lines";
    EXPECT_FALSE(wrappedScrolls) << "a wrapped line that fits shows no scroll bar";
    EXPECT_TRUE(manyScroll);
    EXPECT_EQ(most, listHeight(many + "\n" + many, manyScroll)) << "the box stops growing at its most lines";
}

}  // namespace
}  // namespace quillcrest
