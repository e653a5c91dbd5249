#pragma once
// A folder's rows as the system lists them: its visible subfolders in the user's collation, each
// link shown whole (probing them is the caller's, apart from the listing).

#include <optional>
#include <string>

#include "platform/folder_row_model.h"

namespace mirafold::win32 {

// Reads the folder that the text names (absolute or relative, or a bare drive such as "d:").
// Empty when it is not an existing folder whose listing can be read.
std::optional<platform::FolderRowModel> readFolderRows(const std::wstring& text);

}  // namespace mirafold::win32
