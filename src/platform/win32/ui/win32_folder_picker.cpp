#include "platform/win32/ui/win32_folder_picker.h"

#include <shobjidl.h>

#include "base/unique_resource.h"
#include "base/win32/handles.h"

namespace mirafold::win32 {

std::optional<std::wstring> Win32FolderPicker::pickFolder(const std::wstring& title,
                                                          const std::wstring& start) {
  base::win32::ComPtr<IFileOpenDialog> dialog;
  if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFileOpenDialog, base::voidSlot(dialog)))) {
    return std::nullopt;
  }
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  // Only a folder of the file system, which a junction can lead to; the process's current
  // folder stays where it was.
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST |
                     FOS_NOCHANGEDIR);
  dialog->SetTitle(title.c_str());
  base::win32::ComPtr<IShellItem> folder;
  if (!start.empty() && SUCCEEDED(::SHCreateItemFromParsingName(
                            start.c_str(), nullptr, IID_IShellItem, base::voidSlot(folder)))) {
    dialog->SetFolder(folder.get());
  }
  if (dialog->Show(owner_) != S_OK) return std::nullopt;  // cancelled, or it could not show
  base::win32::ComPtr<IShellItem> picked;
  if (FAILED(dialog->GetResult(picked.put()))) return std::nullopt;
  base::win32::UniqueCoTaskText path;
  if (FAILED(picked->GetDisplayName(SIGDN_FILESYSPATH, path.put())) || !path) return std::nullopt;
  return std::wstring(path.get());
}

}  // namespace mirafold::win32
