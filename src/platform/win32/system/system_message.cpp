#include "platform/win32/system/system_message.h"

#include <cwchar>

#include "base/win32/system_message.h"

namespace mirafold::win32 {

std::wstring systemMessage(DWORD code) {
  std::wstring message = base::win32::formatSystemMessage(code);
  if (!message.empty()) return message;
  wchar_t hex[16];
  std::swprintf(hex, std::size(hex), L"0x%08lX", static_cast<unsigned long>(code));
  return hex;
}

}  // namespace mirafold::win32
