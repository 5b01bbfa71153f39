#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/win_handles_win.h"
#include "widgets/modal_window_win.h"
#include "widgets/ui_font_win.h"

namespace quillcrest {

// A small modal dialog: a picture on the left, a few texts in their colours beside it, and buttons along the
// bottom that each end the dialog with their result. The program's alert, exit and information dialogs are
// such dialogs.
class NoticeDialog : public ModalWindow {
  public:
    struct Text {
        std::string text;
        COLORREF colour;
        bool bold = false;
    };
    struct Button {
        std::string text;
        int result;
    };
    struct Design {
        const char* className;
        const char* caption;
        int clientWidth;
        LPCSTR systemPicture;  // IDI_WARNING, IDI_INFORMATION, ...
        std::vector<Text> texts;
        std::vector<Button> buttons;  // the first one is the default button
    };

    // Sizes at 96 dots per inch; the dialog scales them to its display's density.
    // Button i has the control id kFirstButtonId + i, for the end-to-end driver.
    static constexpr int kFirstButtonId = 1001;
    static constexpr int kFirstTextId = 1101;

    NoticeDialog(Design design, HWND owner);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    int DefaultButtonId() const override { return design_.buttons.empty() ? 0 : kFirstButtonId; }
    void OnBeforeShow() override;
    void OnDpiChanged(int dpi) override;

  private:
    // Places the picture, the texts (measured with their fonts at the density) and the buttons, and sizes the
    // window around them, keeping its top left corner.
    void LayOut(int dpi);

    Design design_;
    ScaledFont font_;
    ScaledFont boldFont_{kUiFontHeight, FW_BOLD};
    HWND picture_ = nullptr;
    UniqueIcon pictureIcon_;
    std::vector<HWND> texts_;
    std::vector<HWND> buttons_;
};

}  // namespace quillcrest
