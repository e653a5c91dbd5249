#pragma once
// The operating-system operations the tool needs. Paths here are plain absolute paths ("C:\x");
// the Windows side adds the long-path prefix itself.

#include <cstdint>
#include <string>
#include <vector>

namespace junction {

enum class EntryKind {
  Missing,
  File,
  Folder,
  Junction,   // an NTFS mount point
  HostLink,   // under Wine: a symbolic link of the host file system to a folder
  OtherLink,  // any other reparse point: never entered, never removed
  Unreadable,
};

struct Entry {
  EntryKind kind = EntryKind::Missing;
  std::wstring target;  // Junction and HostLink: the folder it points to
  std::wstring reason;  // Unreadable: the system's message
};

struct Child {
  std::wstring name;
  EntryKind kind = EntryKind::Missing;  // from the folder listing, without the target
};

struct Status {
  bool ok = true;
  std::wstring reason;  // the system's message, one line, when !ok

  static Status success() { return {}; }
  static Status failure(std::wstring why) { return {false, std::move(why)}; }
};

class System {
 public:
  virtual ~System() = default;

  // Resolves a relative path against the current folder.
  virtual Status fullPath(const std::wstring& path, std::wstring& absolute) = 0;
  virtual Entry inspect(const std::wstring& path) = 0;
  virtual Status listFolder(const std::wstring& path, std::vector<Child>& children) = 0;

  // NTFS junctions.
  virtual Status createFolder(const std::wstring& path) = 0;
  virtual Status removeEmptyFolder(const std::wstring& path) = 0;
  virtual Status writeReparseData(const std::wstring& path,
                                  const std::vector<std::uint8_t>& bytes) = 0;
  virtual Status removeJunction(const std::wstring& path) = 0;

  // Wine's stand-in for junctions, which its file system lacks.
  virtual bool makesHostLinks() const = 0;
  virtual Status makeHostLink(const std::wstring& link, const std::wstring& target) = 0;
  virtual Status removeHostLink(const std::wstring& link) = 0;
};

class Console {
 public:
  virtual ~Console() = default;
  virtual void out(const std::wstring& line) = 0;
  virtual void err(const std::wstring& line) = 0;
};

}  // namespace junction
