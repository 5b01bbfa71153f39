#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "app/app_title.h"
#include "app/application_win.h"
#include "app/error_boxes_win.h"
#include "app/error_report.h"
#include "app/main_window_win.h"
#include "app/single_instance_win.h"
#include "app/window_shell_win.h"
#include "netconfig/com_setup_win.h"

using namespace quillcrest;

namespace {

// COM for the user-interface thread, released after every window is gone.
class ComInitialization {
  public:
    ComInitialization() : initialized_(SUCCEEDED(::CoInitialize(nullptr))) {}
    ~ComInitialization() {
        if (initialized_)
            ::CoUninitialize();
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;

  private:
    bool initialized_;
};

// Every window of the program, created in this order and destroyed in the reverse one.
struct ProgramWindows {
    explicit ProgramWindows(Application& application)
        : form6(application),
          alertDlg("TAlertDlg", "Quillcrest Alert", 360, 170),
          dnsCheck("TDNSCheck", "Quillcrest Lookup Tool", 560, 420),
          dnsOkDlg("TDNSokDlg", "Information", 360, 150),
          about("TAbout", "Information", 520, 400),
          ad("TAd", "Quillcrest Message", 400, 300),
          exitDlg("TExitDlg", "Quillcrest Alert", 360, 150) {}

    TForm6 form6;
    WindowShell alertDlg;
    WindowShell dnsCheck;
    WindowShell dnsOkDlg;
    WindowShell about;
    WindowShell ad;
    WindowShell exitDlg;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string defaultTitle = DefaultAppTitleOfProcess();
    const InstanceMutex instanceMutex(InstanceMutexName(defaultTitle));

    ComInitialization com;
    const ComSetup comSetup;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    Application application(defaultTitle);
    if (!instanceMutex.IsFirstCopy()) {
        ActivateFirstCopy(application.hwnd());
        return 0;
    }
    SetExceptionReporter([](const std::exception& error) { ShowGeneralErrorReport(error); });
    application.PutMainWindowOnTaskbar();
    application.SetTitle(kApplicationTitle);

    {
        auto windows = std::make_unique<ProgramWindows>(application);
        application.Run();
    }
    SetExceptionReporter(nullptr);
    return 0;
}
