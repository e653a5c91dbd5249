#include "platform/win32/system/full_path.h"

#include <windows.h>

#include "base/long_path.h"

namespace mirafold::win32 {

namespace {

// Asked only for what fits the classic limit, or for a verbatim path.
std::wstring systemFullPath(const std::wstring& text) {
  // The current folder may change between the two calls; a second round settles it.
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD needed = ::GetFullPathNameW(text.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    const DWORD written = ::GetFullPathNameW(text.c_str(), needed, full.data(), nullptr);
    if (written == 0) return {};
    if (written < needed) {
      full.resize(written);
      return full;
    }
  }
  return {};
}

}  // namespace

std::wstring fullPathOf(const std::wstring& text) {
  return base::absolutePathOf(text, systemFullPath);
}

std::wstring callablePath(const std::wstring& path) {
  return base::withLongPathPrefix(fullPathOf(path));
}

}  // namespace mirafold::win32
