#include "link/tool.h"

namespace mirafold::link {

std::wstring toolPath(std::wstring_view programFolder) {
  // Appended without looking at the folder's last character, also at a drive root.
  return std::wstring(programFolder) + L"\\junction.exe";
}

}  // namespace mirafold::link
