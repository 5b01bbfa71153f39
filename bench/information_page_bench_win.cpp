// What the user waits for after "Info": the time from the button's handler (the information window's ShowModal)
// until the window's page has been painted, with the page served from loopback, against the bare parts of that
// work: one fetch of the page by the web page client, then loading it into an HTML view of the same size and
// painting it. The difference is what the window adds (its modal loop, showing, focus, the wait's dispatching).
//
// Usage: information_page_bench.exe [rounds, default 20] [page file, default site/quillcrestinfo.html]
// Prints each median and one result line "BENCH|...|<figure>|<goal>|<ratio>|<verdict>"; the goal is the bare
// work plus one frame (16 ms).
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/win_handles_win.h"
#include "base/winsock_session_win.h"
#include "bench_clock_win.h"
#include "bench_median.h"
#include "html/html_view_win.h"
#include "http/http_client.h"
#include "http/winsock_network_win.h"
#include "pages/information_window_win.h"
#include "pages/pages_window_ids.h"
#include "ui_wait_probe_win.h"

using namespace quillcrest;

namespace {

constexpr char kBench[] = "information page bench";
constexpr double kFrameMs = 16.0;

[[noreturn]] void Fail(const std::string& what) {
    bench::Fail(kBench, what);
}

// Answers every connection with the page (Content-Length, then the close), like a static web server on the same
// machine; accept and receive block, so the server costs nothing between fetches.
class PageServer {
  public:
    PageServer(std::string page, int connections) : response_(ResponseOf(page)) {
        listener_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (!listener_ || ::bind(listener_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_.get(), 4) != 0)
            Fail("the page server could not listen");
        int length = sizeof address;
        ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, connections] { Serve(connections); });
    }
    ~PageServer() { thread_.join(); }
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;

    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }

  private:
    static std::string ResponseOf(const std::string& page) {
        return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(page.size()) +
               "\r\nConnection: close\r\n\r\n" + page;
    }

    void Serve(int connections) {
        for (int i = 0; i < connections; ++i) {
            UniqueSocket connection(::accept(listener_.get(), nullptr, nullptr));
            if (!connection)
                return;
            // The request ends with an empty line; nothing in it matters here.
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const int got = ::recv(connection.get(), buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(got));
            }
            std::size_t sent = 0;
            while (sent < response_.size()) {
                const int put =
                    ::send(connection.get(), response_.data() + sent, static_cast<int>(response_.size() - sent), 0);
                if (put <= 0)
                    break;
                sent += static_cast<std::size_t>(put);
            }
            ::shutdown(connection.get(), SD_SEND);
            while (::recv(connection.get(), buffer, sizeof buffer, 0) > 0) {
            }
        }
    }

    WinsockSession session_;
    UniqueSocket listener_;
    std::uint16_t port_ = 0;
    std::string response_;
    std::thread thread_;
};

// Marks the moment the information page's view has finished painting and then clicks the window's OK button,
// which ends the modal loop: the view's window procedure is wrapped for the time the object lives.
class PaintWatch {
  public:
    PaintWatch(HWND dialog, HWND view) : dialog_(dialog), view_(view) {
        current_ = this;
        original_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(view_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaintWatch::Procedure)));
    }
    ~PaintWatch() {
        ::SetWindowLongPtrA(view_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        current_ = nullptr;
    }
    PaintWatch(const PaintWatch&) = delete;
    PaintWatch& operator=(const PaintWatch&) = delete;

    void Arm() { paintedAt_ = 0; }
    double PaintedAt() const { return paintedAt_; }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        PaintWatch* self = current_;
        const LRESULT result = ::CallWindowProcA(self->original_, window, message, wParam, lParam);
        if (message == WM_PAINT && self->paintedAt_ == 0) {
            self->paintedAt_ = bench::Now();
            const HWND ok = ::GetDlgItem(self->dialog_, pages_window_ids::kInformationOkButton);
            ::PostMessageA(self->dialog_, WM_COMMAND, MAKEWPARAM(pages_window_ids::kInformationOkButton, BN_CLICKED),
                           reinterpret_cast<LPARAM>(ok));
        }
        return result;
    }

    static inline PaintWatch* current_ = nullptr;
    HWND dialog_;
    HWND view_;
    WNDPROC original_ = nullptr;
    double paintedAt_ = 0;
};

// A plain visible window holding an HTML view of the information window's size: the bare layout and paint.
class BareViewWindow {
  public:
    BareViewWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcA;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClassName;
        ::RegisterClassA(&windowClass);
        window_ = ::CreateWindowExA(0, kClassName, "bare view", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                    InformationWindow::kWidth, InformationWindow::kHeight, nullptr, nullptr,
                                    windowClass.hInstance, nullptr);
        if (!window_)
            Fail("the bare view's window could not be made");
        HtmlViewOptions options;
        options.border = true;
        view_ = std::make_unique<HtmlView>(window_, 1, 0, 0, InformationWindow::kViewWidth,
                                           InformationWindow::kViewHeight, HtmlViewCallbacks{}, options);
    }
    ~BareViewWindow() {
        view_.reset();
        ::DestroyWindow(window_);
    }
    BareViewWindow(const BareViewWindow&) = delete;
    BareViewWindow& operator=(const BareViewWindow&) = delete;

    // Lays the page out and paints it at once.
    void Show(const std::string& page) {
        view_->LoadText(page);
        ::RedrawWindow(view_->hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }

  private:
    static constexpr char kClassName[] = "QuillcrestBareView";
    HWND window_ = nullptr;
    std::unique_ptr<HtmlView> view_;
};

// Lets messages the last round left (repaints, focus changes) settle, so a round starts from a quiet queue.
void PumpPending() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const std::string pageFile = argc > 2 ? argv[2] : "site/quillcrestinfo.html";
    std::ifstream file(pageFile, std::ios::binary);
    const std::string page{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (page.empty())
        Fail("no page in " + pageFile);

    // A warm-up of each kind, then the rounds, alternating.
    PageServer server(page, 2 * (rounds + 1));
    InformationWindow window(nullptr, server.Host(), ::LoadIcon(nullptr, IDI_INFORMATION));
    PaintWatch watch(window.hwnd(), ::GetDlgItem(window.hwnd(), pages_window_ids::kInformationView));
    BareViewWindow bare;
    WinsockNetwork network;
    HttpClient client(network);
    client.SetUrl("http://" + server.Host() + "/quillcrestinfo.html");

    std::vector<double> felt;
    std::vector<double> bareWork;
    for (int round = 0; round <= rounds; ++round) {
        PumpPending();
        watch.Arm();
        const double clicked = bench::Now();
        window.ShowModal();
        if (watch.PaintedAt() == 0)
            Fail("the information window closed without painting its page");
        const double feltMs = (watch.PaintedAt() - clicked) * 1e3;

        PumpPending();
        const double start = bench::Now();
        if (client.Get() != 200)
            Fail("the bare fetch did not get the page");
        bare.Show(client.Body());
        const double bareMs = (bench::Now() - start) * 1e3;
        if (round == 0)
            continue;
        felt.push_back(feltMs);
        bareWork.push_back(bareMs);
        std::printf("round %2d: Info to painted %7.2f ms, bare fetch + layout + paint %7.2f ms\n", round, feltMs,
                    bareMs);
    }
    const double feltMedian = bench::Median(felt);
    const double bareMedian = bench::Median(bareWork);
    const double goal = bareMedian + kFrameMs;
    std::printf("page of %zu bytes, median of %d rounds: Info to painted %.2f ms, bare %.2f ms\n", page.size(), rounds,
                feltMedian, bareMedian);
    std::printf(
        "BENCH|information page: Info to painted (loopback server)|%.1f ms median against bare fetch + "
        "layout + paint %.1f ms|<= bare + 16 ms (one frame)|%.3f x|%s\n",
        feltMedian, bareMedian, feltMedian / goal, feltMedian <= goal ? "met" : "NOT met");
    std::fflush(stdout);
    return 0;
}
