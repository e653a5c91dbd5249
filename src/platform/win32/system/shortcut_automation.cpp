#include "platform/win32/system/shortcut_automation.h"

#include <windows.h>

#include <oleauto.h>

#include <optional>

#include "base/win32/handles.h"
#include "platform/win32/system/system_message.h"

namespace mirafold::win32 {
namespace {

struct Variant : VARIANT {
  Variant() { ::VariantInit(this); }
  explicit Variant(const std::wstring& text) : Variant() {
    vt = VT_BSTR;
    bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
  ~Variant() { ::VariantClear(this); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
};

struct ExceptionInfo : EXCEPINFO {
  ExceptionInfo() : EXCEPINFO{} {}
  ~ExceptionInfo() {
    ::SysFreeString(bstrSource);
    ::SysFreeString(bstrDescription);
    ::SysFreeString(bstrHelpFile);
  }
  ExceptionInfo(const ExceptionInfo&) = delete;
  ExceptionInfo& operator=(const ExceptionInfo&) = delete;
};

// What a failed call did, as the object tells it.
struct CallError {
  HRESULT code;  // the object's own code for an exception
  std::wstring reason;
};

std::optional<DISPID> memberId(IDispatch* object, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  auto* names = const_cast<LPOLESTR>(name);
  if (FAILED(object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id))) {
    return std::nullopt;
  }
  return id;
}

std::optional<CallError> invoke(IDispatch* object, DISPID id, WORD kind, DISPPARAMS& params,
                                VARIANT* result) {
  ExceptionInfo exception;
  UINT badArgument = 0;
  HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, &exception,
                              &badArgument);
  if (SUCCEEDED(hr)) return std::nullopt;
  if (hr == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    if (exception.scode) hr = exception.scode;
    if (exception.bstrDescription && *exception.bstrDescription) {
      return CallError{hr, exception.bstrDescription};
    }
  }
  return CallError{hr, systemMessage(static_cast<DWORD>(hr))};
}

std::optional<CallError> put(IDispatch* object, DISPID id, const std::wstring& value) {
  Variant argument(value);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&argument, &named, 1, 1};
  return invoke(object, id, DISPATCH_PROPERTYPUT, params, nullptr);
}

bool notImplemented(const CallError& error) {
  return error.code == E_NOTIMPL || error.code == DISP_E_MEMBERNOTFOUND;
}

}  // namespace

AutomationResult makeShortcutByAutomation(const std::wstring& progId,
                                          const std::wstring& shortcutPath,
                                          const std::wstring& target) {
  CLSID clsid{};
  base::win32::ComPtr<IDispatch> shell;
  if (FAILED(::CLSIDFromProgID(progId.c_str(), &clsid)) ||
      FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IDispatch, base::voidSlot(shell)))) {
    return {AutomationResult::Unavailable, {}};
  }
  const auto createShortcut = memberId(shell.get(), L"CreateShortcut");
  if (!createShortcut) return {AutomationResult::Unavailable, {}};

  Variant created;
  Variant pathArgument(shortcutPath);
  DISPPARAMS params{&pathArgument, nullptr, 1, 0};
  if (auto error = invoke(shell.get(), *createShortcut, DISPATCH_METHOD, params, &created)) {
    return {AutomationResult::Failed, error->reason};
  }
  if (created.vt != VT_DISPATCH || !created.pdispVal) return {AutomationResult::Unavailable, {}};
  base::win32::ComPtr<IDispatch> shortcut =
      base::win32::ComPtr<IDispatch>(std::exchange(created.pdispVal, nullptr));
  created.vt = VT_EMPTY;

  const auto iconLocation = memberId(shortcut.get(), L"Iconlocation");
  const auto targetPath = memberId(shortcut.get(), L"TargetPath");
  const auto hotkey = memberId(shortcut.get(), L"Hotkey");
  const auto save = memberId(shortcut.get(), L"save");
  if (!iconLocation || !targetPath || !hotkey || !save) return {AutomationResult::Unavailable, {}};

  // "path,index" is the documented form; some implementations take no bare path.
  const std::pair<DISPID, std::wstring> properties[] = {
      {*iconLocation, target + L",0"}, {*targetPath, target}, {*hotkey, L""}};
  for (const auto& [id, value] : properties) {
    if (auto error = put(shortcut.get(), id, value)) {
      // Nothing is written until save, so an object that cannot do all of it can leave it to us.
      if (notImplemented(*error)) return {AutomationResult::Unavailable, {}};
      return {AutomationResult::Failed, error->reason};
    }
  }
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  if (auto error = invoke(shortcut.get(), *save, DISPATCH_METHOD, none, nullptr)) {
    return {AutomationResult::Failed, error->reason};
  }
  return {AutomationResult::Written, {}};
}

}  // namespace mirafold::win32
