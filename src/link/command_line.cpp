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

namespace {

// Resolved paths come back with their names as the file system stores them; only a part that does
// not exist yet keeps the case it was typed in, and that part is a plain name.
wchar_t foldedCase(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; }

}  // namespace

bool isInsideFolder(std::wstring_view path, std::wstring_view folder) {
  while (endsWithBackslash(folder)) folder.remove_suffix(1);
  if (folder.empty() || path.size() <= folder.size() + 1 || path[folder.size()] != L'\\') {
    return false;
  }
  for (std::size_t i = 0; i < folder.size(); ++i) {
    if (foldedCase(path[i]) != foldedCase(folder[i])) return false;
  }
  return true;
}

std::wstring composeCommandLine(std::wstring_view programFolder, std::wstring_view location,
                                std::wstring_view target) {
  return toolCommand(programFolder) + L' ' + base::quoteArgument(linkPathOf(location, target)) +
         L' ' + base::quoteArgument(target);
}

}  // namespace mirafold::link
