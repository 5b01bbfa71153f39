#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "html/html_layout.h"
#include "html/html_view_win.h"
#include "lookup/report_builder.h"
#include "widgets/link_opener_win.h"
#include "widgets/window_win.h"

namespace quillcrest {
namespace {

using Microsoft::WRL::ComPtr;

constexpr int kViewId = 102;

class HostWindow : public Window {
  public:
    HostWindow() {
        Create("QuillcrestAccessibleTestHost", "Accessible view test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 40, 40, 520,
               420, nullptr);
    }
};

void PumpMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

VARIANT Child(long id) {
    VARIANT child;
    ::VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

// Takes a string the object handed out; "(none)" for a null one.
std::string Taken(BSTR text) {
    if (!text)
        return "(none)";
    int length =
        ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(::SysStringLen(text)), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(::SysStringLen(text)), result.data(), length, nullptr,
                          nullptr);
    ::SysFreeString(text);
    return result;
}

// What a screen reader hears of one child: "role: name", with " -> value (action)" for links.
struct Heard {
    long id;
    std::string spoken;
};

std::string Speak(IAccessible* page, long id) {
    VARIANT role;
    ::VariantInit(&role);
    EXPECT_EQ(page->get_accRole(Child(id), &role), S_OK);
    BSTR name = nullptr;
    page->get_accName(Child(id), &name);
    std::string spoken = (role.lVal == ROLE_SYSTEM_LINK         ? "link: "
                          : role.lVal == ROLE_SYSTEM_STATICTEXT ? "text: "
                                                                : "other: ") +
                         Taken(name);
    if (role.lVal == ROLE_SYSTEM_LINK) {
        BSTR value = nullptr;
        BSTR action = nullptr;
        page->get_accValue(Child(id), &value);
        page->get_accDefaultAction(Child(id), &action);
        spoken += " -> " + Taken(value) + " (" + Taken(action) + ")";
    }
    return spoken;
}

// The children as AccessibleChildren hands them out, each read the way a screen reader reads it.
std::vector<Heard> ReadAloud(IAccessible* page) {
    LONG count = 0;
    EXPECT_EQ(page->get_accChildCount(&count), S_OK);
    std::vector<VARIANT> children(static_cast<std::size_t>(count));
    LONG obtained = 0;
    EXPECT_EQ(::AccessibleChildren(page, 0, count, children.data(), &obtained), S_OK);
    EXPECT_EQ(obtained, count);
    std::vector<Heard> heard;
    for (LONG i = 0; i < obtained; ++i) {
        EXPECT_EQ(children[static_cast<std::size_t>(i)].vt, VT_I4);
        long id = children[static_cast<std::size_t>(i)].lVal;
        heard.push_back({id, Speak(page, id)});
        ::VariantClear(&children[static_cast<std::size_t>(i)]);
    }
    return heard;
}

std::vector<std::string> Spoken(const std::vector<Heard>& heard) {
    std::vector<std::string> spoken;
    for (const Heard& one : heard)
        spoken.push_back(one.spoken);
    return spoken;
}

class HtmlViewAccessibleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        comResult_ = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        host_ = std::make_unique<HostWindow>();
        ASSERT_NE(host_->hwnd(), nullptr);
        HtmlViewCallbacks callbacks;
        // The program's one opener, with the shell replaced by a log of what would have been opened.
        callbacks.onLinkClick = [this](const std::string& address) {
            OpenLinkInBrowser(host_->hwnd(), address,
                              [this](HWND, const char*, const char* file, const char*, const char*, int) {
                                  opened.emplace_back(file);
                                  return reinterpret_cast<HINSTANCE>(33);
                              });
        };
        view_ = std::make_unique<HtmlView>(host_->hwnd(), kViewId, 10, 10, 480, 300, std::move(callbacks));
        ASSERT_NE(view_->hwnd(), nullptr);
    }
    void TearDown() override {
        page_.Reset();
        view_.reset();
        host_.reset();
        if (SUCCEEDED(comResult_))
            ::CoUninitialize();
    }

    IAccessible* Page() {
        if (!page_) {
            HRESULT result =
                ::AccessibleObjectFromWindow(view_->hwnd(), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                             reinterpret_cast<void**>(page_.GetAddressOf()));
            EXPECT_EQ(result, S_OK);
        }
        return page_.Get();
    }

    std::unique_ptr<HostWindow> host_;
    std::unique_ptr<HtmlView> view_;
    ComPtr<IAccessible> page_;
    std::vector<std::string> opened;

  private:
    HRESULT comResult_ = E_FAIL;
};

LookupReport ReportWithLinksInTheWarning() {
    LookupResult result;
    result.Outcome = LookupOutcome::Answered;
    result.Answer.PublicAddress = "198.51.100.7";
    result.Answer.PublicCountry = "Romania";
    result.Answer.ServerAddress = "85.255.112.1";
    result.Answer.ServerHostName = "rogue.example";
    result.Answer.ServerCountry = "Romania";
    result.Answer.Warning =
        "Known rogue server, see <a href=\"http://127.0.0.1:8070/rogue\">the list</a> or "
        "<a href=\"file:///C:/windows/system32/notepad.exe\">run the fixer</a>";
    return BuildLookupReport({result}, "85.255.112.1");
}

TEST_F(HtmlViewAccessibleTest, LookupReportReadsOutInOrderWithItsLinks) {
    view_->LoadText(BuildLookupReport({}, "").Html());
    view_->LoadText(ReportWithLinksInTheWarning().Html());
    IAccessible* page = Page();
    ASSERT_NE(page, nullptr);

    VARIANT role;
    ::VariantInit(&role);
    ASSERT_EQ(page->get_accRole(Child(CHILDID_SELF), &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_DOCUMENT);
    EXPECT_EQ(Spoken(ReadAloud(page)), (std::vector<std::string>{
                                           "text: Your Public IP Address is: 198.51.100.7",
                                           "text: Your Country is: Romania",
                                           "text: Your computer has 1 DNS servers defined.",
                                           "text: Your primary DNS server is NOT an OpenDNS server",
                                           "text: Results for DNS Server 1",
                                           "text: IP Address: 85.255.112.1",
                                           "text: Host Name: rogue.example",
                                           "text: Country: Romania",
                                           "text: Warnings: Known rogue server, see",
                                           "link: the list -> http://127.0.0.1:8070/rogue (Jump)",
                                           "text: or",
                                           "link: run the fixer -> file:///C:/windows/system32/notepad.exe (Jump)",
                                       }));
    // Text has nothing to do; get_accChild tells that children are plain elements of this object.
    BSTR action = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(page->get_accDefaultAction(Child(1), &action), S_FALSE);
    EXPECT_EQ(action, nullptr);
    IDispatch* object = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(page->get_accChild(Child(1), &object), S_FALSE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(page->get_accChild(Child(13), &object), E_INVALIDARG);
}

// The information page as the site serves it: title line, paragraph, heading, then the list items, each led by
// its bullet.
TEST_F(HtmlViewAccessibleTest, InformationPageReadsOutInOrder) {
    std::ifstream file(QUILLCREST_SITE_DIR "/quillcrestinfo.html", std::ios::binary);
    ASSERT_TRUE(file) << QUILLCREST_SITE_DIR;
    view_->LoadText(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    IAccessible* page = Page();
    ASSERT_NE(page, nullptr);
    std::vector<std::string> spoken = Spoken(ReadAloud(page));
    ASSERT_GE(spoken.size(), 5u);
    EXPECT_EQ(spoken[0], "text: Quillcrest");
    EXPECT_EQ(spoken[1].rfind(
                  "text: Quillcrest guards your computer's DNS server settings. The DNS servers turn names such", 0),
              0u)
        << spoken[1];
    EXPECT_EQ(spoken[2], "text: How the watch works");
    EXPECT_EQ(spoken[3].rfind("text: \x95 At its first start Quillcrest records the DNS servers", 0), 0u) << spoken[3];
    EXPECT_EQ(spoken[4].rfind("text: \x95 While Monitor My DNS Settings for Unauthorized Changes is ticked", 0), 0u)
        << spoken[4];
    BSTR title = nullptr;
    ASSERT_EQ(page->get_accName(Child(CHILDID_SELF), &title), S_OK);
    EXPECT_EQ(Taken(title), "About Quillcrest");
}

TEST_F(HtmlViewAccessibleTest, JumpOpensWebAddressesThroughTheSafeOpenerAndFileLinksNotAtAll) {
    view_->LoadText(ReportWithLinksInTheWarning().Html());
    IAccessible* page = Page();
    ASSERT_NE(page, nullptr);
    std::vector<Heard> heard = ReadAloud(page);
    ASSERT_EQ(heard.size(), 12u);
    long webLink = heard[9].id;
    long fileLink = heard[11].id;

    EXPECT_EQ(page->accDoDefaultAction(Child(fileLink)), S_OK);
    PumpMessages();
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(page->accDoDefaultAction(Child(webLink)), S_OK);
    PumpMessages();
    EXPECT_EQ(opened, (std::vector<std::string>{"http://127.0.0.1:8070/rogue"}));
    EXPECT_EQ(page->accDoDefaultAction(Child(1)), DISP_E_MEMBERNOTFOUND);

    // A jump asked for on one page does not land on the next one.
    EXPECT_EQ(page->accDoDefaultAction(Child(webLink)), S_OK);
    view_->LoadText("<a href=\"http://127.0.0.1:8070/other\">other</a>");
    PumpMessages();
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(HtmlViewAccessibleTest, LocationsAreTheLaidOutRectanglesOnTheScreenAndFocusFollowsTheLinks) {
    view_->LoadText("<p>First words</p><p>Go <a href=\"http://127.0.0.1/one\">one</a> or <a href=\"two\">two</a></p>");
    IAccessible* page = Page();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(Spoken(ReadAloud(page)),
              (std::vector<std::string>{"text: First words", "text: Go", "link: one -> http://127.0.0.1/one (Jump)",
                                        "text: or", "link: two -> two (Jump)"}));

    // The link's place in the page, moved to where the view's client area lies on the screen.
    const HtmlRect area = view_->Document()->Links()[0].areas.at(0);
    POINT corner{area.x, area.y};
    ::ClientToScreen(view_->hwnd(), &corner);
    LONG left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(page->accLocation(&left, &top, &width, &height, Child(3)), S_OK);
    EXPECT_EQ(left, corner.x);
    EXPECT_EQ(top, corner.y);
    EXPECT_EQ(width, area.width);
    EXPECT_EQ(height, area.height);
    VARIANT hit;
    ASSERT_EQ(page->accHitTest(left + width / 2, top + height / 2, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, 3);

    // The text above it lies higher on the screen: reading order is the page's order.
    LONG textLeft = 0, textTop = 0, textWidth = 0, textHeight = 0;
    ASSERT_EQ(page->accLocation(&textLeft, &textTop, &textWidth, &textHeight, Child(1)), S_OK);
    EXPECT_LT(textTop + textHeight, top);
    EXPECT_EQ(textLeft, corner.x - area.x + kHtmlPageMargin);

    VARIANT focus;
    ::SetFocus(view_->hwnd());
    ASSERT_EQ(page->get_accFocus(&focus), S_OK);
    EXPECT_EQ(focus.lVal, CHILDID_SELF);
    ::SendMessageA(view_->hwnd(), WM_KEYDOWN, VK_TAB, 0);
    ::SendMessageA(view_->hwnd(), WM_KEYDOWN, VK_TAB, 0);
    ASSERT_EQ(page->get_accFocus(&focus), S_OK);
    EXPECT_EQ(focus.vt, VT_I4);
    EXPECT_EQ(focus.lVal, 5);
    VARIANT state;
    ASSERT_EQ(page->get_accState(Child(5), &state), S_OK);
    EXPECT_NE(state.lVal & STATE_SYSTEM_FOCUSED, 0);
    EXPECT_NE(state.lVal & STATE_SYSTEM_LINKED, 0);
    ASSERT_EQ(page->get_accState(Child(3), &state), S_OK);
    EXPECT_EQ(state.lVal & STATE_SYSTEM_FOCUSED, 0);

    // Taking the focus by the object moves the view's focus rectangle.
    EXPECT_EQ(page->accSelect(SELFLAG_TAKEFOCUS, Child(3)), S_OK);
    EXPECT_EQ(view_->FocusedLink(), 0);
}

TEST_F(HtmlViewAccessibleTest, ObjectOutlivingItsViewAnswersThatItIsGone) {
    view_->LoadText("<p>Short</p>");
    ComPtr<IAccessible> page = Page();
    ASSERT_NE(page, nullptr);
    LONG count = 0;
    EXPECT_EQ(page->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 1);
    view_.reset();
    EXPECT_EQ(page->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    BSTR name = nullptr;
    EXPECT_EQ(page->get_accName(Child(1), &name), CO_E_OBJNOTCONNECTED);
}

}  // namespace
}  // namespace quillcrest
