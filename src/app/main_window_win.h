#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/main_window_layout.h"
#include "base/monotonic_clock.h"
#include "base/system_message_win.h"
#include "base/win_handles_win.h"
#include "elevation/elevating_allowed_list_save.h"
#include "elevation/elevating_dns_baseline_save.h"
#include "elevation/elevating_dns_undo.h"
#include "elevation/elevating_run_value.h"
#include "elevation/elevating_watch_network.h"
#include "elevation/process_elevation_win.h"
#include "elevation/program_protection_win.h"
#include "elevation/runas_launcher_win.h"
#include "lookup/lookup_window_win.h"
#include "netconfig/connection_names_win.h"
#include "netconfig/wmi_connection_win.h"
#include "netconfig/wmi_query_win.h"
#include "resolution/undo_actions_win.h"
#include "settings/registry_api_win.h"
#include "settings/registry_change_notification_win.h"
#include "startup/run_value_switch.h"
#include "startup/start_with_windows_win.h"
#include "watch/check_timer.h"
#include "watch/dns_change_notification.h"
#include "watch/dns_watch.h"
#include "watch/file_system_win.h"
#include "watch/resolution_alert.h"
#include "watch/settle_timer.h"
#include "watch/system_resolution_source_win.h"
#include "watch/watch_dialogs.h"
#include "watch/watch_network_win.h"
#include "watch/watch_window.h"
#include "widgets/modal_window_win.h"
#include "widgets/panel_win.h"
#include "widgets/popup_notification_win.h"
#include "widgets/scaled_controls_win.h"
#include "widgets/tray_icon_win.h"
#include "widgets/ui_font_win.h"
#include "widgets/window_win.h"

namespace quillcrest {

class Application;

// The start-up gate checks and their error box, replaceable so tests can take the refused paths.
struct GateChecks {
    std::function<bool()> isAdministrator;
    std::function<bool()> isSupportedPlatform;
    std::function<void(const char* text)> showErrorBox;
};
GateChecks SystemGateChecks();

// The windows the main window opens; they are created after it, in the program's fixed order.
struct MainWindowPartners {
    ModalWindow* alertDialog = nullptr;
    ResolutionAlert* resolutionAlert = nullptr;
    LookupWindow* lookupWindow = nullptr;
    ModalWindow* informationWindow = nullptr;
    Window* messageWindow = nullptr;
    ModalWindow* exitDialog = nullptr;
};

// The main window: the program's only permanent window, the taskbar's stand-in for the application, owner of the
// tray icon, the pop-up notice, the watch's three timers and the DNS watch itself.
class MainWindow : public Window,
                   private WatchWindow,
                   private WatchDialogs,
                   private CheckTimer,
                   private DnsChangeNotification,
                   private SettleTimer,
                   private ResolutionAlert {
  public:
    explicit MainWindow(Application& application, GateChecks gateChecks = SystemGateChecks());
    ~MainWindow() override;

    void AttachPartners(const MainWindowPartners& partners) { partners_ = partners; }

    // Kept as it is on purpose: other programs and the end-to-end driver find the main window by this class name.
    static constexpr char kClassName[] = "TForm6";
    static constexpr char kCaption[] = "Quillcrest From Fernwhistle ";
    // The client area at 96 dots per inch; at other densities it and the controls scale.
    static constexpr int kClientWidth = main_window_layout::kClient.width;
    static constexpr int kClientHeight = main_window_layout::kClient.height;

    // Timer identifiers and intervals.
    static constexpr UINT_PTR kRecentCheckTimerId = 1;
    static constexpr UINT_PTR kDefaultCheckTimerId = 2;
    static constexpr UINT_PTR kTrayRetryTimerId = 3;
    static constexpr UINT_PTR kSettleTimerId = 4;
    static constexpr UINT kRecentCheckIntervalMs = 30000;
    static constexpr UINT kDefaultCheckIntervalMs = 120000;
    static constexpr UINT kTrayRetryIntervalMs = 5000;

    // The density the window is laid out for.
    int Dpi() const { return dpi_; }

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged(int dpi) override;

  private:
    void CreateControls();
    // Fonts, pictures and controls for the density; the window's own size is the caller's.
    void ApplyDpi(int dpi);

    // Window events.
    void OnCreate();
    void OnShow();
    bool OnCloseQuery();
    void OnClose();
    bool HidesToTray(WPARAM command) const;
    void OnSystemCommandToTray(WPARAM command);

    // Control and menu events.
    void OnMonitorBoxReleased();
    void OnCheckDnsButtonReleased(bool ctrlHeld);
    void OnSelectionClicked(int controlId);
    void OnApplyClicked();
    void OnInfoClicked();
    void OnBannerClicked();
    void OnCloseButtonClicked();
    void OnCloseToTray();
    void OnQuitProgram();
    void ShowCloseMenu();

    // Tray icon.
    void OnTrayRetryTick();
    void OnTrayMinimize();
    void OnTrayMenuRequest();
    void RunTrayCommand(const std::function<void()>& command);
    void RestoreFromTray();
    void HideToTray();

    bool MonitorBoxTicked() const;
    void PaintBanner(const DRAWITEMSTRUCT& item);
    static LRESULT CALLBACK
    MouseReleaseSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);

    // WatchWindow
    void ShowSelectionItem(int item) override;
    void ShowApplyButton(bool shown) override;
    bool MonitorSwitchOn() const override { return MonitorBoxTicked(); }
    // WatchDialogs
    int ShowAlert() override;
    bool Confirm(const std::string& question) override;
    int ShowExitDialog() override;
    LookupWindowResult ShowLookupWindow(const std::string& defaultDnsList) override;
    void ShowError(const std::string& message) override;
    void ShowNotice(const std::string& message) override;
    // CheckTimer: the 30-second check
    bool Enabled() const override { return recentCheckRunning_; }
    void SetEnabled(bool enabled) override;
    // DnsChangeNotification: the registry keys of the DNS settings
    void SetWatching(bool on) override;
    // SettleTimer
    void StartOnce(std::chrono::milliseconds delay) override;
    void OnSettleTimerTick();
    // ResolutionAlert: the wider check's alert, a partner window
    ResolutionAlertAnswer Show(const std::string& differences) override;
    void ShowUndoReport(const std::string& report) override;

    Application& application_;
    GateChecks gateChecks_;
    MainWindowPartners partners_;
    int dpi_ = kDesignDpi;
    ScaledFont font_;
    ScaledFont bannerFont_;
    ScaledControls controls_;
    std::unique_ptr<ScaledControls> panelControls_;
    HWND sideImage_ = nullptr;
    UniqueIcon bigIcon_;
    // The window's caption and task switcher icons at the window's density, the tray's at the shell's.
    UniqueIcon captionIcon_;
    UniqueIcon switcherIcon_;
    UniqueIcon trayPicture_;
    UniqueMenu closeMenu_;
    UniqueMenu trayMenu_;
    std::unique_ptr<Panel> bottomPanel_;
    HWND bannerPicture_ = nullptr;
    HWND monitorBox_ = nullptr;
    HWND checkDnsButton_ = nullptr;
    HWND applyButton_ = nullptr;
    HWND closeButton_ = nullptr;

    std::unique_ptr<TrayIcon> trayIcon_;
    bool trayActive_ = false;
    std::unique_ptr<PopupNotification> popup_;
    bool recentCheckRunning_ = false;

    Win32RegistryApi registry_;
    WmiConnection wmiConnection_;
    WbemQuery wmiQuery_{&wmiConnection_};
    SystemWatchNetwork network_;
    // Changes that need administrator rights go to an elevated run of the program when this one has none, and
    // only while no program without them can change the executable or its folder.
    SystemProcessElevation elevation_;
    SystemProgramProtection protection_;
    RunasLauncher launcher_{[this] { return hwnd(); }};
    ElevatedActions elevated_{elevation_, protection_, launcher_, SystemMessageText};
    ElevatingWatchNetwork elevatingNetwork_{network_, elevated_, ReadConnectionNames};
    ElevatingAllowedListSave allowedListSave_{elevated_};
    ElevatingDnsBaselineSave dnsBaselineSave_{elevated_};
    Win32UndoActions undoActions_;
    ElevatingDnsUndo dnsUndo_;
    SystemRunValueStore runValue_;
    ElevatingRunValue runValueWithRights_{elevated_};
    RunValueSwitch runValueSwitch_{runValue_, runValueWithRights_};
    WinFileSystem files_;
    SteadyMonotonicClock clock_;
    std::unique_ptr<DnsWatch> watch_;
    // The notifications' threads post to this window: declared last, they end before anything else goes.
    SystemResolutionSource resolution_;
    RegistryChangeNotification dnsSettingsNotification_;
};

}  // namespace quillcrest
