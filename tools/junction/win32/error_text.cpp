#include "error_text.h"

#include "base/win32/system_message.h"
#include "junction/text.h"

namespace junction::win32 {

std::wstring systemMessage(DWORD code) {
  using mirafold::base::win32::formatSystemMessage;
  // The tool speaks English; a system without English messages gives its own language instead.
  std::wstring text = formatSystemMessage(code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  if (text.empty()) text = formatSystemMessage(code);
  if (text.empty()) return L"System error " + std::to_wstring(code) + L".";
  return oneLine(text);
}

}  // namespace junction::win32
