#include "lookup/lookup_window_win.h"

#include "base/exception.h"
#include "lookup/lookup_run.h"
#include "lookup/lookup_window_ids.h"
#include "lookup/report_builder.h"
#include "widgets/link_opener_win.h"
#include "widgets/message_box_win.h"
#include "widgets/ui_font_win.h"

namespace quillcrest {

namespace ids = lookup_window_ids;

namespace {

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

LookupWindow::LookupWindow(HWND owner, LookupClient& client, std::string lookupHost, PictureContainer pictures)
    : client_(client), lookupHost_(std::move(lookupHost)), pictures_(std::move(pictures)), font_(CreateUiFont()) {
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    Create(kClassName, kCaption, kStyle, kExStyle, 0, 0, frame.right - frame.left, frame.bottom - frame.top, owner);
    HWND self = hwnd();
    auto withFont = [this](HWND control) {
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return control;
    };
    withFont(CreateControl(self, "STATIC", kExplanation, WS_VISIBLE | SS_LEFT, ids::kExplanation,
                           {kMargin, kMargin, kClientWidth - kMargin, kMargin + kExplanationHeight}));
    const int viewTop = kMargin * 2 + kExplanationHeight;
    const int buttonTop = kClientHeight - kMargin - kButtonHeight;
    HtmlViewCallbacks callbacks;
    callbacks.onPictureRequest = [this](const std::string& source) -> std::optional<std::vector<std::uint8_t>> {
        if (const PictureBytes* picture = pictures_.Find(source))
            return *picture;
        return std::nullopt;
    };
    callbacks.onLinkClick = [this](const std::string& address) { OpenLinkInBrowser(hwnd(), address); };
    HtmlViewOptions options;
    options.border = true;
    reportView_ = std::make_unique<HtmlView>(self, ids::kReportView, kMargin, viewTop, kClientWidth - 2 * kMargin,
                                             buttonTop - kMargin - viewTop, callbacks, options);
    busyNotice_ = withFont(CreateControl(self, "STATIC", kBusyText, SS_LEFT, ids::kBusyNotice,
                                         {kMargin, buttonTop + 5, kMargin + 200, buttonTop + kButtonHeight}));
    int x = kClientWidth - kMargin - 3 * kButtonWidth - 2 * kMargin;
    withFont(CreateControl(self, "BUTTON", "Check My DNS", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, ids::kCheckButton,
                           {x, buttonTop, x + kButtonWidth, buttonTop + kButtonHeight}));
    x += kButtonWidth + kMargin;
    saveButton_ = withFont(CreateControl(self, "BUTTON", "Save as Default", WS_TABSTOP | BS_PUSHBUTTON,
                                         ids::kSaveAsDefaultButton, {x, buttonTop, x + kButtonWidth, buttonTop + kButtonHeight}));
    x += kButtonWidth + kMargin;
    withFont(CreateControl(self, "BUTTON", "Close", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, ids::kCloseButton,
                           {x, buttonTop, x + kButtonWidth, buttonTop + kButtonHeight}));
    okDialog_ = std::make_unique<NoticeDialog>(LookupOkDialogDesign(), self);
}

int LookupWindow::DefaultButtonId() const {
    return ids::kCheckButton;
}

void LookupWindow::OnBeforeShow() {
    reportView_->Clear();
    ::ShowWindow(saveButton_, SW_HIDE);
    ::ShowWindow(busyNotice_, SW_HIDE);
    reportedServers_.clear();
    ::SetFocus(::GetDlgItem(hwnd(), ids::kCheckButton));
}

void LookupWindow::RunLookup() {
    // A failed refresh ends the run before anything changes; the error goes to the general error report.
    snapshot_.Refresh();

    reportView_->Clear();
    reportedServers_.clear();
    ::ShowWindow(saveButton_, SW_HIDE);
    client_.SetHost(lookupHost_);
    const std::vector<std::string> servers = snapshot_.DNSServers;

    const LookupReport report = ExchangeWhileBusy(servers);
    reportedServers_ = report.reportedServers;
    reportView_->LoadText(report.Html());
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
            : window_(window), cursor_(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {
            window_.running_ = true;
            ::EnableWindow(window_.hwnd(), FALSE);
            ::ShowWindow(window_.busyNotice_, SW_SHOW);
            ::UpdateWindow(window_.hwnd());
        }
        ~BusyState() {
            window_.running_ = false;
            ::EnableWindow(window_.hwnd(), TRUE);
            ::ShowWindow(window_.busyNotice_, SW_HIDE);
            ::SetCursor(cursor_);
        }
        BusyState(const BusyState&) = delete;
        BusyState& operator=(const BusyState&) = delete;

      private:
        LookupWindow& window_;
        HCURSOR cursor_;
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
