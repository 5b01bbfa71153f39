#pragma once

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "html/html_accessible_tree.h"
#include "html/html_document.h"
#include "html/html_font_cache_win.h"
#include "html/html_gdi_container_win.h"
#include "html/html_view_accessible_win.h"
#include "html/html_view_callbacks.h"
#include "widgets/window_win.h"

namespace quillcrest {

struct HtmlViewOptions {
    bool scrollBars = true;  // a vertical scroll bar whenever the page is taller than the view
    bool margins = true;     // keep the content away from the edges
    bool border = false;     // a sunken edge around the view
};

// A child control that shows one HTML page. Loading reports meta tags and asks for pictures through the owner's
// callbacks; a page that fails to load (a callback throwing) leaves the previous page in place. The window
// answers WM_GETTEXT with the page's visible text; Tab and Shift+Tab move a focus rectangle through the links and
// Enter follows the focused one; the wheel, the arrow and page keys and the scroll bar scroll. Screen readers
// read the page through WM_GETOBJECT (HtmlViewAccessible). The page is laid out in CSS pixels scaled to the
// density of the view's display; layout, painting, hit testing and the accessible rectangles all use those
// device pixels.
class HtmlView : public Window {
  public:
    static constexpr const char* kClassName = "TQuillcrestHtmlView";

    HtmlView(HWND parent,
             int id,
             int x,
             int y,
             int width,
             int height,
             HtmlViewCallbacks callbacks,
             HtmlViewOptions options = {});
    ~HtmlView() override;

    void LoadText(std::string_view text);
    void LoadBytes(const std::vector<std::uint8_t>& bytes);
    void Clear();

    const std::string& VisibleText() const { return visibleText_; }
    // The page shown, laid out for the view; null before the first load.
    const HtmlDocument* Document() const;
    int ScrollPosition() const { return scrollY_; }
    int FocusedLink() const { return focusedLink_; }
    // Moves the focus rectangle to a link (-1: none), scrolling it into view.
    void FocusLink(int link);

    // What screen readers are told of the page, in reading order; empty while no page is shown.
    const std::vector<HtmlAccessibleNode>& AccessibleNodes() const;
    // The accessible child (1 to n) of the focused link; 0, the view itself, when no link has the focus.
    long FocusedAccessibleChild() const;
    // Where a rectangle of the page is on the screen now.
    RECT ScreenRect(const HtmlRect& area) const;
    // The view is now on a display of this density: the page is laid out and its pictures decoded again for it.
    // The owner calls it from its own WM_DPICHANGED; the view also follows its parent on its own.
    void SetDpi(int dpi);
    int Dpi() const { return dpi_; }
    // Follows a link of the page shown, as Enter does, once the caller's message has been handled; a page loaded
    // in between is left alone. False when the request could not be queued.
    bool FollowLinkLater(int link);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // One loaded page with the host state that belongs to it (its pictures).
    struct Page {
        Page(HtmlFontCache& fonts, IWICImagingFactory* factory, const HtmlViewCallbacks& callbacks, int dpi)
            : container(fonts, factory, callbacks, dpi) {}
        HtmlGdiContainer container;
        std::unique_ptr<HtmlDocument> document;
    };

    IWICImagingFactory* PictureFactory();
    void Relayout();
    void ScrollTo(int y);
    int PageHeight() const;
    int ScrollLine() const;
    int MaxScroll() const;
    // The next link with an area, in document order, after (or before) from; -1 when none.
    int NextFocusableLink(int from, bool backwards) const;
    void PageChanged();

    void OnPaint();
    void OnVerticalScroll(WPARAM request);
    void OnMouseWheel(WPARAM wParam);
    void OnMouseMove(LPARAM position);
    bool OnSetCursor(LPARAM hitTest);
    void OnLeftButtonDown(LPARAM position);
    void OnLeftButtonUp(LPARAM position);
    bool OnKeyDown(WPARAM key);
    LRESULT OnGetDialogCode(LPARAM message);
    LRESULT OnGetText(WPARAM size, LPARAM buffer) const;
    LRESULT OnGetObject(WPARAM flags, LPARAM objectId);

    HtmlViewCallbacks callbacks_;
    HtmlViewOptions options_;
    int dpi_;
    HtmlFontCache fonts_;
    Microsoft::WRL::ComPtr<IWICImagingFactory> pictureFactory_;
    bool pictureFactoryTried_ = false;
    std::unique_ptr<Page> page_;
    std::string visibleText_;
    int scrollY_ = 0;
    int focusedLink_ = -1;
    int pressedLink_ = -1;
    bool inLayout_ = false;
    // Counts the pages shown, so a link followed later still belongs to the page it was asked for.
    unsigned pageSerial_ = 0;
    mutable std::optional<std::vector<HtmlAccessibleNode>> accessibleNodes_;
    Microsoft::WRL::ComPtr<HtmlViewAccessible> accessible_;
};

}  // namespace quillcrest
