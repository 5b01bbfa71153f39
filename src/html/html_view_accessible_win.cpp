#include "html/html_view_accessible_win.h"

#include <exception>
#include <new>
#include <string>
#include <vector>

#include "html/html_accessible_tree.h"
#include "html/html_view_win.h"

namespace quillcrest {
namespace {

constexpr char kLinkAction[] = "Jump";

// A page's text, in the code page it is drawn in, as a string the client frees.
BSTR PageString(const std::string& text) {
    int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR result = ::SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (!result)
        throw std::bad_alloc();
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result, length);
    return result;
}

void SetChild(VARIANT* out, long child) {
    out->vt = VT_I4;
    out->lVal = child;
}

}  // namespace

HtmlViewAccessible::HtmlViewAccessible(HtmlView& view) : view_(&view) {}

HtmlViewAccessible::~HtmlViewAccessible() = default;

void HtmlViewAccessible::Disconnect() {
    view_ = nullptr;
    standard_.Reset();
}

template <typename Call>
HRESULT HtmlViewAccessible::Answer(Call&& call) {
    if (!view_ || !view_->hwnd())
        return CO_E_OBJNOTCONNECTED;
    try {
        return call(*view_);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

long HtmlViewAccessible::ChildIndex(const VARIANT& child) const {
    if (child.vt != VT_I4)
        return -1;
    long count = static_cast<long>(view_->AccessibleNodes().size());
    return child.lVal >= 0 && child.lVal <= count ? child.lVal : -1;
}

template <typename Call>
HRESULT HtmlViewAccessible::AnswerAbout(const VARIANT& child, Call&& call) {
    return Answer([&](HtmlView& view) {
        long index = ChildIndex(child);
        if (index < 0)
            return E_INVALIDARG;
        const HtmlAccessibleNode* node =
            index > 0 ? &view.AccessibleNodes()[static_cast<std::size_t>(index - 1)] : nullptr;
        return call(view, index, node);
    });
}

// A text property: what the call gives, or no string (S_FALSE) when it gives an empty one.
template <typename Call>
HRESULT HtmlViewAccessible::AnswerText(const VARIANT& child, BSTR* out, Call&& call) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return AnswerAbout(child, [&](HtmlView& view, long index, const HtmlAccessibleNode* node) {
        std::string text = call(view, index, node);
        if (text.empty())
            return S_FALSE;
        *out = PageString(text);
        return S_OK;
    });
}

IAccessible* HtmlViewAccessible::Standard() {
    if (!standardTried_ && view_) {
        standardTried_ = true;
        ::CreateStdAccessibleObject(view_->hwnd(), OBJID_CLIENT, IID_PPV_ARGS(&standard_));
    }
    return standard_.Get();
}

// --- IUnknown, IDispatch ----------------------------------------------------------------------------------------

HRESULT HtmlViewAccessible::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG HtmlViewAccessible::AddRef() {
    return ++references_;
}

ULONG HtmlViewAccessible::Release() {
    ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT HtmlViewAccessible::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT HtmlViewAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT HtmlViewAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT HtmlViewAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

// --- the tree ---------------------------------------------------------------------------------------------------

HRESULT HtmlViewAccessible::get_accParent(IDispatch** parent) {
    if (!parent)
        return E_POINTER;
    *parent = nullptr;
    return Answer([&](HtmlView&) {
        IAccessible* standard = Standard();
        return standard ? standard->get_accParent(parent) : S_FALSE;
    });
}

HRESULT HtmlViewAccessible::get_accChildCount(LONG* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return Answer([&](HtmlView& view) {
        *count = static_cast<LONG>(view.AccessibleNodes().size());
        return S_OK;
    });
}

// The children are simple elements, not objects of their own: a client asks this object about them by id.
HRESULT HtmlViewAccessible::get_accChild(VARIANT child, IDispatch** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    return Answer([&](HtmlView&) { return ChildIndex(child) > 0 ? S_FALSE : E_INVALIDARG; });
}

HRESULT HtmlViewAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
    if (!end)
        return E_POINTER;
    ::VariantInit(end);
    return Answer([&](HtmlView& view) {
        long index = ChildIndex(start);
        if (index < 0)
            return E_INVALIDARG;
        long count = static_cast<long>(view.AccessibleNodes().size());
        long target = 0;
        if (index == 0) {
            if (direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD) {
                IAccessible* standard = Standard();
                return standard ? standard->accNavigate(direction, start, end) : S_FALSE;
            }
            target = direction == NAVDIR_FIRSTCHILD ? 1 : count;
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT) {
            target = index + 1;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP || direction == NAVDIR_LEFT) {
            target = index - 1;
        } else if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
            return S_FALSE;  // text runs and links have no children
        } else {
            return E_INVALIDARG;
        }
        if (target < 1 || target > count)
            return S_FALSE;
        SetChild(end, target);
        return S_OK;
    });
}

HRESULT HtmlViewAccessible::accHitTest(LONG x, LONG y, VARIANT* child) {
    if (!child)
        return E_POINTER;
    ::VariantInit(child);
    return Answer([&](HtmlView& view) {
        RECT client{};
        ::GetClientRect(view.hwnd(), &client);
        POINT point{x, y};
        ::ScreenToClient(view.hwnd(), &point);
        if (!::PtInRect(&client, point))
            return S_FALSE;
        const std::vector<HtmlAccessibleNode>& nodes = view.AccessibleNodes();
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            RECT area = view.ScreenRect(nodes[i].bounds);
            if (::PtInRect(&area, POINT{x, y})) {
                SetChild(child, static_cast<long>(i) + 1);
                return S_OK;
            }
        }
        SetChild(child, CHILDID_SELF);
        return S_OK;
    });
}

HRESULT HtmlViewAccessible::get_accFocus(VARIANT* child) {
    if (!child)
        return E_POINTER;
    ::VariantInit(child);
    return Answer([&](HtmlView& view) {
        if (::GetFocus() != view.hwnd())
            return S_FALSE;
        SetChild(child, view.FocusedAccessibleChild());
        return S_OK;
    });
}

HRESULT HtmlViewAccessible::get_accSelection(VARIANT* children) {
    if (!children)
        return E_POINTER;
    ::VariantInit(children);
    return Answer([&](HtmlView&) { return S_FALSE; });
}

HRESULT HtmlViewAccessible::accSelect(LONG flags, VARIANT child) {
    return AnswerAbout(child, [&](HtmlView& view, long, const HtmlAccessibleNode* node) {
        if (flags != SELFLAG_TAKEFOCUS || (node && node->role != HtmlAccessibleNode::Role::Link))
            return DISP_E_MEMBERNOTFOUND;
        ::SetFocus(view.hwnd());
        if (node)
            view.FocusLink(node->link);
        return S_OK;
    });
}

// --- properties -------------------------------------------------------------------------------------------------

HRESULT HtmlViewAccessible::get_accName(VARIANT child, BSTR* name) {
    return AnswerText(child, name, [](HtmlView& view, long, const HtmlAccessibleNode* node) {
        // The document is named by its title; its text is what the children say.
        const HtmlDocument* document = view.Document();
        return node ? node->name : (document ? document->Title() : std::string());
    });
}

HRESULT HtmlViewAccessible::get_accValue(VARIANT child, BSTR* value) {
    return AnswerText(child, value, [](HtmlView& view, long, const HtmlAccessibleNode* node) {
        const HtmlDocument* document = view.Document();
        if (!node || node->role != HtmlAccessibleNode::Role::Link || !document)
            return std::string();
        return document->Links()[static_cast<std::size_t>(node->link)].address;
    });
}

HRESULT HtmlViewAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!role)
        return E_POINTER;
    ::VariantInit(role);
    return AnswerAbout(child, [&](HtmlView&, long, const HtmlAccessibleNode* node) {
        long value = ROLE_SYSTEM_DOCUMENT;
        if (node)
            value = node->role == HtmlAccessibleNode::Role::Link ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_STATICTEXT;
        SetChild(role, value);
        return S_OK;
    });
}

HRESULT HtmlViewAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!state)
        return E_POINTER;
    ::VariantInit(state);
    return AnswerAbout(child, [&](HtmlView& view, long index, const HtmlAccessibleNode* node) {
        bool focused = ::GetFocus() == view.hwnd();
        long value = STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSABLE | (focused ? STATE_SYSTEM_FOCUSED : 0);
        if (node) {
            RECT client{};
            ::GetClientRect(view.hwnd(), &client);
            ::MapWindowPoints(view.hwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
            RECT area = view.ScreenRect(node->bounds);
            RECT shown{};
            value = ::IntersectRect(&shown, &client, &area) ? 0 : STATE_SYSTEM_OFFSCREEN;
            if (node->role == HtmlAccessibleNode::Role::Link) {
                value |= STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE;
                if (focused && view.FocusedAccessibleChild() == index)
                    value |= STATE_SYSTEM_FOCUSED;
            } else {
                value |= STATE_SYSTEM_READONLY;
            }
        }
        SetChild(state, value);
        return S_OK;
    });
}

HRESULT HtmlViewAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
    if (!left || !top || !width || !height)
        return E_POINTER;
    *left = *top = *width = *height = 0;
    return AnswerAbout(child, [&](HtmlView& view, long, const HtmlAccessibleNode* node) {
        RECT area{};
        if (node) {
            area = view.ScreenRect(node->bounds);
        } else {
            ::GetClientRect(view.hwnd(), &area);
            ::MapWindowPoints(view.hwnd(), nullptr, reinterpret_cast<POINT*>(&area), 2);
        }
        *left = area.left;
        *top = area.top;
        *width = area.right - area.left;
        *height = area.bottom - area.top;
        return S_OK;
    });
}

// Nothing is described, helped with or reached by a shortcut beyond what the name and role say.
HRESULT HtmlViewAccessible::get_accDescription(VARIANT child, BSTR* description) {
    return AnswerText(child, description, [](HtmlView&, long, const HtmlAccessibleNode*) { return std::string(); });
}

HRESULT HtmlViewAccessible::get_accHelp(VARIANT child, BSTR* help) {
    return AnswerText(child, help, [](HtmlView&, long, const HtmlAccessibleNode*) { return std::string(); });
}

HRESULT HtmlViewAccessible::get_accHelpTopic(BSTR* helpFile, VARIANT child, LONG* topic) {
    if (!topic)
        return E_POINTER;
    *topic = -1;
    return AnswerText(child, helpFile, [](HtmlView&, long, const HtmlAccessibleNode*) { return std::string(); });
}

HRESULT HtmlViewAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return AnswerText(child, shortcut, [](HtmlView&, long, const HtmlAccessibleNode*) { return std::string(); });
}

HRESULT HtmlViewAccessible::put_accName(VARIANT, BSTR) {
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT HtmlViewAccessible::put_accValue(VARIANT, BSTR) {
    return DISP_E_MEMBERNOTFOUND;
}

// --- the default action -----------------------------------------------------------------------------------------

HRESULT HtmlViewAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    return AnswerText(child, action, [](HtmlView&, long, const HtmlAccessibleNode* node) {
        return node && node->role == HtmlAccessibleNode::Role::Link ? std::string(kLinkAction) : std::string();
    });
}

// The link is followed after this call has returned, so a client is not held up by whatever opening it brings.
HRESULT HtmlViewAccessible::accDoDefaultAction(VARIANT child) {
    return AnswerAbout(child, [](HtmlView& view, long, const HtmlAccessibleNode* node) {
        if (!node || node->role != HtmlAccessibleNode::Role::Link)
            return DISP_E_MEMBERNOTFOUND;
        return view.FollowLinkLater(node->link) ? S_OK : E_FAIL;
    });
}

}  // namespace quillcrest
