#include "platform/argument_text.h"

namespace mirafold::platform {
namespace {
bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
}  // namespace

std::wstring argumentTextOf(std::wstring_view commandLine) {
  std::size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    const auto close = commandLine.find(L'"', 1);
    i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
  }
  while (i < commandLine.size() && !isBlank(commandLine[i])) ++i;
  while (i < commandLine.size() && isBlank(commandLine[i])) ++i;
  return std::wstring(commandLine.substr(i));
}

}  // namespace mirafold::platform
