#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "base/win_handles_win.h"
#include "html/html_view_win.h"
#include "http/http_client.h"
#include "http/winsock_network_win.h"
#include "pages/local_clock_win.h"
#include "pages/message_schedule.h"
#include "pages/page_fetcher.h"
#include "settings/registry_api_win.h"
#include "widgets/scaled_controls_win.h"
#include "widgets/ui_font_win.h"
#include "widgets/window_win.h"

namespace quillcrest {

// "TAd": the short message page of the message server, shown within the limits the page sets (see
// MessageSchedule). Lives hidden for the whole run; a topmost tool window centred on the desktop, with the page
// above a "Thanks" button. The main window may also show it directly with ShowWindow.
class MessageWindow : public Window, private MessageWindowHost {
  public:
    // Kept as it is on purpose: other programs and the end-to-end driver find this window by its class name.
    static constexpr char kClassName[] = "TAd";
    static constexpr char kCaption[] = "Quillcrest Message";
    static constexpr int kViewWidth = 450;
    static constexpr int kViewHeight = 250;
    static constexpr UINT_PTR kFetchTimerId = 1;
    static constexpr UINT_PTR kHideTimerId = 2;

    // errorReportOnScreen tells whether one of the program's error reports is up, so that a failed fetch does
    // not stack another box on it.
    MessageWindow(HWND owner, MessageServer server, std::function<bool()> errorReportOnScreen);
    ~MessageWindow() override;

    const MessageSchedule& Schedule() const { return schedule_; }

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged(int dpi) override;

  private:
    // MessageWindowHost
    void StartFetchTimer(unsigned intervalMs) override;
    void StopFetchTimer() override;
    void LoadPage(const std::string& body) override;
    bool IsShowing() const override;
    void ShowInFront() override;
    void Hide() override;
    bool ErrorReportOnScreen() const override;
    void ReportError(const std::exception& error) override;

    WinsockNetwork network_;
    HttpClient client_{network_};
    HttpPageFetcher fetcher_{client_};
    Win32RegistryApi registry_;
    SystemLocalClock clock_;
    std::function<bool()> errorReportOnScreen_;
    MessageSchedule schedule_;
    ScaledFont font_;
    ScaledControls controls_;
    std::unique_ptr<HtmlView> view_;
};

}  // namespace quillcrest
