#include "error_text.h"

#include "junction/text.h"

namespace junction::win32 {
namespace {

std::wstring format(DWORD code, DWORD language) {
  wchar_t* text = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length = ::FormatMessageW(flags, nullptr, code, language,
                                        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring out = length ? oneLine(std::wstring_view(text, length)) : std::wstring();
  if (text) ::LocalFree(text);
  return out;
}

}  // namespace

std::wstring systemMessage(DWORD code) {
  // The tool speaks English; a system without English messages gives its own language instead.
  std::wstring text = format(code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  if (text.empty()) text = format(code, 0);
  if (text.empty()) text = L"System error " + std::to_wstring(code) + L".";
  return text;
}

}  // namespace junction::win32
