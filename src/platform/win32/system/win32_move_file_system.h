#pragma once
// The folder move's file operations on Win32. Links are made (and, where the system cannot remove
// them itself, removed) by the program's junction tool, through the commands given.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/move_file_system.h"

namespace mirafold::win32 {

struct LinkCommands {
  std::function<platform::MoveStatus(const std::wstring& link, const std::wstring& target)> make;
  std::function<platform::MoveStatus(const std::wstring& link)> remove;
};

// The seam's own refusals in the program's words; %1 stands for the path.
struct MoveFileSystemTexts {
  std::wstring noJunctionTool;
  std::wstring notALink;
  std::wstring volumeMountPoint;  // never read as a link's target, copied or removed
};

class Win32MoveFileSystem : public platform::MoveFileSystem {
 public:
  Win32MoveFileSystem(LinkCommands links, MoveFileSystemTexts texts);

  platform::MoveStatus inspect(const std::wstring& path, platform::EntryInfo& info) override;
  platform::MoveStatus list(const std::wstring& folder,
                            std::vector<platform::FolderEntry>& entries) override;
  platform::MoveStatus rename(const std::wstring& from, const std::wstring& to) override;
  platform::MoveStatus createFolder(const std::wstring& path) override;
  platform::MoveStatus copyFile(const std::wstring& from, const std::wstring& to,
                                const platform::CopyProgress& progress) override;
  platform::MoveStatus finishCopy(const std::wstring& from, const std::wstring& to,
                                  const platform::EntryTimes& times, bool withSecurity) override;
  platform::MoveStatus copySecurity(const std::wstring& from, const std::wstring& to,
                                    bool asRoot) override;
  platform::MoveStatus nameCount(const std::wstring& file, std::uint32_t& names) override;
  platform::MoveStatus setAttributes(const std::wstring& path, std::uint32_t attributes) override;
  platform::MoveStatus setTimes(const std::wstring& path,
                                const platform::EntryTimes& times) override;
  platform::MoveStatus measureTimeStep(const std::wstring& folder, std::uint64_t& step) override;
  platform::MoveStatus readLink(const std::wstring& link, std::wstring& target) override;
  platform::MoveStatus copyLink(const std::wstring& from, const std::wstring& to) override;
  platform::MoveStatus copyLinkLeadingTo(const std::wstring& from, const std::wstring& to,
                                         const std::wstring& target) override;
  platform::MoveStatus flushLink(const std::wstring& link) override;
  platform::MoveStatus canMakeSymbolicLinks(bool& can) override;
  platform::MoveStatus makeLink(const std::wstring& link, const std::wstring& target) override;
  platform::MoveStatus removeLink(const std::wstring& link) override;
  platform::MoveStatus sameFolder(const std::wstring& a, const std::wstring& b,
                                  bool& same) override;
  platform::MoveStatus deleteFile(const std::wstring& path) override;
  platform::MoveStatus removeEmptyFolder(const std::wstring& path) override;
  platform::MoveStatus volumeInfo(const std::wstring& path, platform::VolumeInfo& info) override;
  platform::MoveStatus canKeepOwners(bool& can) override;
  platform::MoveStatus hold(const std::wstring& folder, std::wstring& finalPath) override;
  platform::MoveStatus createPrivateFolder(const std::wstring& path) override;
  platform::MoveStatus reclaim(const std::wstring& path) override;
  platform::MoveStatus hasStreams(const std::wstring& file, bool& has) override;
  platform::MoveStatus writeJournal(const std::wstring& path, const std::wstring& text) override;
  platform::MoveStatus readJournal(const std::wstring& path, std::wstring& text) override;
  platform::MoveStatus deleteJournal(const std::wstring& path) override;

 private:
  platform::MoveStatus refuseVolumeMountPoint(const std::wstring& path) const;
  platform::MoveStatus copyLinkAs(const std::wstring& from, const std::wstring& to,
                                  const std::wstring& target);

  LinkCommands links_;
  MoveFileSystemTexts texts_;
};

// %LOCALAPPDATA%\Mirafold\moves, where the journals of moves are kept; empty when unknown.
std::wstring moveJournalFolder();

}  // namespace mirafold::win32
