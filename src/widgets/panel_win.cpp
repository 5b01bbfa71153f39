#include "widgets/panel_win.h"

namespace quillcrest {

Panel::Panel(HWND parent, int id, int x, int y, int width, int height) {
    Create("TPanel", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, x, y, width, height,
           parent);
    ::SetWindowLongPtrA(hwnd(), GWLP_ID, id);
}

LRESULT Panel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            return ::SendMessageA(::GetParent(hwnd()), message, wParam, lParam);
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = ::BeginPaint(hwnd(), &paint);
            RECT rect;
            ::GetClientRect(hwnd(), &rect);
            ::DrawEdge(dc, &rect, EDGE_ETCHED, BF_TOP);
            ::EndPaint(hwnd(), &paint);
            return 0;
        }
        case WM_SETFOCUS:
            ::InvalidateRect(hwnd(), nullptr, TRUE);
            return 0;
        default:
            return DefaultHandling(message, wParam, lParam);
    }
}

}  // namespace quillcrest
