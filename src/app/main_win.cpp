#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <memory>

#include "app/app_title.h"
#include "app/application_win.h"
#include "app/error_boxes_win.h"
#include "app/error_report.h"
#include "app/main_window_win.h"
#include "app/resources/resource_ids.h"
#include "app/single_instance_win.h"
#include "base/com_setup_win.h"
#include "base/system_dll_loading_win.h"
#include "base/utf8_text_win.h"
#include "build_config.h"
#include "elevation/action_mode_win.h"
#include "elevation/privileged_action.h"
#include "lookup/lookup_client_win.h"
#include "lookup/lookup_window_win.h"
#include "lookup/report_picture_resources_win.h"
#include "pages/information_window_win.h"
#include "pages/message_window_win.h"
#include "watch/resolution_alert_win.h"
#include "watch/watch_dialogs_win.h"
#include "widgets/notice_dialog_win.h"

using namespace quillcrest;

namespace {

// How many general error reports are on screen; the message window stacks none of its own on them.
int openErrorReports = 0;

void ShowCountedErrorReport(const std::exception& error) {
    struct Counted {
        Counted() { ++openErrorReports; }
        ~Counted() { --openErrorReports; }
    } counted;
    ShowGeneralErrorReport(error);
}

// Every window of the program, created in this order and destroyed in the reverse one.
struct ProgramWindows {
    explicit ProgramWindows(Application& application)
        : mainWindow(application),
          alertDialog(AlertDialogDesign(), application.hwnd()),
          resolutionAlert(application.hwnd()),
          lookupWindow(application.hwnd(), lookupClient.client(), build_config::kLookupHost, LoadReportPictures()),
          informationWindow(application.hwnd(),
                            build_config::kWebHost,
                            ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APPICON))),
          messageWindow(application.hwnd(),
                        {build_config::kMessageHost, build_config::kMessageDomain},
                        [] { return openErrorReports > 0; }),
          exitDialog(ExitDialogDesign(), application.hwnd()) {
        mainWindow.AttachPartners(
            {&alertDialog, &resolutionAlert, &lookupWindow, &informationWindow, &messageWindow, &exitDialog});
    }

    // The process's one lookup client, kept from the start to the end.
    WinsockLookupClient lookupClient;
    MainWindow mainWindow;
    NoticeDialog alertDialog;
    ResolutionAlertWindow resolutionAlert;
    LookupWindow lookupWindow;  // with its information dialog "TDNSokDlg"
    InformationWindow informationWindow;
    MessageWindow messageWindow;
    NoticeDialog exitDialog;
};

int RunProgram() {
    const std::string defaultTitle = DefaultAppTitleOfProcess();
    const InstanceMutex instanceMutex(InstanceMutexName(defaultTitle));

    // The one COM set-up of the process, for the user-interface thread, undone after every window is gone.
    const ComSetup comSetup;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    Application application(defaultTitle);
    if (!instanceMutex.IsFirstCopy()) {
        ActivateFirstCopy(application.hwnd());
        return 0;
    }
    SetExceptionReporter(ShowCountedErrorReport);
    application.PutMainWindowOnTaskbar();
    application.SetTitle(kApplicationTitle);

    {
        auto windows = std::make_unique<ProgramWindows>(application);
        application.Run();
    }
    SetExceptionReporter(nullptr);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything can load a DLL that is not a KnownDLL: from here on they come from the system folder only.
    PrepareSystemDllLoading();

    // The program itself takes no arguments: any argument text is the order of an elevated run that this
    // program started for one change. It runs before the single-instance mutex and shows no window. The order is
    // read from the UTF-16 command line the consent prompt shows, in UTF-8: the ANSI one would hand the parser a
    // fullwidth "1" as the ASCII digit it best fits to.
    const std::string commandLine = Utf8FromWide(::GetCommandLineW());
    const std::string_view arguments = ArgumentsAfterProgramName(commandLine);
    if (!arguments.empty())
        return static_cast<int>(RunActionMode(arguments));

    // What escapes start-up (a window the system would not create) ends the program, but not silently.
    try {
        return RunProgram();
    } catch (const std::exception& error) {
        ShowGeneralErrorReport(error);
    } catch (...) {
        ShowGeneralErrorReport(std::runtime_error("Unknown error"));
    }
    SetExceptionReporter(nullptr);
    return 1;
}
