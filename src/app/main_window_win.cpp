#include "app/main_window_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/administrator_check_win.h"
#include "app/application_win.h"
#include "app/error_boxes_win.h"
#include "app/error_report.h"
#include "app/gate_messages.h"
#include "app/main_window_ids.h"
#include "app/main_window_layout.h"
#include "app/platform_check_win.h"
#include "app/resources/resource_ids.h"
#include "base/exception.h"
#include "base/utf8_text_win.h"
#include "netconfig/dns_settings_keys_win.h"
#include "resolution/resolution_watched_keys_win.h"
#include "resolution/system_resolution_reader_win.h"
#include "resolution/undo_confirmation.h"
#include "settings/process_facts_win.h"
#include "startup/start_with_windows_win.h"
#include "watch/dns_baseline_storage.h"
#include "watch/locale_text_equality_win.h"
#include "widgets/application_window_win.h"
#include "widgets/dpi_win.h"
#include "widgets/message_box_win.h"
#include "widgets/modal_scope_win.h"

namespace quillcrest {

using namespace main_window_ids;
namespace layout = main_window_layout;

namespace {

// What screen readers announce for the picture at the top: a click on it shows the message window.
constexpr char kBannerName[] = "Quillcrest Message";
constexpr UINT_PTR kMouseReleaseSubclassId = 1;
// Runs the check button's handler after its mouse release has been fully handled, outside the button's own
// window procedure, because the handler may open a modal window. wParam: whether Ctrl was held.
constexpr UINT kCheckDnsReleasedMessage = WM_APP + 1;
// Posted by the DNS settings notification's own thread for each change it sees, and by the hosts file folder's.
constexpr UINT kDnsSettingsChangedMessage = WM_APP + 0x71;

constexpr COLORREF kBannerTop = RGB(0x0B, 0x4F, 0x8A);
constexpr COLORREF kBannerBottom = RGB(0x2F, 0x86, 0xD1);

PopupNotification::Design ActiveNoticeDesign() {
    return {"Quillcrest Active", 200, 60, "Calibri", 12, RGB(0x00, 0x40, 0x80), 180, 2, 10, 2000};
}

void FillVerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
    TRIVERTEX vertices[2] = {
        {rect.left, rect.top, static_cast<COLOR16>(GetRValue(top) << 8), static_cast<COLOR16>(GetGValue(top) << 8),
         static_cast<COLOR16>(GetBValue(top) << 8), 0},
        {rect.right, rect.bottom, static_cast<COLOR16>(GetRValue(bottom) << 8),
         static_cast<COLOR16>(GetGValue(bottom) << 8), static_cast<COLOR16>(GetBValue(bottom) << 8), 0},
    };
    GRADIENT_RECT gradient = {0, 1};
    ::GradientFill(dc, vertices, 2, &gradient, 1, GRADIENT_FILL_RECT_V);
}

// The application icon at a size, from the sizes the resource holds.
UniqueIcon AppIcon(int size) {
    return UniqueIcon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APPICON),
                                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

// Centred on the primary display, with its client area at the density.
void PlaceCentred(HWND window, int dpi) {
    const RECT frame = FrameForClient(ScaleToDpi(MainWindow::kClientWidth, dpi),
                                      ScaleToDpi(MainWindow::kClientHeight, dpi), kStyle, kExStyle, dpi);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(window, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The keys of the adapters' DNS servers and those of every other setting that decides where names go.
std::vector<WatchedRegistryKey> WatchedDnsKeys() {
    std::vector<WatchedRegistryKey> keys = DnsSettingsKeys();
    for (WatchedRegistryKey& key : ResolutionWatchedKeys())
        keys.push_back(std::move(key));
    return keys;
}

bool IsMouseRelease(UINT message) {
    return message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;
}

}  // namespace

GateChecks SystemGateChecks() {
    return {[] { return IsAdministrator(); }, [] { return IsSupportedPlatform(); }, &ShowErrorBox};
}

MainWindow::MainWindow(Application& application, GateChecks gateChecks)
    : application_(application),
      gateChecks_(std::move(gateChecks)),
      bannerFont_(layout::kBannerTitleFontHeight, FW_BOLD),
      controls_(layout::kClient),
      protection_(WideFromUtf8(GetExePathUtf8())),
      dnsUndo_({elevated_, undoActions_,
                // A reader of its own, as the elevated run has: both plans are made of the same reading.
                [] { return SystemResolutionReader().ReadAll(); },
                [this] { return ReadStoredDnsBaseline(files_, watch_->dnsBaseline().path()); },
                [](const std::string& question) {
                    return ShowModalUnicodeMessageBox(question, kUndoConfirmationCaption,
                                                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
                }}),
      resolution_([this] { ::PostMessageA(hwnd(), kDnsSettingsChangedMessage, 0, 0); }),
      dnsSettingsNotification_(WatchedDnsKeys(),
                               [this] { return ::PostMessageA(hwnd(), kDnsSettingsChangedMessage, 0, 0) != FALSE; }) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    HICON icon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_APPICON));
    Create(kClassName, kCaption, kStyle, kExStyle, 0, 0, kClientWidth, kClientHeight, nullptr, icon);
    // Placed on the primary display first, the window then knows that display's density.
    PlaceCentred(hwnd(), SystemDpi());
    const int dpi = WindowDpi(hwnd());
    PlaceCentred(hwnd(), dpi);
    CreateControls();
    ApplyDpi(dpi);

    // The notification area shows its icons at the shell's density, the system's.
    trayPicture_ = AppIcon(SystemMetricForDpi(SM_CXSMICON, SystemDpi()));
    trayIcon_ = std::make_unique<TrayIcon>(
        trayPicture_ ? trayPicture_.get() : icon, kApplicationTitle,
        TrayIcon::Events{[this] { OnTrayMenuRequest(); }, [this] { RunTrayCommand([this] { RestoreFromTray(); }); }});
    popup_ = std::make_unique<PopupNotification>(ActiveNoticeDesign());
    watch_ = std::make_unique<DnsWatch>(
        DnsWatch::Platform{wmiQuery_, registry_, elevatingNetwork_, files_, *this, *this, *this, *this, *this, clock_,
                           allowedListSave_, resolution_, resolution_, *this, dnsBaselineSave_, dnsUndo_},
        GetExeDirUtf8(), EqualIgnoringCaseByUserLocale);
    ::SetTimer(hwnd(), kDefaultCheckTimerId, kDefaultCheckIntervalMs, nullptr);
    RunHandler([this] { OnCreate(); });
}

MainWindow::~MainWindow() {
    for (HWND control : {monitorBox_, checkDnsButton_}) {
        if (control)
            ::RemoveWindowSubclass(control, &MainWindow::MouseReleaseSubclassProc, kMouseReleaseSubclassId);
    }
    // The icon goes before the window that receives its messages.
    trayIcon_.reset();
}

void MainWindow::CreateControls() {
    HWND self = hwnd();
    auto add = [](ScaledControls& controls, HWND parent, const char* className, const char* text, DWORD style, int id,
                  LayoutBox box, const ScaledFont* font) {
        return controls.Add(
            CreateControl(parent, className, text, WS_VISIBLE | style, id, {box.x, box.y, box.Right(), box.Bottom()}),
            box, font);
    };
    // The pictures' texts are not drawn; they are the names screen readers announce for them.
    bannerPicture_ = add(controls_, self, WC_STATICA, kBannerName, SS_OWNERDRAW | SS_NOTIFY, kBannerPicture,
                         layout::kBanner, &font_);

    sideImage_ = add(controls_, self, WC_STATICA, kApplicationTitle, SS_ICON | SS_REALSIZEIMAGE | SS_CENTERIMAGE,
                     kSideImage, layout::kSideImage, &font_);

    HWND group = add(controls_, self, WC_BUTTONA, "DNS Selection", BS_GROUPBOX, kDnsSelectionGroup,
                     layout::kDnsSelectionGroup, &font_);
    // The frame lies over the radio buttons; painted last, it would blacken their surroundings.
    ::SetWindowLongPtrA(group, GWL_EXSTYLE, ::GetWindowLongPtrA(group, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    add(controls_, self, WC_BUTTONA, "Use my Default (originall) DNS settings",
        BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, kUseDefaultDnsChoice, layout::kUseDefaultDnsChoice, &font_);
    add(controls_, self, WC_BUTTONA, "Use OpenDNS for all DNS Queries", BS_AUTORADIOBUTTON, kUseOpenDnsChoice,
        layout::kUseOpenDnsChoice, &font_);
    checkDnsButton_ = add(controls_, self, WC_BUTTONA, "Check My Current DNS Settings",
                          BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, kCheckDnsButton, layout::kCheckDnsButton, &font_);
    monitorBox_ = add(controls_, self, WC_BUTTONA, "Monitor My DNS Settings for Unauthorized Changes",
                      BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, kMonitorBox, layout::kMonitorBox, &font_);
    for (HWND control : {monitorBox_, checkDnsButton_}) {
        ::SetWindowSubclass(control, &MainWindow::MouseReleaseSubclassProc, kMouseReleaseSubclassId,
                            reinterpret_cast<DWORD_PTR>(this));
    }

    const LayoutBox panelBox = layout::kBottomPanel;
    bottomPanel_ = std::make_unique<Panel>(self, kBottomPanel, panelBox.x, panelBox.y, panelBox.width, panelBox.height);
    controls_.Add(bottomPanel_->hwnd(), panelBox, nullptr);
    panelControls_ = std::make_unique<ScaledControls>(layout::kPanelClient);
    HWND panel = bottomPanel_->hwnd();
    add(*panelControls_, panel, WC_BUTTONA, "Info", BS_PUSHBUTTON | WS_TABSTOP, kInfoButton, layout::kInfoButton,
        &font_);
    applyButton_ = add(*panelControls_, panel, WC_BUTTONA, "Apply", BS_PUSHBUTTON | WS_TABSTOP, kApplyButton,
                       layout::kApplyButton, &font_);
    ::ShowWindow(applyButton_, SW_HIDE);
    closeButton_ = add(*panelControls_, panel, WC_BUTTONA, "Close", BS_DEFSPLITBUTTON | WS_TABSTOP, kCloseButton,
                       layout::kCloseButton, &font_);

    closeMenu_.reset(::CreatePopupMenu());
    ::AppendMenuA(closeMenu_.get(), MF_STRING, kCloseToTrayItem, "Close to System Tray");
    ::AppendMenuA(closeMenu_.get(), MF_STRING, kQuitProgramItem, "Quit Program");
    trayMenu_.reset(::CreatePopupMenu());
    ::AppendMenuA(trayMenu_.get(), MF_STRING, kOpenItem, "Open");
    ::AppendMenuA(trayMenu_.get(), MF_STRING, kExitItem, "Exit");
    ::SetMenuDefaultItem(trayMenu_.get(), kOpenItem, FALSE);
}

void MainWindow::ApplyDpi(int dpi) {
    dpi_ = dpi;
    // The old fonts live until every control has the new ones.
    const UniqueGdiObject oldFont = font_.Rescale(dpi);
    const UniqueGdiObject oldBannerFont = bannerFont_.Rescale(dpi);
    // Pictures come from the icon's own sizes, never a small one stretched; the old ones go once replaced.
    UniqueIcon oldIcons[] = {std::move(bigIcon_), std::move(captionIcon_), std::move(switcherIcon_)};
    bigIcon_ = AppIcon(ScaleToDpi(layout::kSideImage.width, dpi));
    ::SendMessageA(sideImage_, STM_SETICON, reinterpret_cast<WPARAM>(bigIcon_.get()), 0);
    captionIcon_ = AppIcon(SystemMetricForDpi(SM_CXSMICON, dpi));
    switcherIcon_ = AppIcon(SystemMetricForDpi(SM_CXICON, dpi));
    ::SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(captionIcon_.get()));
    ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(switcherIcon_.get()));
    controls_.Place(dpi);
    panelControls_->Place(dpi);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void MainWindow::OnDpiChanged(int dpi) {
    ApplyDpi(dpi);
}

// --- window events ------------------------------------------------------------------------------------------

void MainWindow::OnCreate() {
    if (!gateChecks_.isAdministrator()) {
        gateChecks_.showErrorBox(kAdministratorMessage);
        Application::Terminate();
    }
    // Setting the box from here runs none of its handlers.
    ::SendMessageA(monitorBox_, BM_SETCHECK, StartsWithWindows() ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!MonitorBoxTicked())
        RestoreFromTray();
    watch_->Start();
    if (MonitorBoxTicked()) {
        popup_->Hide();
        popup_->Show();
    }
    ::SetTimer(hwnd(), kTrayRetryTimerId, kTrayRetryIntervalMs, nullptr);
}

void MainWindow::OnShow() {
    watch_->OnWindowShown();
    if (!gateChecks_.isSupportedPlatform()) {
        gateChecks_.showErrorBox(kPlatformMessage);
        Application::Terminate();
    }
    ::SetFocus(bottomPanel_->hwnd());
}

bool MainWindow::OnCloseQuery() {
    return watch_->OnCloseQuery();
}

void MainWindow::OnClose() {
    // The closed window is the application's main window, so closing it ends the program.
    ::ShowWindow(hwnd(), SW_HIDE);
    Application::Terminate();
}

bool MainWindow::HidesToTray(WPARAM command) const {
    const WPARAM kind = command & 0xFFF0;
    return trayActive_ && (kind == SC_MINIMIZE || kind == SC_CLOSE);
}

void MainWindow::OnSystemCommandToTray(WPARAM command) {
    if ((command & 0xFFF0) == SC_MINIMIZE)
        OnTrayMinimize();
    HideToTray();
}

// --- controls ---------------------------------------------------------------------------------------------------

bool MainWindow::MonitorBoxTicked() const {
    return ::SendMessageA(monitorBox_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::OnMonitorBoxReleased() {
    // The watch needs no rights and follows the box as clicked, whatever becomes of the Run value.
    const std::optional<std::string> problem = runValueSwitch_.OnBoxReleased(MonitorBoxTicked());
    watch_->OnMonitorBoxReleased();
    if (problem)
        ShowError(*problem);
}

void MainWindow::OnCheckDnsButtonReleased(bool ctrlHeld) {
    watch_->OnCheckButtonReleased(ctrlHeld);
}

void MainWindow::OnSelectionClicked(int controlId) {
    watch_->OnSelectionClicked(controlId == kUseOpenDnsChoice ? kSelectionOpenDns : kSelectionDefault);
}

void MainWindow::OnApplyClicked() {
    watch_->OnApplyClicked();
}

void MainWindow::OnInfoClicked() {
    if (partners_.informationWindow)
        partners_.informationWindow->ShowModal();
}

void MainWindow::OnBannerClicked() {
    if (partners_.messageWindow)
        ::ShowWindow(partners_.messageWindow->hwnd(), SW_SHOW);
}

void MainWindow::OnCloseButtonClicked() {
    if (MonitorBoxTicked())
        ::PostMessageA(hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else
        ::SendMessageA(hwnd(), WM_CLOSE, 0, 0);
}

void MainWindow::OnCloseToTray() {
    ::PostMessageA(hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void MainWindow::OnQuitProgram() {
    watch_->OnExitCommand();
    Application::Terminate();
}

void MainWindow::ShowCloseMenu() {
    RECT rect;
    ::GetWindowRect(closeButton_, &rect);
    // The chosen item arrives as WM_COMMAND, like a command from any other menu.
    ::TrackPopupMenuEx(closeMenu_.get(), TPM_RIGHTALIGN | TPM_TOPALIGN, rect.right, rect.bottom, hwnd(), nullptr);
}

// --- tray icon --------------------------------------------------------------------------------------------------

void MainWindow::OnTrayRetryTick() {
    try {
        trayIcon_->Show();
    } catch (const std::exception&) {
        // The shell is not ready yet (at logon): try again at the next tick, without a word.
        return;
    }
    trayActive_ = true;
    ::KillTimer(hwnd(), kTrayRetryTimerId);
}

void MainWindow::OnTrayMinimize() {
    // Only the start-with-Windows entry follows the box here; the 30-second check keeps its state. Hiding asks
    // for no rights and reports nothing: the click that set the box reported its own failure.
    runValueSwitch_.FollowBoxQuietly(MonitorBoxTicked());
}

void MainWindow::OnTrayMenuRequest() {
    const UINT command = TrayIcon::TrackMenu(trayMenu_.get(), ApplicationWindow() ? ApplicationWindow() : hwnd());
    if (command != 0)
        ::PostMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void MainWindow::RunTrayCommand(const std::function<void()>& command) {
    // Under a modal window the tray's commands only bring it to the front, as Windows programs do: showing an
    // enabled main window or quitting would act in the middle of what the modal window asks.
    if (!BringModalWindowToFront())
        command();
}

void MainWindow::HideToTray() {
    trayIcon_->Show();
    ::ShowWindow(hwnd(), SW_HIDE);
}

void MainWindow::RestoreFromTray() {
    if (::IsIconic(hwnd()))
        ::ShowWindow(hwnd(), SW_RESTORE);
    ::ShowWindow(hwnd(), SW_SHOW);
    ::SetForegroundWindow(hwnd());
    ::BringWindowToTop(hwnd());
    // The icon stays active and comes back at the next hide.
    if (trayIcon_)
        trayIcon_->Remove();
}

// --- what the watch drives ------------------------------------------------------------------------------------

void MainWindow::ShowSelectionItem(int item) {
    ::CheckRadioButton(hwnd(), kUseDefaultDnsChoice, kUseOpenDnsChoice,
                       item == kSelectionOpenDns ? kUseOpenDnsChoice : kUseDefaultDnsChoice);
    ::InvalidateRect(::GetDlgItem(hwnd(), kDnsSelectionGroup), nullptr, TRUE);
}

void MainWindow::ShowApplyButton(bool shown) {
    ::ShowWindow(applyButton_, shown ? SW_SHOW : SW_HIDE);
}

int MainWindow::ShowAlert() {
    return partners_.alertDialog ? partners_.alertDialog->ShowModal() : kModalResultCancel;
}

ResolutionAlertAnswer MainWindow::Show(const std::string& differences) {
    return partners_.resolutionAlert ? partners_.resolutionAlert->Show(differences) : ResolutionAlertAnswer::Close;
}

void MainWindow::ShowUndoReport(const std::string& report) {
    if (partners_.resolutionAlert)
        partners_.resolutionAlert->ShowUndoReport(report);
}

bool MainWindow::Confirm(const std::string& question) {
    // Modal for the whole program: the main window must not apply, check or close in the middle of a revert.
    return ShowModalMessageBox(question, "Confirm", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

int MainWindow::ShowExitDialog() {
    return partners_.exitDialog ? partners_.exitDialog->ShowModal(hwnd()) : kModalResultCancel;
}

LookupWindowResult MainWindow::ShowLookupWindow(const std::string& defaultDnsList) {
    LookupWindowResult result;
    if (!partners_.lookupWindow)
        return result;
    partners_.lookupWindow->SetDefaultDnsList(defaultDnsList);
    result.result = partners_.lookupWindow->ShowModal();
    result.reportedServers = partners_.lookupWindow->ReportedServers();
    return result;
}

void MainWindow::ShowError(const std::string& message) {
    // Through the one reporter, which knows how many reports are up.
    ReportException(Exception(message));
}

void MainWindow::ShowNotice(const std::string& message) {
    ::MessageBoxA(ApplicationWindow(), message.c_str(), kApplicationTitle, MB_OK | MB_ICONINFORMATION);
}

void MainWindow::SetWatching(bool on) {
    // Where the keys cannot be watched, the timers notice every change on their own: nothing to say.
    if (on)
        dnsSettingsNotification_.Start();
    else
        dnsSettingsNotification_.Stop();
}

void MainWindow::StartOnce(std::chrono::milliseconds delay) {
    ::SetTimer(hwnd(), kSettleTimerId, static_cast<UINT>(delay.count()), nullptr);
}

void MainWindow::OnSettleTimerTick() {
    // Window timers repeat; this one elapses once.
    ::KillTimer(hwnd(), kSettleTimerId);
    watch_->OnSettleTimerElapsed();
}

void MainWindow::SetEnabled(bool enabled) {
    if (enabled == recentCheckRunning_)
        return;
    if (enabled)
        ::SetTimer(hwnd(), kRecentCheckTimerId, kRecentCheckIntervalMs, nullptr);
    else
        ::KillTimer(hwnd(), kRecentCheckTimerId);
    recentCheckRunning_ = enabled;
}

// --- painting and message routing -------------------------------------------------------------------------------

void MainWindow::PaintBanner(const DRAWITEMSTRUCT& item) {
    FillVerticalGradient(item.hDC, item.rcItem, kBannerTop, kBannerBottom);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, RGB(0xFF, 0xFF, 0xFF));
    HGDIOBJ old = ::SelectObject(item.hDC, bannerFont_.get());
    RECT text = item.rcItem;
    const int inset = ScaleToDpi(layout::kBannerTextInset, dpi_);
    text.left += inset;
    ::DrawTextA(item.hDC, "Quillcrest", -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(item.hDC, font_.get());
    text.right -= inset;
    ::DrawTextA(item.hDC, "Guarding your DNS settings", -1, &text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(item.hDC, old);
}

LRESULT CALLBACK
MainWindow::MouseReleaseSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    // The handlers run on the release of any mouse button over the control, after the control has handled it
    // (the box has toggled itself); a change or press by keyboard runs neither.
    const LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
    if (IsMouseRelease(message)) {
        auto* self = reinterpret_cast<MainWindow*>(data);
        if (hwnd == self->monitorBox_)
            RunHandler([self] { self->OnMonitorBoxReleased(); });
        else if (hwnd == self->checkDnsButton_)
            ::PostMessageA(self->hwnd(), kCheckDnsReleasedMessage, (wParam & MK_CONTROL) ? 1 : 0, 0);
    }
    return result;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SHOWWINDOW:
            if (wParam)
                RunHandler([this] { OnShow(); });
            return DefaultHandling(message, wParam, lParam);
        case WM_TIMER:
            switch (wParam) {
                case kRecentCheckTimerId:
                    RunHandler([this] { watch_->OnRecentCheckTick(); });
                    return 0;
                case kDefaultCheckTimerId:
                    RunHandler([this] { watch_->OnDefaultCheckTick(); });
                    return 0;
                case kTrayRetryTimerId:
                    OnTrayRetryTick();
                    return 0;
                case kSettleTimerId:
                    RunHandler([this] { OnSettleTimerTick(); });
                    return 0;
            }
            break;
        case kDnsSettingsChangedMessage:
            dnsSettingsNotification_.SignalTaken();
            RunHandler([this] { watch_->OnDnsSettingsSignalled(); });
            return 0;
        case kCheckDnsReleasedMessage:
            RunHandler([this, wParam] { OnCheckDnsButtonReleased(wParam != 0); });
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            switch (id) {
                case kCloseButton:
                    if (code == BN_CLICKED)
                        RunHandler([this] { OnCloseButtonClicked(); });
                    return 0;
                case kInfoButton:
                    if (code == BN_CLICKED)
                        RunHandler([this] { OnInfoClicked(); });
                    return 0;
                case kApplyButton:
                    if (code == BN_CLICKED)
                        RunHandler([this] { OnApplyClicked(); });
                    return 0;
                case kUseDefaultDnsChoice:
                case kUseOpenDnsChoice:
                    if (code == BN_CLICKED)
                        RunHandler([this, id] { OnSelectionClicked(id); });
                    return 0;
                case kBannerPicture:
                    if (code == STN_CLICKED)
                        RunHandler([this] { OnBannerClicked(); });
                    return 0;
                case kCloseToTrayItem:
                    RunHandler([this] { OnCloseToTray(); });
                    return 0;
                case kQuitProgramItem:
                    RunHandler([this] { OnQuitProgram(); });
                    return 0;
                case kExitItem:
                    RunHandler([this] { RunTrayCommand([this] { OnQuitProgram(); }); });
                    return 0;
                case kOpenItem:
                    RunHandler([this] { RunTrayCommand([this] { RestoreFromTray(); }); });
                    return 0;
                case IDCANCEL:
                    return 0;
            }
            break;
        }
        case DM_GETDEFID:
            // Enter anywhere in the window clicks the default button, "Close".
            return MAKELRESULT(kCloseButton, DC_HASDEFID);
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == static_cast<UINT_PTR>(kCloseButton) && header->code == BCN_DROPDOWN) {
                RunHandler([this] { ShowCloseMenu(); });
                return 0;
            }
            break;
        }
        case WM_SETCURSOR:
            // Only the banner, which opens the message window, shows the hand.
            if (reinterpret_cast<HWND>(wParam) == bannerPicture_) {
                ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->CtlID == static_cast<UINT>(kBannerPicture)) {
                PaintBanner(*item);
                return TRUE;
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        case WM_PRINTCLIENT: {
            // Themed radio buttons ask for the parent's background this way; without it they sit on black.
            RECT client;
            ::GetClientRect(hwnd(), &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_BTNFACE));
            return 0;
        }
        case WM_SYSCOMMAND:
            // While the tray icon is active, minimise and close hide the window instead; the command itself is
            // not carried out, even when hiding fails.
            if (HidesToTray(wParam)) {
                RunHandler([this, wParam] { OnSystemCommandToTray(wParam); });
                return 0;
            }
            break;
        case WM_CLOSE:
            RunHandler([this] {
                if (OnCloseQuery())
                    OnClose();
            });
            return 0;
        case WM_QUERYENDSESSION: {
            // The end of the logon asks the same question as closing the window.
            bool allowed = true;
            RunHandler([this, &allowed] { allowed = OnCloseQuery(); });
            return allowed ? TRUE : FALSE;
        }
        case WM_ENDSESSION:
            // The process ends without leaving its message loop: take the icon away now.
            if (wParam && trayIcon_)
                trayIcon_->Remove();
            return 0;
    }
    return DefaultHandling(message, wParam, lParam);
}

}  // namespace quillcrest
