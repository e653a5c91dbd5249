#include "platform/win32/ui/dropped_files.h"

namespace mirafold::win32 {

DroppedFiles readDroppedFiles(HDROP drop) {
  DroppedFiles dropped;
  dropped.inClientArea = ::DragQueryPoint(drop, &dropped.point) != FALSE;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  dropped.paths.reserve(count);
  for (UINT i = 0; i < count; ++i) {
    // Asked for its length first: a path may be far longer than MAX_PATH.
    const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length, L'\0');
    if (length > 0) path.resize(::DragQueryFileW(drop, i, path.data(), length + 1));
    dropped.paths.push_back(std::move(path));
  }
  return dropped;
}

}  // namespace mirafold::win32
