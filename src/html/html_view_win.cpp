#include "html/html_view_win.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "html/html_gdi_selection_win.h"
#include "widgets/dpi_win.h"

namespace quillcrest {
namespace {

// One line of scrolling, in CSS pixels.
constexpr int kScrollLine = 16;
constexpr int kWheelLines = 3;
// A link to follow (wParam: its index, lParam: the serial of the page it belongs to).
constexpr UINT kFollowLinkMessage = WM_USER + 1;

// Begins painting for one WM_PAINT and ends it on every path.
class PaintScope {
  public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &paint_); }
    ~PaintScope() { ::EndPaint(hwnd_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC dc() const { return dc_; }
    const RECT& area() const { return paint_.rcPaint; }

  private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
};

RECT ClientRect(HWND hwnd) {
    RECT rect{};
    ::GetClientRect(hwnd, &rect);
    return rect;
}

}  // namespace

HtmlView::HtmlView(HWND parent,
                   int id,
                   int x,
                   int y,
                   int width,
                   int height,
                   HtmlViewCallbacks callbacks,
                   HtmlViewOptions options)
    : callbacks_(std::move(callbacks)), options_(options), dpi_(WindowDpi(parent)) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN;
    Create(kClassName, "", style, options_.border ? WS_EX_CLIENTEDGE : 0, x, y, width, height, parent);
    ::SetWindowLongPtrA(hwnd(), GWLP_ID, id);
}

HtmlView::~HtmlView() {
    if (accessible_)
        accessible_->Disconnect();
}

const HtmlDocument* HtmlView::Document() const {
    return page_ ? page_->document.get() : nullptr;
}

IWICImagingFactory* HtmlView::PictureFactory() {
    if (!pictureFactoryTried_) {
        pictureFactoryTried_ = true;
        // Without COM on this thread there is no decoder; the page then shows without pictures.
        ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&pictureFactory_));
    }
    return pictureFactory_.Get();
}

void HtmlView::LoadText(std::string_view text) {
    // The new page is built aside: callbacks run while it loads (and may pump messages that paint the view), and
    // if one throws, the page shown stays as it was.
    auto page = std::make_unique<Page>(fonts_, PictureFactory(), callbacks_, dpi_);
    page->document = std::make_unique<HtmlDocument>(text, page->container, options_.margins);
    std::string visibleText = page->document->VisibleText();

    page_ = std::move(page);
    visibleText_ = std::move(visibleText);
    PageChanged();
    if (callbacks_.onParseEnd)
        callbacks_.onParseEnd();
}

void HtmlView::LoadBytes(const std::vector<std::uint8_t>& bytes) {
    LoadText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void HtmlView::Clear() {
    page_.reset();
    visibleText_.clear();
    PageChanged();
}

void HtmlView::PageChanged() {
    ++pageSerial_;
    scrollY_ = 0;
    focusedLink_ = -1;
    pressedLink_ = -1;
    Relayout();
    ::NotifyWinEvent(EVENT_OBJECT_REORDER, hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

int HtmlView::PageHeight() const {
    RECT client = ClientRect(hwnd());
    return client.bottom - client.top;
}

int HtmlView::ScrollLine() const {
    return ScaleToDpi(kScrollLine, dpi_);
}

void HtmlView::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_)
        return;
    // The same part of the page stays in view.
    scrollY_ = ::MulDiv(scrollY_, dpi, dpi_);
    dpi_ = dpi;
    if (page_)
        page_->container.SetDpi(dpi);
    Relayout();
    ::NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

int HtmlView::MaxScroll() const {
    const HtmlDocument* document = Document();
    return document ? std::max(0, document->Height() - PageHeight()) : 0;
}

// Lays the page out for the client width; when a scroll bar has to come or go, the width changes and the page is
// laid out once more for the new width.
void HtmlView::Relayout() {
    if (inLayout_ || !hwnd())
        return;
    accessibleNodes_.reset();
    inLayout_ = true;
    for (int pass = 0; pass < 2; ++pass) {
        RECT client = ClientRect(hwnd());
        int width = client.right - client.left;
        int height = client.bottom - client.top;
        HtmlDocument* document = page_ ? page_->document.get() : nullptr;
        if (document)
            document->Layout(width, dpi_);
        if (!options_.scrollBars)
            break;
        bool needed = document && document->Height() > height;
        bool shown = (::GetWindowLongPtrA(hwnd(), GWL_STYLE) & WS_VSCROLL) != 0;
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMax = needed ? document->Height() - 1 : 0;
        info.nPage = needed ? static_cast<UINT>(height) : 0;
        info.nPos = needed ? std::min(scrollY_, document->Height() - height) : 0;
        ::SetScrollInfo(hwnd(), SB_VERT, &info, TRUE);
        if (needed == shown)
            break;
        ::ShowScrollBar(hwnd(), SB_VERT, needed);
    }
    inLayout_ = false;
    scrollY_ = std::max(0, std::min(scrollY_, MaxScroll()));
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void HtmlView::ScrollTo(int y) {
    y = std::max(0, std::min(y, MaxScroll()));
    if (y == scrollY_)
        return;
    scrollY_ = y;
    ::NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, hwnd(), OBJID_CLIENT, CHILDID_SELF);
    if (options_.scrollBars)
        ::SetScrollPos(hwnd(), SB_VERT, scrollY_, TRUE);
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

int HtmlView::NextFocusableLink(int from, bool backwards) const {
    const HtmlDocument* document = Document();
    if (!document)
        return -1;
    const std::vector<HtmlLink>& links = document->Links();
    int count = static_cast<int>(links.size());
    int link = from < 0 ? (backwards ? count : -1) : from;
    for (link += backwards ? -1 : 1; link >= 0 && link < count; link += backwards ? -1 : 1) {
        if (!links[static_cast<std::size_t>(link)].areas.empty())
            return link;
    }
    return -1;
}

void HtmlView::FocusLink(int link) {
    focusedLink_ = link;
    const HtmlDocument* document = Document();
    if (document && link >= 0) {
        const HtmlRect& area = document->Links()[static_cast<std::size_t>(link)].areas.front();
        if (area.y < scrollY_)
            ScrollTo(area.y);
        else if (area.Bottom() > scrollY_ + PageHeight())
            ScrollTo(area.Bottom() - PageHeight());
        if (::GetFocus() == hwnd())
            ::NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd(), OBJID_CLIENT, FocusedAccessibleChild());
    }
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

const std::vector<HtmlAccessibleNode>& HtmlView::AccessibleNodes() const {
    if (!accessibleNodes_) {
        const HtmlDocument* document = Document();
        accessibleNodes_ =
            document ? HtmlAccessibleNodes(document->LaidOut(), document->Links()) : std::vector<HtmlAccessibleNode>();
    }
    return *accessibleNodes_;
}

long HtmlView::FocusedAccessibleChild() const {
    if (focusedLink_ < 0)
        return CHILDID_SELF;
    const std::vector<HtmlAccessibleNode>& nodes = AccessibleNodes();
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].role == HtmlAccessibleNode::Role::Link && nodes[i].link == focusedLink_)
            return static_cast<long>(i) + 1;
    }
    return CHILDID_SELF;
}

RECT HtmlView::ScreenRect(const HtmlRect& area) const {
    POINT corner{area.x, area.y - scrollY_};
    ::ClientToScreen(hwnd(), &corner);
    return {corner.x, corner.y, corner.x + area.width, corner.y + area.height};
}

bool HtmlView::FollowLinkLater(int link) {
    return ::PostMessageA(hwnd(), kFollowLinkMessage, static_cast<WPARAM>(link), static_cast<LPARAM>(pageSerial_));
}

LRESULT HtmlView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painting covers everything; erasing first would flicker
        case WM_SIZE:
            Relayout();
            return 0;
        case kDpiChangedAfterParentMessage:
            SetDpi(WindowDpi(hwnd()));
            return 0;
        case WM_VSCROLL:
            OnVerticalScroll(wParam);
            return 0;
        case WM_MOUSEWHEEL:
            OnMouseWheel(wParam);
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(lParam);
            return 0;
        case WM_SETCURSOR:
            if (OnSetCursor(lParam))
                return TRUE;
            break;
        case WM_LBUTTONDOWN:
            OnLeftButtonDown(lParam);
            return 0;
        case WM_LBUTTONUP:
            OnLeftButtonUp(lParam);
            return 0;
        case WM_KEYDOWN:
            if (OnKeyDown(wParam))
                return 0;
            break;
        case WM_GETDLGCODE:
            return OnGetDialogCode(lParam);
        case WM_SETFOCUS:
            ::InvalidateRect(hwnd(), nullptr, FALSE);
            return 0;
        case WM_KILLFOCUS:
            // Coming back by Tab starts again at the first link.
            focusedLink_ = -1;
            ::InvalidateRect(hwnd(), nullptr, FALSE);
            return 0;
        case WM_GETTEXT:
            return OnGetText(wParam, lParam);
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(visibleText_.size());
        case WM_GETOBJECT:
            return OnGetObject(wParam, lParam);
        case kFollowLinkMessage:
            if (static_cast<unsigned>(lParam) == pageSerial_ && Document())
                Document()->FollowLink(static_cast<int>(wParam));
            return 0;
        case WM_DESTROY:
            // Clients still holding the page's object learn that it is gone instead of reaching a dead view.
            if (accessible_) {
                accessible_->Disconnect();
                accessible_.Reset();
            }
            break;
        default:
            break;
    }
    return DefaultHandling(message, wParam, lParam);
}

void HtmlView::OnPaint() {
    PaintScope paint(hwnd());
    RECT client = ClientRect(hwnd());
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    if (!paint.dc() || width <= 0 || height <= 0)
        return;
    UniqueDc buffer(::CreateCompatibleDC(paint.dc()));
    UniqueGdiObject bitmap(::CreateCompatibleBitmap(paint.dc(), width, height));
    if (!buffer || !bitmap)
        return;
    HtmlGdiSelection selection(buffer.get(), bitmap.get());

    const HtmlDocument* document = Document();
    COLORREF background = ::GetSysColor(COLOR_WINDOW);
    if (document && document->Background()) {
        HtmlColor color = *document->Background();
        background = RGB(color.red, color.green, color.blue);
    }
    {
        HtmlGdiSelection brush(buffer.get(), ::GetStockObject(DC_BRUSH));
        ::SetDCBrushColor(buffer.get(), background);
        ::FillRect(buffer.get(), &client, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    }
    if (document) {
        page_->container.SetTargetDc(buffer.get());
        const RECT& area = paint.area();
        document->Draw({area.left, area.top + scrollY_, area.right - area.left, area.bottom - area.top}, 0, -scrollY_);
        page_->container.SetTargetDc(nullptr);
        if (focusedLink_ >= 0 && ::GetFocus() == hwnd()) {
            for (const HtmlRect& link : document->Links()[static_cast<std::size_t>(focusedLink_)].areas) {
                RECT frame{link.x - 1, link.y - 1 - scrollY_, link.Right() + 1, link.Bottom() + 1 - scrollY_};
                ::DrawFocusRect(buffer.get(), &frame);
            }
        }
    }
    ::BitBlt(paint.dc(), 0, 0, width, height, buffer.get(), 0, 0, SRCCOPY);
}

void HtmlView::OnVerticalScroll(WPARAM request) {
    int page = PageHeight();
    switch (LOWORD(request)) {
        case SB_LINEUP:
            ScrollTo(scrollY_ - ScrollLine());
            break;
        case SB_LINEDOWN:
            ScrollTo(scrollY_ + ScrollLine());
            break;
        case SB_PAGEUP:
            ScrollTo(scrollY_ - page);
            break;
        case SB_PAGEDOWN:
            ScrollTo(scrollY_ + page);
            break;
        case SB_TOP:
            ScrollTo(0);
            break;
        case SB_BOTTOM:
            ScrollTo(MaxScroll());
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The 32-bit position; the one in the message is only 16 bits wide.
            SCROLLINFO info{};
            info.cbSize = sizeof(info);
            info.fMask = SIF_TRACKPOS;
            if (::GetScrollInfo(hwnd(), SB_VERT, &info))
                ScrollTo(info.nTrackPos);
            break;
        }
        default:
            break;
    }
}

void HtmlView::OnMouseWheel(WPARAM wParam) {
    int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
    ScrollTo(scrollY_ - notches * kWheelLines * ScrollLine());
}

void HtmlView::OnMouseMove(LPARAM position) {
    if (const HtmlDocument* document = Document()) {
        document->OnMouseMove(GET_X_LPARAM(position), GET_Y_LPARAM(position) + scrollY_);
        ::SetCursor(::LoadCursorA(nullptr, page_->container.RequestedCursor() == HtmlCursor::Hand
                                               ? reinterpret_cast<LPCSTR>(IDC_HAND)
                                               : reinterpret_cast<LPCSTR>(IDC_ARROW)));
    }
}

bool HtmlView::OnSetCursor(LPARAM hitTest) {
    const HtmlDocument* document = Document();
    if (LOWORD(hitTest) != HTCLIENT || !document)
        return false;
    POINT point{};
    ::GetCursorPos(&point);
    ::ScreenToClient(hwnd(), &point);
    document->OnMouseMove(point.x, point.y + scrollY_);
    bool hand = page_->container.RequestedCursor() == HtmlCursor::Hand;
    ::SetCursor(
        ::LoadCursorA(nullptr, hand ? reinterpret_cast<LPCSTR>(IDC_HAND) : reinterpret_cast<LPCSTR>(IDC_ARROW)));
    return true;
}

void HtmlView::OnLeftButtonDown(LPARAM position) {
    ::SetFocus(hwnd());
    const HtmlDocument* document = Document();
    pressedLink_ = document ? document->LinkAt(GET_X_LPARAM(position), GET_Y_LPARAM(position) + scrollY_) : -1;
}

// A click is a press and a release on the same link.
void HtmlView::OnLeftButtonUp(LPARAM position) {
    const HtmlDocument* document = Document();
    int link = document ? document->LinkAt(GET_X_LPARAM(position), GET_Y_LPARAM(position) + scrollY_) : -1;
    int pressed = std::exchange(pressedLink_, -1);
    if (link >= 0 && link == pressed)
        document->FollowLink(link);
}

bool HtmlView::OnKeyDown(WPARAM key) {
    switch (key) {
        case VK_TAB: {
            int next = NextFocusableLink(focusedLink_, ::GetKeyState(VK_SHIFT) < 0);
            if (next < 0)
                return false;
            FocusLink(next);
            return true;
        }
        case VK_RETURN:
            if (focusedLink_ < 0 || !Document())
                return false;
            Document()->FollowLink(focusedLink_);
            return true;
        case VK_UP:
            ScrollTo(scrollY_ - ScrollLine());
            return true;
        case VK_DOWN:
            ScrollTo(scrollY_ + ScrollLine());
            return true;
        case VK_PRIOR:
            ScrollTo(scrollY_ - PageHeight());
            return true;
        case VK_NEXT:
            ScrollTo(scrollY_ + PageHeight());
            return true;
        case VK_HOME:
            ScrollTo(0);
            return true;
        case VK_END:
            ScrollTo(MaxScroll());
            return true;
        default:
            return false;
    }
}

// In a dialog, Tab stays inside the view while there is another link to go to, and Enter follows the focused
// link instead of pressing the default button.
LRESULT HtmlView::OnGetDialogCode(LPARAM message) {
    LRESULT code = DLGC_WANTARROWS;
    const MSG* pending = reinterpret_cast<const MSG*>(message);
    if (pending && pending->message == WM_KEYDOWN) {
        if (pending->wParam == VK_TAB && NextFocusableLink(focusedLink_, ::GetKeyState(VK_SHIFT) < 0) >= 0)
            code |= DLGC_WANTTAB;
        if (pending->wParam == VK_RETURN && focusedLink_ >= 0)
            code |= DLGC_WANTMESSAGE;
    }
    return code;
}

LRESULT HtmlView::OnGetText(WPARAM size, LPARAM buffer) const {
    char* out = reinterpret_cast<char*>(buffer);
    if (!out || size == 0)
        return 0;
    std::size_t copied = std::min<std::size_t>(visibleText_.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(out, visibleText_.data(), copied);
    out[copied] = '\0';
    return static_cast<LRESULT>(copied);
}

// The page for screen readers. Other objects (the frame, the scroll bar) are the system's.
LRESULT HtmlView::OnGetObject(WPARAM flags, LPARAM objectId) {
    if (static_cast<LONG>(objectId) != OBJID_CLIENT)
        return DefaultHandling(WM_GETOBJECT, flags, objectId);
    if (!accessible_)
        accessible_.Attach(new HtmlViewAccessible(*this));
    return ::LresultFromObject(IID_IAccessible, flags, static_cast<IAccessible*>(accessible_.Get()));
}

}  // namespace quillcrest
