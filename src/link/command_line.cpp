#include "link/command_line.h"

#include "base/command_line.h"
#include "link/tool.h"

namespace mirafold::link {

bool endsWithBackslash(std::wstring_view path) { return path.ends_with(L'\\'); }

std::wstring_view lastPathComponent(std::wstring_view path) {
  const auto slash = path.rfind(L'\\');
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

std::wstring linkPathOf(std::wstring_view location, std::wstring_view target) {
  std::wstring path(location);
  if (!endsWithBackslash(location)) path += L'\\';
  path += lastPathComponent(target);
  return path;
}

std::wstring composeCommandLine(std::wstring_view programFolder, std::wstring_view location,
                                std::wstring_view target) {
  return toolCommand(programFolder) + L' ' + base::quoteArgument(linkPathOf(location, target)) +
         L' ' + base::quoteArgument(target);
}

}  // namespace mirafold::link
