#include "platform/win32/ui/accessible.h"

#include <oleacc.h>

#include <atomic>

namespace mirafold::win32 {
namespace {

// Child 0 is the control itself; rows are children 1 to n.
class RowsAccessible final : public IAccessible {
 public:
  RowsAccessible(HWND window, std::shared_ptr<const AccessibleSource*> source,
                 IAccessible* standard)
      : window_(window), source_(std::move(source)), standard_(standard) {}
  ~RowsAccessible() {
    if (standard_) standard_->Release();
  }
  RowsAccessible(const RowsAccessible&) = delete;
  RowsAccessible& operator=(const RowsAccessible&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: screen readers call the methods directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return standard_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    if (!source()) return CO_E_OBJNOTCONNECTED;
    *count = static_cast<long>(source()->rowCount());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    // Rows are simple elements, answered for by this object.
    return row(child) ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (!source()) return CO_E_OBJNOTCONNECTED;
    if (isSelf(child)) {
      const std::wstring own = source()->accessibleName();
      if (own.empty()) return standard_->get_accName(child, name);
      return text(own, name);
    }
    const auto r = row(child);
    return r ? text(source()->rowName(*r), name) : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (isSelf(child)) return standard_->get_accValue(child, value);
    if (value) *value = nullptr;
    return row(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if (isSelf(child)) return standard_->get_accDescription(child, description);
    if (description) *description = nullptr;
    return row(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (isSelf(child)) return standard_->get_accRole(child, role);
    if (!role) return E_POINTER;
    if (!row(child)) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_LISTITEM;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (isSelf(child)) return standard_->get_accState(child, state);
    if (!state) return E_POINTER;
    const auto r = row(child);
    if (!r) return E_INVALIDARG;
    long flags = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (source()->selectedRow() == r) {
      flags |= STATE_SYSTEM_SELECTED;
      if (::GetFocus() == window_) flags |= STATE_SYSTEM_FOCUSED;
    }
    // A row scrolled out of view has no place on the screen: a reader then skips or scrolls.
    const RECT place = source()->rowRect(*r);
    if (::IsRectEmpty(&place)) flags |= STATE_SYSTEM_OFFSCREEN;
    state->vt = VT_I4;
    state->lVal = flags;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    if (isSelf(child)) return standard_->get_accHelp(child, help);
    if (help) *help = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    if (isSelf(child)) return standard_->get_accHelpTopic(file, child, topic);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    if (isSelf(child)) return standard_->get_accKeyboardShortcut(child, shortcut);
    if (shortcut) *shortcut = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    ::VariantInit(focus);
    if (!source()) return CO_E_OBJNOTCONNECTED;
    if (::GetFocus() != window_) return S_FALSE;
    return selectedChild(focus);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    ::VariantInit(selection);
    if (!source()) return CO_E_OBJNOTCONNECTED;
    return selectedChild(selection);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (isSelf(child)) return standard_->get_accDefaultAction(child, action);
    if (action) *action = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    if (isSelf(child)) return standard_->accSelect(flags, child);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    if (isSelf(child)) return standard_->accLocation(left, top, width, height, child);
    if (!left || !top || !width || !height) return E_POINTER;
    const auto r = row(child);
    if (!r) return E_INVALIDARG;
    RECT place = source()->rowRect(*r);
    ::MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&place), 2);
    *left = place.left;
    *top = place.top;
    *width = place.right - place.left;
    *height = place.bottom - place.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (isSelf(start) && direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD) {
      return standard_->accNavigate(direction, start, end);
    }
    if (!end) return E_POINTER;
    ::VariantInit(end);
    if (!source()) return CO_E_OBJNOTCONNECTED;
    // A row has no children of its own, and navigation starts only from a row that exists.
    const bool toChild = direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD;
    if (!isSelf(start) && (toChild || !row(start))) return E_INVALIDARG;
    const long count = static_cast<long>(source()->rowCount());
    long next = 0;
    switch (direction) {
      case NAVDIR_FIRSTCHILD:
        next = 1;
        break;
      case NAVDIR_LASTCHILD:
        next = count;
        break;
      case NAVDIR_NEXT:
      case NAVDIR_DOWN:
        next = start.lVal + 1;
        break;
      case NAVDIR_PREVIOUS:
      case NAVDIR_UP:
        next = start.lVal - 1;
        break;
      default:
        return S_FALSE;
    }
    if (next < 1 || next > count) return S_FALSE;
    end->vt = VT_I4;
    end->lVal = next;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (!hit) return E_POINTER;
    if (!source()) return CO_E_OBJNOTCONNECTED;
    POINT p{x, y};
    ::ScreenToClient(window_, &p);
    for (std::size_t r = 0; r < source()->rowCount(); ++r) {
      const RECT place = source()->rowRect(r);
      if (place.bottom <= place.top) continue;  // not shown
      if (::PtInRect(&place, p)) {
        hit->vt = VT_I4;
        hit->lVal = static_cast<long>(r + 1);
        return S_OK;
      }
    }
    return standard_->accHitTest(x, y, hit);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (isSelf(child)) return standard_->accDoDefaultAction(child);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  const AccessibleSource* source() const { return *source_; }
  static bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
  }
  std::optional<std::size_t> row(const VARIANT& child) const {
    if (!source() || child.vt != VT_I4 || child.lVal < 1) return std::nullopt;
    const auto r = static_cast<std::size_t>(child.lVal - 1);
    return r < source()->rowCount() ? std::optional(r) : std::nullopt;
  }
  HRESULT selectedChild(VARIANT* out) const {
    const auto selected = source()->selectedRow();
    if (!selected) return S_FALSE;
    out->vt = VT_I4;
    out->lVal = static_cast<long>(*selected + 1);
    return S_OK;
  }
  static HRESULT text(const std::wstring& value, BSTR* out) {
    *out = ::SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  HWND window_;
  std::shared_ptr<const AccessibleSource*> source_;
  IAccessible* standard_;
  std::atomic<ULONG> references_{1};
};

}  // namespace

std::optional<LRESULT> AccessibleLink::answerGetObject(HWND window, WPARAM wParam,
                                                       LPARAM lParam) const {
  if (static_cast<long>(lParam) != OBJID_CLIENT || !*source_) return std::nullopt;
  IAccessible* standard = nullptr;
  if (FAILED(::CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&standard))) ||
      !standard) {
    return std::nullopt;
  }
  auto* object = new RowsAccessible(window, source_, standard);
  const LRESULT result = ::LresultFromObject(__uuidof(IAccessible), wParam, object);
  object->Release();  // LresultFromObject holds its own reference
  return result;
}

}  // namespace mirafold::win32
