#include <windows.h>
#include <gtest/gtest.h>
#include <winsock2.h>

#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/exception.h"
#include "base/win_handles_win.h"
#include "base/winsock_session_win.h"
#include "pages/day_count.h"
#include "pages/information_window_win.h"
#include "pages/local_clock_win.h"
#include "pages/message_counters.h"
#include "pages/message_window_win.h"
#include "pages/pages_window_ids.h"
#include "settings/registry_api_win.h"
#include "settings/registry_values.h"
#include "widgets/window_win.h"
#include "support/loopback_listener_win.h"

namespace quillcrest {
namespace {

namespace ids = pages_window_ids;

// A web server on 127.0.0.1 in a thread of the test: answers every request with the response stored for its
// path (404 for any other), one request per connection, and logs the paths asked for. While held, it reads and
// logs each request but keeps its answer back until released, like a slow server.
class LoopbackSite {
  public:
    explicit LoopbackSite(std::map<std::string, std::string> responses) : responses_(std::move(responses)) {
        listener_ = fakes::ListenOnLoopback(8, port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackSite() {
        stop_ = true;
        thread_.join();
    }

    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    void Hold() { held_ = true; }
    void Release() { held_ = false; }
    std::vector<std::string> Paths() {
        std::lock_guard<std::mutex> lock(mutex_);
        return paths_;
    }

    static std::string Ok(const std::string& contentType, const std::string& body) {
        return "HTTP/1.1 200 OK\r\nContent-Type: " + contentType +
               "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    }

  private:
    void Serve() {
        while (!stop_) {
            if (!fakes::SocketReadable(listener_.get(), 50))
                continue;
            UniqueSocket connection(::accept(listener_.get(), nullptr, nullptr));
            if (!connection)
                continue;
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos && fakes::SocketReadable(connection.get(), 5000)) {
                const int count = ::recv(connection.get(), buffer, sizeof(buffer), 0);
                if (count <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(count));
            }
            const std::size_t start = request.find(' ') + 1;
            const std::string path = request.substr(start, request.find(' ', start) - start);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                paths_.push_back(path);
            }
            while (held_ && !stop_)
                ::Sleep(5);
            const auto found = responses_.find(path);
            const std::string response = found != responses_.end()
                                             ? found->second
                                             : "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nNot Found";
            ::send(connection.get(), response.data(), static_cast<int>(response.size()), 0);
            ::shutdown(connection.get(), SD_SEND);
        }
    }

    WinsockSession session_;
    UniqueSocket listener_;
    std::uint16_t port_ = 0;
    std::map<std::string, std::string> responses_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> held_{false};
    std::mutex mutex_;
    std::vector<std::string> paths_;
};

// A 1 x 1 GIF.
const std::string kPixelGif(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00\x00,"
    "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;",
    43);

std::string ViewText(HWND window, int id) {
    HWND view = ::GetDlgItem(window, id);
    const int length = static_cast<int>(::SendMessageA(view, WM_GETTEXTLENGTH, 0, 0));
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied =
        static_cast<int>(::SendMessageA(view, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

// Each test's exception reports, instead of the program's error box.
class ReportsRecorded {
  public:
    ReportsRecorded() {
        SetExceptionReporter([this](const std::exception& error) { reports.push_back(error.what()); });
    }
    ~ReportsRecorded() { SetExceptionReporter(nullptr); }
    std::vector<std::string> reports;
};

class PagesMessageWindowTest : public ::testing::Test {
  protected:
    void TearDown() override { DeleteRegValue(registry_, kHkeyCurrentUser, MessageCountersKey(kIdentifier), ""); }

    static constexpr char kIdentifier[] = "quillcrest-windows-test";
    Win32RegistryApi registry_;
};

TEST_F(PagesMessageWindowTest, SecondTickLoadsThePageWithItsPictureShowsItAndThanksCountsIt) {
    DeleteRegValue(registry_, kHkeyCurrentUser, MessageCountersKey(kIdentifier), "");
    const std::string page =
        std::string("<html><head><meta name=\"adID\" content=\"") + kIdentifier +
        "\"><meta name=\"TimesToShow\" content=\"5\"><meta name=\"TimesPerDay\" content=\"2\">"
        "<meta name=\"EveryHours\" content=\"12\"><meta name=\"ValidTo\" content=\"9999-12-31 "
        "23:59:59\"></head><body><img src=\"note.gif\"> Hello from the message server</body></html>";
    LoopbackSite site({{"/odnsad.html", LoopbackSite::Ok("text/html", page)},
                       {"/note.gif", LoopbackSite::Ok("image/gif", kPixelGif)}});
    ReportsRecorded recorded;
    MessageWindow window(nullptr, {site.Host(), "message.invalid"}, [] { return false; });
    HWND hwnd = window.hwnd();
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    const LONG_PTR exStyle = ::GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);

    ::SendMessageA(hwnd, WM_TIMER, MessageWindow::kFetchTimerId, 0);
    EXPECT_TRUE(site.Paths().empty());
    ::SendMessageA(hwnd, WM_TIMER, MessageWindow::kFetchTimerId, 0);
    EXPECT_EQ(site.Paths(), (std::vector<std::string>{"/odnsad.html", "/note.gif"}));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_NE(ViewText(hwnd, ids::kMessageView).find("Hello from the message server"), std::string::npos);
    EXPECT_EQ(window.Schedule().Identifier(), kIdentifier);
    RECT view;
    ::GetClientRect(::GetDlgItem(hwnd, ids::kMessageView), &view);
    EXPECT_EQ(view.right, 450);
    EXPECT_EQ(view.bottom, 250);

    const double before = SystemLocalClock().Now();
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(ids::kThanksButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hwnd, ids::kThanksButton)));
    const double after = SystemLocalClock().Now();
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    const MessageCounters stored = ReadMessageCounters(registry_, kIdentifier, UserDecimalSeparator());
    EXPECT_EQ(stored.shown, 1);
    EXPECT_EQ(stored.thanksToday, 1);
    EXPECT_GE(stored.lastThanks, before - 1e-9);
    EXPECT_LE(stored.lastThanks, after + 1e-9);
    EXPECT_TRUE(recorded.reports.empty());
}

TEST_F(PagesMessageWindowTest, FetchFailureIsReportedOnceAndNotWhileAnotherReportIsUp) {
    // A port nothing listens on: every fetch is refused.
    std::string host;
    {
        LoopbackSite closed({});
        host = closed.Host();
    }
    ReportsRecorded recorded;
    bool otherReportUp = true;
    MessageWindow window(nullptr, {host, "message.invalid"}, [&] { return otherReportUp; });
    for (int tick = 0; tick < 3; ++tick)
        ::SendMessageA(window.hwnd(), WM_TIMER, MessageWindow::kFetchTimerId, 0);
    EXPECT_TRUE(recorded.reports.empty());
    otherReportUp = false;
    for (int tick = 0; tick < 3; ++tick)
        ::SendMessageA(window.hwnd(), WM_TIMER, MessageWindow::kFetchTimerId, 0);
    EXPECT_EQ(recorded.reports, std::vector<std::string>{"[10061] Connection refused"});
    EXPECT_EQ(window.Schedule().TickCount(), 1);
}

// Shows the window modally and, once it is on screen, notes the view's text and the focus and presses OK.
struct ModalVisit {
    bool shownOnScreen = false;
    std::string viewText;
    HWND focus = nullptr;
};

ModalVisit* g_visit = nullptr;
InformationWindow* g_window = nullptr;

void CALLBACK LookAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND hwnd = g_window->hwnd();
    if (!::IsWindowVisible(hwnd))
        return;
    ::KillTimer(nullptr, timer);
    g_visit->shownOnScreen = true;
    g_visit->viewText = ViewText(hwnd, ids::kInformationView);
    g_visit->focus = ::GetFocus();
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(ids::kInformationOkButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hwnd, ids::kInformationOkButton)));
}

ModalVisit Visit(InformationWindow& window, int& result) {
    ModalVisit visit;
    g_visit = &visit;
    g_window = &window;
    ::SetTimer(nullptr, 0, 20, &LookAndClose);
    result = window.ShowModal();
    g_visit = nullptr;
    g_window = nullptr;
    return visit;
}

TEST(PagesInformationWindow, Status200LoadsThePageAndFocusesTheView) {
    ReportsRecorded recorded;
    int result = 0;
    {
        LoopbackSite site({{"/quillcrestinfo.html", LoopbackSite::Ok("text/html", "<p>About the product</p>")}});
        InformationWindow window(nullptr, site.Host(), ::LoadIconA(nullptr, IDI_APPLICATION));
        RECT frame;
        ::GetWindowRect(window.hwnd(), &frame);
        EXPECT_EQ(frame.right - frame.left, 499);
        EXPECT_EQ(frame.bottom - frame.top, 484);

        const ModalVisit first = Visit(window, result);
        EXPECT_TRUE(first.shownOnScreen);
        EXPECT_EQ(first.viewText, "About the product");
        EXPECT_EQ(first.focus, ::GetDlgItem(window.hwnd(), ids::kInformationView));
        EXPECT_EQ(result, kModalResultOk);
        EXPECT_EQ(site.Paths(), std::vector<std::string>{"/quillcrestinfo.html"});
    }
    EXPECT_TRUE(recorded.reports.empty());
}

TEST(PagesInformationWindow, Status404AndFailuresLeaveThePageAndOnlyFailuresAreReported) {
    ReportsRecorded recorded;
    int result = 0;
    std::string closedHost;
    {
        LoopbackSite closed({});
        closedHost = closed.Host();
    }
    InformationWindow unreachable(nullptr, closedHost, nullptr);
    const ModalVisit refused = Visit(unreachable, result);
    EXPECT_TRUE(refused.shownOnScreen);
    EXPECT_EQ(refused.viewText, "");
    const ModalVisit refusedAgain = Visit(unreachable, result);
    EXPECT_TRUE(refusedAgain.shownOnScreen);
    EXPECT_EQ(recorded.reports, (std::vector<std::string>{"[10061] Connection refused", "[10061] Connection refused"}));

    recorded.reports.clear();
    LoopbackSite missing({});
    InformationWindow notFound(nullptr, missing.Host(), nullptr);
    const ModalVisit visit = Visit(notFound, result);
    EXPECT_TRUE(visit.shownOnScreen);
    EXPECT_EQ(visit.viewText, "");
    EXPECT_TRUE(recorded.reports.empty());
    EXPECT_EQ(missing.Paths(), std::vector<std::string>{"/quillcrestinfo.html"});
}

// What a second "Info" finds while the first one's page fetch waits for a slow server.
struct DuringFetch {
    bool reached = false;
    bool otherWindowEnabled = true;
    int secondShowResult = -1;
    std::size_t requestsSeenBySecond = 0;
};

DuringFetch* g_duringFetch = nullptr;
LoopbackSite* g_slowSite = nullptr;
InformationWindow* g_fetchingWindow = nullptr;
HWND g_otherWindow = nullptr;

void CALLBACK AskAgainDuringFetch(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_slowSite->Paths().empty())
        return;
    ::KillTimer(nullptr, timer);
    g_duringFetch->reached = true;
    g_duringFetch->otherWindowEnabled = ::IsWindowEnabled(g_otherWindow) != FALSE;
    // Released before asking again: a second fetch, if one started, gets its answer and the test goes on.
    g_slowSite->Release();
    g_duringFetch->secondShowResult = g_fetchingWindow->ShowModal();
    g_duringFetch->requestsSeenBySecond = g_slowSite->Paths().size();
}

// The fetch runs before the window shows and dispatches messages while it waits: the rest of the program is
// already disabled, and the window asked for again opens nothing and fetches nothing.
TEST(PagesInformationWindow, SecondRequestDuringASlowFetchOpensNothing) {
    ReportsRecorded recorded;
    LoopbackSite site({{"/quillcrestinfo.html", LoopbackSite::Ok("text/html", "<p>About the product</p>")}});
    site.Hold();
    InformationWindow window(nullptr, site.Host(), nullptr);
    // A stand-in for the main window with its "Info" button.
    const UniqueWindow mainWindow(::CreateWindowExA(0, "BUTTON", "Info", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                                                    100, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(mainWindow);

    DuringFetch during;
    g_duringFetch = &during;
    g_slowSite = &site;
    g_fetchingWindow = &window;
    g_otherWindow = mainWindow.get();
    ::SetTimer(nullptr, 0, 10, &AskAgainDuringFetch);
    int result = 0;
    const ModalVisit visit = Visit(window, result);
    g_duringFetch = nullptr;
    g_slowSite = nullptr;
    g_fetchingWindow = nullptr;
    g_otherWindow = nullptr;

    ASSERT_TRUE(during.reached);
    EXPECT_FALSE(during.otherWindowEnabled);
    EXPECT_EQ(during.secondShowResult, kModalResultCancel);
    EXPECT_EQ(during.requestsSeenBySecond, 1u);
    EXPECT_TRUE(visit.shownOnScreen);
    EXPECT_EQ(visit.viewText, "About the product");
    EXPECT_EQ(result, kModalResultOk);
    EXPECT_EQ(site.Paths(), std::vector<std::string>{"/quillcrestinfo.html"});
    EXPECT_TRUE(::IsWindowEnabled(mainWindow.get()));
    EXPECT_TRUE(recorded.reports.empty());
}

}  // namespace
}  // namespace quillcrest
