#include "base/win32/final_path.h"

#include "base/long_path.h"

namespace mirafold::base::win32 {

std::optional<std::wstring> finalPathOf(HANDLE handle) {
  // The longest path there is: Wine fails with ERROR_MORE_DATA rather than give the length needed.
  std::wstring path(32768, L'\0');
  for (;;) {
    const DWORD length =
        ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
    if (length == 0) return std::nullopt;
    const bool fits = length < path.size();
    path.resize(length);
    if (fits) break;
  }
  return withoutLongPathPrefix(path);
}

}  // namespace mirafold::base::win32
