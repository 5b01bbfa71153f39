#pragma once

#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <atomic>

namespace quillcrest {

class HtmlView;

// The HTML view as Active Accessibility presents it: a document whose children are the page's text runs and links
// (HtmlAccessibleNodes), child ids 1 to n in reading order. Text runs are static text named by their text; links
// have their text as name, their address as value and "Jump" as default action, which follows them like Enter.
// The window's frame and its place among its siblings come from the system's own object for the client area.
// Clients may hold the object longer than the view lives: the view cuts it loose when its window goes, and from
// then on every call fails with CO_E_OBJNOTCONNECTED.
class HtmlViewAccessible final : public IAccessible {
  public:
    // The object starts with one reference, owned by the caller.
    explicit HtmlViewAccessible(HtmlView& view);
    HtmlViewAccessible(const HtmlViewAccessible&) = delete;
    HtmlViewAccessible& operator=(const HtmlViewAccessible&) = delete;

    void Disconnect();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: clients of this object call IAccessible directly; late binding is not offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id,
                                     REFIID iid,
                                     LCID locale,
                                     WORD flags,
                                     DISPPARAMS* parameters,
                                     VARIANT* result,
                                     EXCEPINFO* exception,
                                     UINT* argumentError) override;

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* helpFile, VARIANT child, LONG* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

  private:
    ~HtmlViewAccessible();

    // Runs one IAccessible call against the view: fails while disconnected, turns exceptions into results.
    template <typename Call>
    HRESULT Answer(Call&& call);
    // Runs a call about the child a VARIANT names, given its index and node (null for the document itself).
    template <typename Call>
    HRESULT AnswerAbout(const VARIANT& child, Call&& call);
    template <typename Call>
    HRESULT AnswerText(const VARIANT& child, BSTR* out, Call&& call);
    // The child a VARIANT names: 0 for the document, 1 to n for its children; -1 when it names none.
    long ChildIndex(const VARIANT& child) const;
    IAccessible* Standard();

    std::atomic<ULONG> references_{1};
    HtmlView* view_;
    Microsoft::WRL::ComPtr<IAccessible> standard_;
    bool standardTried_ = false;
};

}  // namespace quillcrest
