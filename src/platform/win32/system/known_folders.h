#pragma once
// The system's own folders, from the shell's known-folder list: the places a move must leave, and
// where the move keeps its journals.

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "platform/services.h"

namespace mirafold::win32 {

// A known folder's path as the system names it now; empty when it has none.
std::wstring knownFolderPath(const KNOWNFOLDERID& id);

class Win32SystemFolders final : public platform::SystemFolders {
 public:
  platform::SystemPlaces places() const override;
};

// Where the helper with administrator rights keeps its journal: %ProgramData%\Mirafold\moves,
// which only administrators may change once the helper has made it.
std::wstring protectedJournalFolder();

}  // namespace mirafold::win32
