#pragma once
// The folder move's file operations on Win32. Links are made (and, where the system cannot remove
// them itself, removed) by the program's junction tool, through the commands given. Paths at or
// below a held folder are reached from its handle, no link on the way followed
// (held_folders.h); others by their path.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/entry_reading.h"
#include "base/win32/handles.h"
#include "platform/move_file_system.h"
#include "platform/win32/system/flush_pool.h"
#include "platform/win32/system/folder_listing.h"
#include "platform/win32/system/held_folders.h"

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
  platform::MoveStatus listInside(const platform::HeldFolder* parent, const std::wstring& name,
                                  std::unique_ptr<platform::HeldFolder>& held,
                                  std::vector<platform::FolderEntry>& entries) override;
  platform::MoveStatus rename(const std::wstring& from, const std::wstring& to) override;
  platform::MoveStatus createFolder(const std::wstring& path) override;
  platform::MoveStatus copyFile(const std::wstring& from, const std::wstring& to,
                                const platform::CopyProgress& progress) override;
  platform::MoveStatus finishCopy(const std::wstring& from, const std::wstring& to,
                                  const platform::EntryTimes& times, bool withSecurity,
                                  const platform::StillWaiting& waiting) override;
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
  platform::MoveStatus flushRename(const std::wstring& path) override;
  platform::MoveStatus canMakeSymbolicLinks(bool& can) override;
  platform::MoveStatus makeLink(const std::wstring& link, const std::wstring& target) override;
  platform::MoveStatus removeLink(const std::wstring& link) override;
  platform::MoveStatus sameFolder(const std::wstring& a, const std::wstring& b,
                                  bool& same) override;
  platform::MoveStatus deleteFile(const std::wstring& path) override;
  platform::MoveStatus removeEmptyFolder(const std::wstring& path) override;
  platform::MoveStatus volumeInfo(const std::wstring& path, platform::VolumeInfo& info) override;
  platform::MoveStatus canKeepOwners(bool& can) override;
  platform::MoveStatus ownedByOther(const std::wstring& path, bool& other) override;
  platform::MoveStatus hold(const std::wstring& folder, std::wstring& finalPath) override;
  void letGo() override;
  platform::MoveStatus createPrivateFolder(const std::wstring& path) override;
  platform::MoveStatus reclaim(const std::wstring& path) override;
  platform::MoveStatus hasStreams(const std::wstring& file, bool& has) override;
  platform::MoveStatus writeJournal(const std::wstring& path, const std::wstring& text) override;
  platform::MoveStatus readJournal(const std::wstring& path, std::wstring& text) override;
  platform::MoveStatus deleteJournal(const std::wstring& path) override;
  platform::MoveStatus settleCopies(const platform::StillWaiting& waiting) override;

 private:
  // A copy copyFile made, open until finishCopy: its source with what it was, and itself with
  // `access`.
  struct OpenCopy {
    std::wstring to;
    base::win32::UniqueFileHandle source;
    FILE_BASIC_INFO original{};
    base::win32::UniqueFileHandle copy;
    DWORD access = 0;
  };
  // The file to copy opened for reading, shared with readers only: from its held folder, the file
  // itself (Changed where it became a link); `basic`, what it is.
  platform::MoveStatus openSource(const std::wstring& from, base::win32::UniqueFileHandle& source,
                                  FILE_BASIC_INFO& basic);
  // `path` made new, a file or a folder as `options` say, with `attributes`: in its folder's
  // handle when held.
  platform::MoveStatus createEntry(const std::wstring& path, DWORD access, ULONG share,
                                   ULONG options, base::win32::UniqueFileHandle& made,
                                   DWORD attributes = FILE_ATTRIBUTE_NORMAL);
  platform::MoveStatus refuseVolumeMountPoint(const std::wstring& path) const;
  // The flush of `path`'s volume where the system refused a folder's own (`refused`).
  platform::MoveStatus flushVolumeInstead(DWORD refused, const std::wstring& path);
  platform::MoveStatus copyLinkAs(const std::wstring& from, const std::wstring& to,
                                  const std::wstring& target);

  // The entry opened: from its held folder when it lies below one (the entry itself, or where a
  // link leads when `followLink`, its folders never followed), else by its path. Invalid on
  // failure, with the thread's last error set (ERROR_REPARSE_POINT_ENCOUNTERED: a link where a
  // folder must be).
  base::win32::UniqueFileHandle openEntry(const std::wstring& path, DWORD access, bool followLink);
  // The same for this seam's own calls: `options` (base/win32/nt_files.h) asks for a file or a
  // folder; a refusal names the folder on the way that was not one.
  platform::MoveStatus reachEntry(const std::wstring& path, DWORD access, ULONG options,
                                  base::win32::UniqueFileHandle& opened);
  // The folders of each path that lies below a held folder reached (Changed where one is a link):
  // before a system call that takes paths, not handles.
  platform::MoveStatus reachFolders(std::initializer_list<const std::wstring*> paths);
  // The one reading of the entry itself (base/win32/entry_reader.h).
  base::EntryReading readingOf(const std::wstring& entry);
  // Where a link leads, as the system resolves it: the only answer Wine's host links give.
  platform::MoveStatus resolvedTarget(const std::wstring& link, std::wstring& target);
  platform::MoveStatus inspectHeld(const std::wstring& path, platform::EntryInfo& info);
  // The rename through handles: `from` opened itself, its new name given inside the folder of
  // `to`. 0 or the system's error (for the path held_ names, when ERROR_REPARSE_POINT_ENCOUNTERED).
  DWORD renameThroughHandles(const std::wstring& from, const std::wstring& to);
  platform::MoveStatus deleteHeld(const std::wstring& path, ULONG options);

  LinkCommands links_;
  HeldFolders held_;
  // The walks below a folder (the links overview) go by handle, as the folder sizes do.
  Win32FolderListing walkListing_;
  std::optional<OpenCopy> made_;
  std::optional<DWORD> copyVolumeFlags_;  // of the volume the move's copies go to
  std::unique_ptr<FlushPool> finishing_;  // one move's copies finished, made at its first
  MoveFileSystemTexts texts_;
};

// %LOCALAPPDATA%\Mirafold\moves, where the journals of moves are kept; empty when unknown.
std::wstring moveJournalFolder();

}  // namespace mirafold::win32
