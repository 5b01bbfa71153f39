#pragma once

#include <windows.h>

namespace quillcrest {

// Selects a GDI object into a device context for one scope and puts the previous one back, so nothing stays
// selected when the object is deleted.
class HtmlGdiSelection {
  public:
    HtmlGdiSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~HtmlGdiSelection() {
        if (previous_)
            ::SelectObject(dc_, previous_);
    }
    HtmlGdiSelection(const HtmlGdiSelection&) = delete;
    HtmlGdiSelection& operator=(const HtmlGdiSelection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace quillcrest
