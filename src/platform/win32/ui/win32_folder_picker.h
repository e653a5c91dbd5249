#pragma once
// The folder picker as the shell shows it: IFileOpenDialog with FOS_PICKFOLDERS.

#include <windows.h>

#include "platform/folder_picker.h"

namespace mirafold::win32 {

class Win32FolderPicker : public platform::FolderPicker {
 public:
  void setOwner(HWND owner) { owner_ = owner; }
  std::optional<std::wstring> pickFolder(const std::wstring& title,
                                         const std::wstring& start) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace mirafold::win32
