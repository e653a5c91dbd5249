#include "base/win32/library_search.h"

#include "base/win32/exported.h"

namespace mirafold::base::win32 {

void searchLibrariesInSystemFolderOnly() {
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  if (const auto set =
          exportedFunction<SetDirectories>(L"kernel32.dll", "SetDefaultDllDirectories")) {
    set(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
}

}  // namespace mirafold::base::win32
