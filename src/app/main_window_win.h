#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "base/win_handles_win.h"
#include "widgets/panel_win.h"
#include "widgets/window_win.h"

namespace quillcrest {

class Application;

// The main window: the program's only permanent window and the taskbar's stand-in for the application.
class TForm6 : public Window {
  public:
    explicit TForm6(Application& application);
    ~TForm6() override;

    static constexpr char kClassName[] = "TForm6";
    static constexpr char kCaption[] = "Quillcrest From Fernwhistle ";
    static constexpr int kClientWidth = 436;
    static constexpr int kClientHeight = 290;

    // Control identifiers, also what an outside driver looks for.
    enum ControlId : int {
        kAdvPicture1 = 101,
        kImage1,
        kRadio1,
        kRadioDefault,
        kRadioOpenDns,
        kAdvGlowButton2,
        kStartUp,
        kPanel1,
        kAdvGlowButton5,
        kApplyBtn,
        kCloseButton,
        kClosetoSystemTray1 = 201,
        kMenuItem1,
    };

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void CreateControls();
    HWND AddControl(HWND parent,
                    const char* className,
                    const char* text,
                    DWORD style,
                    int id,
                    int x,
                    int y,
                    int width,
                    int height);

    void FormCreate();
    void FormShow();
    void FormClose();
    void CloseButtonClick();
    void ClosetoSystemTray1Click();
    void Exit1Click();
    void StartUpMouseUp();
    void RestoreFromTray();
    void ShowCloseMenu();
    void PaintBanner(const DRAWITEMSTRUCT& item);

    bool MonitorBoxTicked() const;
    static LRESULT CALLBACK
    StartUpSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);

    Application& application_;
    UniqueGdiObject font_;
    UniqueGdiObject bannerFont_;
    UniqueIcon bigIcon_;
    UniqueMenu closeMenu_;
    std::unique_ptr<Panel> panel1_;
    HWND startUp_ = nullptr;
    HWND closeButton_ = nullptr;
};

}  // namespace quillcrest
