#include "platform/win32/system_message.h"

#include <cwchar>

#include "platform/win32/unique_handle.h"

namespace mirafold::win32 {
namespace {

inline void freeLocal(wchar_t* p) { ::LocalFree(p); }
using LocalText = UniqueHandle<NullIsInvalid<wchar_t*, freeLocal>>;

}  // namespace

std::wstring systemMessage(DWORD code) {
  // An HRESULT that wraps a Win32 error has the error's text.
  if (HRESULT_FACILITY(code) == FACILITY_WIN32 && (code & 0x80000000u)) code = HRESULT_CODE(code);
  LocalText text;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(text.put()), 0, nullptr);
  std::wstring message = length ? std::wstring(text.get(), length) : std::wstring();
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) {
    message.pop_back();
  }
  if (!message.empty()) return message;
  wchar_t hex[16];
  std::swprintf(hex, std::size(hex), L"0x%08lX", static_cast<unsigned long>(code));
  return hex;
}

}  // namespace mirafold::win32
