#include "link/command_line.h"

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

// In quotes that the started program's C runtime takes off again: backslashes before a quote (the
// closing one too) are doubled and a quote is escaped. Otherwise "C:\" as target would end in \"
// and run on into the next argument.
std::wstring quoted(std::wstring_view text) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : text) {
    if (c == L'\\') {
      ++backslashes;
    } else {
      if (c == L'"') out.append(backslashes + 1, L'\\');
      backslashes = 0;
    }
    out += c;
  }
  out.append(backslashes, L'\\');
  out += L'"';
  return out;
}

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
  return toolCommand(programFolder) + L' ' + quoted(linkPathOf(location, target)) + L' ' +
         quoted(target);
}

}  // namespace mirafold::link
