#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "base/win_handles_win.h"
#include "html/html_view_win.h"
#include "lookup/lookup_client.h"
#include "lookup/report_builder.h"
#include "lookup/report_pictures.h"
#include "netconfig/ip_config_snapshot_win.h"
#include "widgets/modal_window_win.h"
#include "widgets/notice_dialog_win.h"
#include "widgets/scaled_controls_win.h"
#include "widgets/ui_font_win.h"

namespace quillcrest {

// "TDNSCheck": checks the computer's DNS servers with the lookup service and shows the report. Shown modally by
// the main window; "Save as Default" ends it with the OK result, after which ReportedServers() holds the servers
// to store as the new default list.
class LookupWindow : public ModalWindow {
  public:
    // `ipHelper`, which must outlive the window, is where a run reads the computer's DNS servers.
    LookupWindow(HWND owner,
                 LookupClient& client,
                 std::string lookupHost,
                 PictureContainer pictures,
                 IpHelperApi& ipHelper = SystemIpHelper());

    // The default list the run compares the reported servers with; set before each showing.
    void SetDefaultDnsList(std::string defaultDnsList) { defaultDnsList_ = std::move(defaultDnsList); }
    const std::string& ReportedServers() const { return reportedServers_; }

    // One lookup run, as "Check My DNS" starts it.
    void RunLookup();

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnBeforeShow() override;
    int DefaultButtonId() const override;
    void OnDpiChanged(int dpi) override;

  private:
    // Fonts and controls for the density; the window's own size is the caller's.
    void ApplyDpi(int dpi);
    LookupReport ExchangeWhileBusy(const std::vector<std::string>& servers);

    LookupClient& client_;
    std::string lookupHost_;
    PictureContainer pictures_;
    std::string defaultDnsList_;
    std::string reportedServers_;
    IpConfigSnapshot snapshot_;
    ScaledFont font_;
    ScaledControls controls_;
    std::unique_ptr<HtmlView> reportView_;
    // The report shown, loaded again at another density so that its pictures are the ones drawn for it.
    std::string reportHtml_;
    std::unique_ptr<NoticeDialog> okDialog_;
    HWND busyNotice_ = nullptr;
    HWND saveButton_ = nullptr;
    bool running_ = false;
};

// "TDNSokDlg": the reassuring word after a run that found no warning.
NoticeDialog::Design LookupOkDialogDesign();

}  // namespace quillcrest
