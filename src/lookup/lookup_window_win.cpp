#include "lookup/lookup_window_win.h"

#include "base/exception.h"
#include "lookup/lookup_run.h"
#include "lookup/lookup_window_ids.h"
#include "lookup/report_builder.h"
#include "widgets/disabled_window_win.h"
#include "widgets/dpi_win.h"
#include "widgets/link_opener_win.h"
#include "widgets/message_box_win.h"

namespace quillcrest {

namespace ids = lookup_window_ids;

namespace {

// Kept as it is on purpose: other programs and the end-to-end driver find the lookup window by this class name.
constexpr char kClassName[] = "TDNSCheck";
constexpr char kCaption[] = "Quillcrest Lookup Tool";
constexpr char kExplanation[] =
    "This tool will check your current DNS settings. It will contact a special server that will tell you the "
    "country where your DNS servers are located. It will also check a special database of known rogue DNS servers "
    "and will let you know if your DNS has been hijacked.";
constexpr char kBusyText[] = "Looking up your DNS info...";
constexpr char kWarningBoxTitle[] = "Quillcrest";

constexpr int kClientWidth = 560;
constexpr int kClientHeight = 420;
constexpr int kMargin = 10;
constexpr int kExplanationHeight = 44;
constexpr int kButtonWidth = 110;
constexpr int kButtonHeight = 26;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;

}  // namespace

NoticeDialog::Design LookupOkDialogDesign() {
    return {"TDNSokDlg",
            "Information",
            360,
            IDI_INFORMATION,
            {{"No warnings were found. This is good. It means your DNS servers(s) are not known to be dangerous.",
              RGB(0, 0, 0)},
             {"We recommend you run this check regularly", RGB(0, 0, 0x80)}},
            {{"OK", kModalResultOk}}};
}

LookupWindow::LookupWindow(HWND owner,
                           LookupClient& client,
                           std::string lookupHost,
                           PictureContainer pictures,
                           IpHelperApi& ipHelper)
    : client_(client),
      lookupHost_(std::move(lookupHost)),
      pictures_(std::move(pictures)),
      snapshot_(ipHelper),
      controls_({0, 0, kClientWidth, kClientHeight}) {
    Create(kClassName, kCaption, kStyle, kExStyle, 0, 0, kClientWidth, kClientHeight, owner);
    HWND self = hwnd();
    auto add = [this, self](const char* className, const char* text, DWORD style, int id, LayoutBox box) {
        return controls_.Add(CreateControl(self, className, text, style, id, {box.x, box.y, box.Right(), box.Bottom()}),
                             box, &font_);
    };
    add("STATIC", kExplanation, WS_VISIBLE | SS_LEFT, ids::kExplanation,
        {kMargin, kMargin, kClientWidth - 2 * kMargin, kExplanationHeight});
    const int viewTop = kMargin * 2 + kExplanationHeight;
    const int buttonTop = kClientHeight - kMargin - kButtonHeight;
    HtmlViewCallbacks callbacks;
    callbacks.onPictureRequest = [this](const std::string& source, int dpi) -> std::optional<HtmlPictureFile> {
        if (const DensityPicture* picture = pictures_.FindForDpi(source, dpi))
            return HtmlPictureFile{picture->bytes, picture->dpi};
        return std::nullopt;
    };
    callbacks.onLinkClick = [this](const std::string& address) { OpenLinkInBrowser(hwnd(), address); };
    HtmlViewOptions options;
    options.border = true;
    const LayoutBox viewBox{kMargin, viewTop, kClientWidth - 2 * kMargin, buttonTop - kMargin - viewTop};
    reportView_ = std::make_unique<HtmlView>(self, ids::kReportView, viewBox.x, viewBox.y, viewBox.width,
                                             viewBox.height, callbacks, options);
    controls_.Add(reportView_->hwnd(), viewBox, nullptr);
    busyNotice_ = add("STATIC", kBusyText, SS_LEFT, ids::kBusyNotice, {kMargin, buttonTop + 5, 200, kButtonHeight - 5});
    int x = kClientWidth - kMargin - 3 * kButtonWidth - 2 * kMargin;
    add("BUTTON", "Check My DNS", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, ids::kCheckButton,
        {x, buttonTop, kButtonWidth, kButtonHeight});
    x += kButtonWidth + kMargin;
    saveButton_ = add("BUTTON", "Save as Default", WS_TABSTOP | BS_PUSHBUTTON, ids::kSaveAsDefaultButton,
                      {x, buttonTop, kButtonWidth, kButtonHeight});
    x += kButtonWidth + kMargin;
    add("BUTTON", "Close", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, ids::kCloseButton,
        {x, buttonTop, kButtonWidth, kButtonHeight});
    ApplyDpi(WindowDpi(self));
    okDialog_ = std::make_unique<NoticeDialog>(LookupOkDialogDesign(), self);
}

void LookupWindow::ApplyDpi(int dpi) {
    const UniqueGdiObject oldFont = font_.Rescale(dpi);
    const LayoutBox client = controls_.ScaledClient(dpi);
    const RECT frame = FrameForClient(client.width, client.height, kStyle, kExStyle, dpi);
    ::SetWindowPos(hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    controls_.Place(dpi);
    reportView_->SetDpi(dpi);
}

void LookupWindow::OnDpiChanged(int dpi) {
    const UniqueGdiObject oldFont = font_.Rescale(dpi);
    controls_.Place(dpi);
    reportView_->SetDpi(dpi);
    // The pictures drawn for the new density replace the ones of the old.
    if (!reportHtml_.empty())
        reportView_->LoadText(reportHtml_);
}

int LookupWindow::DefaultButtonId() const {
    return ids::kCheckButton;
}

void LookupWindow::OnBeforeShow() {
    reportView_->Clear();
    reportHtml_.clear();
    ::ShowWindow(saveButton_, SW_HIDE);
    ::ShowWindow(busyNotice_, SW_HIDE);
    reportedServers_.clear();
    ::SetFocus(::GetDlgItem(hwnd(), ids::kCheckButton));
}

void LookupWindow::RunLookup() {
    // A failed refresh ends the run before anything changes; the error goes to the general error report. The run
    // asks only about the DNS servers, so an adapter list the platform cannot give does not stop it.
    snapshot_.RefreshNetworkParams();

    reportView_->Clear();
    reportHtml_.clear();
    reportedServers_.clear();
    ::ShowWindow(saveButton_, SW_HIDE);
    client_.SetHost(lookupHost_);
    const std::vector<std::string> servers = snapshot_.DNSServers;

    const LookupReport report = ExchangeWhileBusy(servers);
    reportedServers_ = report.reportedServers;
    reportHtml_ = report.Html();
    reportView_->LoadText(reportHtml_);
    if (report.offerSaveAsDefault)
        ::ShowWindow(saveButton_, SW_SHOW);
    ::SetFocus(reportView_->hwnd());

    if (report.ending == LookupRunEnding::NoWarnings)
        okDialog_->ShowModal(hwnd());
    else if (report.ending == LookupRunEnding::WarningsFound)
        ShowModalMessageBox(WarningsFoundMessage(report.warningsCount), kWarningBoxTitle, MB_OK | MB_ICONWARNING);
}

LookupReport LookupWindow::ExchangeWhileBusy(const std::vector<std::string>& servers) {
    // The window takes no input until the exchanges end, while it keeps painting and the program's timers keep
    // ticking inside their waits. Everything is put back on every way out.
    class BusyState {
      public:
        explicit BusyState(LookupWindow& window)
            : window_(window), cursor_(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))), disabled_(window.hwnd()) {
            window_.running_ = true;
            ::ShowWindow(window_.busyNotice_, SW_SHOW);
            ::UpdateWindow(window_.hwnd());
        }
        ~BusyState() {
            window_.running_ = false;
            ::ShowWindow(window_.busyNotice_, SW_HIDE);
            ::SetCursor(cursor_);
        }
        BusyState(const BusyState&) = delete;
        BusyState& operator=(const BusyState&) = delete;

      private:
        LookupWindow& window_;
        HCURSOR cursor_;
        const DisabledWindow disabled_;
    };
    const BusyState busy(*this);
    return BuildLookupReport(LookupEachServer(client_, servers), defaultDnsList_);
}

LRESULT LookupWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED)
                break;
            switch (LOWORD(wParam)) {
                case ids::kCheckButton:
                    RunHandler([this] { RunLookup(); });
                    return 0;
                case ids::kSaveAsDefaultButton:
                    EndModal(kModalResultOk);
                    return 0;
                case ids::kCloseButton:
                    EndModal(kModalResultCancel);
                    return 0;
            }
            break;
        case WM_SETCURSOR:
            if (running_) {
                ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_CTLCOLORSTATIC:
            ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    return ModalWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace quillcrest
