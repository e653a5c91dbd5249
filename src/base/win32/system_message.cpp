#include "base/win32/system_message.h"

#include "base/win32/handles.h"

namespace mirafold::base::win32 {

std::wstring formatSystemMessage(DWORD code, DWORD language) {
  // An HRESULT that wraps a Win32 error has the error's text.
  if (HRESULT_FACILITY(code) == FACILITY_WIN32 && (code & 0x80000000u)) code = HRESULT_CODE(code);
  UniqueLocalMemory<wchar_t*> text;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, language, reinterpret_cast<wchar_t*>(text.put()), 0, nullptr);
  std::wstring message = length ? std::wstring(text.get(), length) : std::wstring();
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) {
    message.pop_back();
  }
  return message;
}

}  // namespace mirafold::base::win32
