#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "base/win_handles_win.h"
#include "html/html_view_win.h"
#include "http/http_client.h"
#include "http/winsock_network_win.h"
#include "pages/page_fetcher.h"
#include "widgets/modal_window_win.h"
#include "widgets/scaled_controls_win.h"
#include "widgets/ui_font_win.h"

namespace quillcrest {

// "TAbout": the product's information page, fetched from the web server each time the window is shown
// modally. A failed fetch is reported (every time: the user asked for the page) before the window opens with
// its page as it was. The page's pictures are not fetched; its links open in the browser.
class InformationWindow : public ModalWindow {
  public:
    // Kept as it is on purpose: other programs and the end-to-end driver find this window by its class name.
    static constexpr char kClassName[] = "TAbout";
    static constexpr char kCaption[] = "Information";
    // The outer size at 96 dots per inch; the client area in it scales with the display's density.
    static constexpr int kWidth = 499;
    static constexpr int kHeight = 484;
    static constexpr int kViewWidth = 456;
    static constexpr int kViewHeight = 370;

    // The picture at the top left stays the caller's.
    InformationWindow(HWND owner, const std::string& webHost, HICON picture);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnBeforeShow() override;
    int DefaultButtonId() const override;
    void OnDpiChanged(int dpi) override;

  private:
    // The picture for the density, from the sizes of the caller's icon.
    void ApplyPicture(int dpi);

    std::string pageAddress_;
    WinsockNetwork network_;
    HttpClient client_{network_};
    HttpPageFetcher fetcher_{client_};
    HICON picture_;
    UniqueIcon scaledPicture_;
    HWND pictureControl_ = nullptr;
    ScaledFont font_;
    ScaledFont titleFont_;
    std::unique_ptr<ScaledControls> controls_;
    std::unique_ptr<HtmlView> view_;
};

}  // namespace quillcrest
