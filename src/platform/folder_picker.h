#pragma once
// The system's own dialog for choosing a folder.

#include <optional>
#include <string>

namespace mirafold::platform {

class FolderPicker {
 public:
  virtual ~FolderPicker() = default;
  // Modal: the user picks an existing folder of the file system, the dialog opening in `start`
  // (or where the system chooses when that is no folder). Nothing when the user cancels.
  virtual std::optional<std::wstring> pickFolder(const std::wstring& title,
                                                 const std::wstring& start) = 0;
};

}  // namespace mirafold::platform
