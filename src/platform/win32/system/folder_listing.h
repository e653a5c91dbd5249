#pragma once
// A folder's entries with each file's number on its volume, so that a walk counts a file of
// several names once: the folder opened once and read in large batches, as FindFirstFileExW
// with FIND_FIRST_EX_LARGE_FETCH reads it. Holds nothing: safe from any thread.

#include "platform/move_file_system.h"

namespace mirafold::win32 {

class Win32FolderListing final : public platform::FolderListing {
 public:
  platform::MoveStatus list(const std::wstring& folder,
                            std::vector<platform::FolderEntry>& entries) override;
  platform::MoveStatus listInside(const platform::HeldFolder* parent, const std::wstring& name,
                                  std::unique_ptr<platform::HeldFolder>& held,
                                  std::vector<platform::FolderEntry>& entries) override;
};

}  // namespace mirafold::win32
