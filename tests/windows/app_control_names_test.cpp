#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "app/application_win.h"
#include "app/main_window_ids.h"
#include "app/main_window_win.h"
#include "lookup/lookup_window_win.h"
#include "widgets/notice_dialog_win.h"

namespace quillcrest {
namespace {

// The name a screen reader announces for a control, through the system's object for it. (Wine's objects give
// every control the role "client", so the role says nothing here.)
std::string Announce(HWND control) {
    Microsoft::WRL::ComPtr<IAccessible> object;
    HRESULT found = ::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                 reinterpret_cast<void**>(object.GetAddressOf()));
    if (FAILED(found) || !object)
        return "(no object)";
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (object->get_accName(self, &name) != S_OK || !name)
        return "(no name)";
    int length = ::WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, name, -1, text.data(), length, nullptr, nullptr);
    ::SysFreeString(name);
    return text.c_str();
}

class ControlNamesTest : public ::testing::Test {
  protected:
    void SetUp() override { comResult_ = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override {
        if (SUCCEEDED(comResult_))
            ::CoUninitialize();
    }

  private:
    HRESULT comResult_ = E_FAIL;
};

// Every control of the main window says what it is, pictures included.
TEST_F(ControlNamesTest, MainWindowControlsAnnounceWhatTheyAre) {
    GateChecks gates{[] { return true; }, [] { return true; }, [](const char*) {}};
    Application application("QuillcrestNamesTest");
    MainWindow window(application, gates);
    ASSERT_NE(window.hwnd(), nullptr);
    namespace ids = main_window_ids;
    HWND panel = ::GetDlgItem(window.hwnd(), ids::kBottomPanel);
    std::vector<std::string> announced;
    for (int id : {ids::kBannerPicture, ids::kSideImage, ids::kUseDefaultDnsChoice, ids::kUseOpenDnsChoice,
                   ids::kCheckDnsButton, ids::kMonitorBox})
        announced.push_back(Announce(::GetDlgItem(window.hwnd(), id)));
    for (int id : {ids::kInfoButton, ids::kCloseButton})
        announced.push_back(Announce(::GetDlgItem(panel, id)));
    EXPECT_EQ(announced, (std::vector<std::string>{
                             "Quillcrest Message",
                             "Quillcrest",
                             "Use my Default (originall) DNS settings",
                             "Use OpenDNS for all DNS Queries",
                             "Check My Current DNS Settings",
                             "Monitor My DNS Settings for Unauthorized Changes",
                             "Info",
                             "Close",
                         }));
}

TEST_F(ControlNamesTest, NoticePictureAnnouncesTheKindOfNotice) {
    NoticeDialog dialog(LookupOkDialogDesign(), nullptr);
    HWND picture = ::FindWindowExA(dialog.hwnd(), nullptr, "STATIC", nullptr);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(Announce(picture), "Information");
    // The text names the picture only: the icon is still shown.
    EXPECT_NE(::SendMessageA(picture, STM_GETICON, 0, 0), 0);
}

}  // namespace
}  // namespace quillcrest
