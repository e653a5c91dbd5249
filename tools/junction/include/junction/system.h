#pragma once
// The operating-system operations the tool needs. Paths here are plain absolute paths ("C:\x");
// the Windows side adds the long-path prefix itself.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "junction/paths.h"

namespace junction {

enum class EntryKind {
  Missing,
  File,
  Folder,
  Junction,          // a mount point whose substitute name is a folder on a drive ("\??\C:\x")
  VolumeMountPoint,  // a mount point of a whole volume ("\??\Volume{...}\"): never removed
  HostLink,   // under Wine, inside the prefix's drive_c only: a host symbolic link to a folder
  OtherLink,  // any other reparse point or host link: never entered, never removed
  Unreadable,
};

struct Entry {
  EntryKind kind = EntryKind::Missing;
  // Junction and HostLink: the folder the system follows (for a junction, its substitute name);
  // VolumeMountPoint: the volume ("\\?\Volume{...}\").
  std::wstring target;
  std::wstring printName;   // Junction: the print name, only when it differs from `target`
  std::uint32_t error = 0;  // Unreadable: the system's error code
  std::wstring reason;      // Unreadable: the system's message
};

struct Child {
  std::wstring name;
  EntryKind kind = EntryKind::Missing;  // from the folder listing, without the target
};

struct Status {
  bool ok = true;
  std::uint32_t code = 0;  // the Win32 error code, when !ok
  std::wstring reason;     // the system's message, one line, when !ok

  static Status success() { return {}; }
  static Status failure(std::uint32_t code, std::wstring why) {
    return {false, code, std::move(why)};
  }
};

// A folder just made, still open: the reparse point is set on it, or it is deleted, through the
// handle that made it, so nothing can be swapped in between.
class NewFolder {
 public:
  virtual ~NewFolder() = default;
  virtual Status setReparseData(const std::vector<std::uint8_t>& bytes) = 0;
  virtual Status discard() = 0;
};

// An entry opened as itself (no reparse traversal), with the right to delete it or to rewrite
// its reparse data as it was opened for: what it is, is read on this handle, and it is deleted or
// rewritten through this handle.
class OpenLink {
 public:
  virtual ~OpenLink() = default;
  virtual Entry read() = 0;
  virtual Status remove() = 0;
  // Replaces the reparse data in place; the tag stays the same, so the entry is never without one.
  virtual Status setReparseData(const std::vector<std::uint8_t>& bytes) = 0;
};

enum class LinkAccess { Remove, Rewrite };

class System {
 public:
  virtual ~System() = default;

  // Resolves a relative path against the current folder.
  virtual Status fullPath(const std::wstring& path, std::wstring& absolute) = 0;
  virtual Entry inspect(const std::wstring& path) = 0;
  virtual Status listFolder(const std::wstring& path, std::vector<Child>& children) = 0;
  // What a drive letter stands for, as the system names it.
  virtual DriveDevice driveDevice(wchar_t letter) = 0;

  // NTFS junctions. createFolder fails when anything is at `path` already.
  virtual Status createFolder(const std::wstring& path, std::unique_ptr<NewFolder>& made) = 0;
  virtual Status openLink(const std::wstring& path, LinkAccess access,
                          std::unique_ptr<OpenLink>& opened) = 0;
  // The path the system reaches, every link on the way followed.
  virtual Status resolvedPath(const std::wstring& path, std::wstring& resolved) = 0;

  // Wine's stand-in for junctions, which its file system lacks: only inside the prefix's drive_c.
  virtual bool makesHostLinks() const = 0;
  virtual Status makeHostLink(const std::wstring& link, const std::wstring& target) = 0;
  virtual Status removeHostLink(const std::wstring& link) = 0;
  // A new host link made beside `link` and renamed over it in one step: `link` is never missing.
  virtual Status replaceHostLink(const std::wstring& link, const std::wstring& target) = 0;
};

class Console {
 public:
  virtual ~Console() = default;
  virtual void out(const std::wstring& line) = 0;
  virtual void err(const std::wstring& line) = 0;
};

}  // namespace junction
