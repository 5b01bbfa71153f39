#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "base/win_handles_win.h"
#include "widgets/modal_window_win.h"
#include "widgets/ui_font_win.h"

namespace quillcrest {

// A small modal dialog: a picture on the left, a few texts in their colours beside it, and buttons along the
// bottom that each end the dialog with their result. The program's alert, exit and information dialogs are
// such dialogs. It may also hold a list among its texts: a read-only box of several lines whose text changes from
// one showing to the next (SetDetails), which scrolls when it is longer than the box and which screen readers
// and other programs read like any edit control (WM_GETTEXT); the text before it names it.
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
        std::vector<Button> buttons;
    };
    // A list among the texts, for a dialog that has one.
    struct Details {
        // How many of the texts stand above the box; the others follow it.
        std::size_t afterTexts = 0;
        // The box grows with its text up to this many lines, and scrolls beyond; 0: no box.
        int mostLines = 0;
    };
    struct Options {
        // The button that Enter presses and that has the focus when the dialog appears.
        std::size_t defaultButton = 0;
        Details details;
    };

    // Sizes at 96 dots per inch; the dialog scales them to its display's density.
    // Button i has the control id kFirstButtonId + i, for the end-to-end driver.
    static constexpr int kFirstButtonId = 1001;
    static constexpr int kFirstTextId = 1101;
    static constexpr int kDetailsId = 1201;

    NoticeDialog(Design design, HWND owner);
    NoticeDialog(Design design, HWND owner, Options options);

    // The text of the details box, UTF-8, lines separated by "\n"; the dialog is laid out again around it.
    void SetDetails(const std::string& text);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    int DefaultButtonId() const override;
    void OnBeforeShow() override;
    void OnDpiChanged(int dpi) override;

  private:
    // Places the picture, the texts (measured with their fonts at the density) and the buttons, and sizes the
    // window around them, keeping its top left corner.
    void LayOut(int dpi);
    void CreateDetails();
    // Places the details box at y, its height following its text; answers its height.
    int PlaceDetails(int x, int y, int width, int dpi);

    Design design_;
    Options options_;
    ScaledFont font_;
    ScaledFont boldFont_{kUiFontHeight, FW_BOLD};
    HWND picture_ = nullptr;
    UniqueIcon pictureIcon_;
    std::vector<HWND> texts_;
    HWND details_ = nullptr;
    std::wstring detailsText_;
    std::vector<HWND> buttons_;
    int dpi_ = 0;
};

}  // namespace quillcrest
