#pragma once
// The file-system service on Win32: directory-entry tests, file presence and deletion.

#include "platform/services.h"

namespace mirafold::win32 {

class Win32FileSystem final : public platform::FileSystem {
 public:
  // The entry must be named exactly: a path with a wildcard is refused rather than matched as a
  // pattern, and a path ending in a backslash names no entry unless it is a drive root (a folder).
  // Any failure of the search (missing, drive not ready, access denied) counts as not found.
  bool isVisibleFile(const std::wstring& path) const override;
  bool isVisibleEntry(const std::wstring& path) const override;
  bool isVisibleFolder(const std::wstring& path) const override;
  // Follows junctions and links through the final path of the longest existing part.
  std::wstring resolvedPath(const std::wstring& path) const override;
  bool isOnNetwork(const std::wstring& path) const override;
  bool isAnyFile(const std::wstring& path) const override;
  platform::Outcome deleteFile(const std::wstring& path) override;
};

}  // namespace mirafold::win32
