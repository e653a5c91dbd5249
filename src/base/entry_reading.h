#pragma once
// What an entry on disk is, from what the system says of it: its attributes, its reparse tag and,
// for a reparse point, its reparse bytes. The one reading the folder lists, the move and the
// junction tool share; src/base/win32/entry_reader.h asks the system for it.

#include <cstdint>
#include <span>
#include <string>

namespace mirafold::base {

// Attribute bits, with the values Windows gives them.
inline constexpr std::uint32_t kAttributeFolder = 0x10;         // FILE_ATTRIBUTE_DIRECTORY
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT
// A cloud file whose contents are not (all) on this PC: opening or reading it downloads them.
inline constexpr std::uint32_t kAttributeRecallOnOpen = 0x40000;
inline constexpr std::uint32_t kAttributeRecallOnDataAccess = 0x400000;

enum class EntryKind {
  Missing,
  Unreadable,
  File,
  Folder,
  Junction,            // a mount point whose substitute name is a folder on a drive ("\??\C:\x")
  VolumeMountPoint,    // a mount point of a whole volume ("\??\Volume{...}\")
  FolderSymbolicLink,  // IO_REPARSE_TAG_SYMLINK on a folder
  FileSymbolicLink,    // IO_REPARSE_TAG_SYMLINK on a file
  OtherNameSurrogate,  // any other reparse point that stands for another name, or a link's bytes
                       // that do not read as its kind
  CloudPlaceholder,    // a cloud provider's file or folder: reading it downloads it
  HostLink,            // under Wine: a host symbolic link, shown as a reparse point without a tag
};

struct EntryReading {
  EntryKind kind = EntryKind::Missing;
  std::uint32_t attributes = 0;
  // The path the system follows: a link's substitute name as a Win32 path ("C:\x"), a relative
  // symbolic link's as stored (relative to the folder holding the link), a volume mount point's
  // volume ("\\?\Volume{...}\"), a host link's folder as the system reaches it. Empty for
  // anything else, and where it cannot be known.
  std::wstring target;
  std::wstring printName;   // a junction's or symbolic link's, as stored: only ever shown
  bool relative = false;    // a symbolic link relative to the folder holding it
  std::uint32_t error = 0;  // Unreadable: the system's error code
};

// From a folder listing, which gives the tag but not the bytes: a mount point there is taken for
// a junction, since only its bytes tell a volume's apart.
EntryKind listedKind(std::uint32_t attributes, std::uint32_t tag, bool underWine);

// From the entry's attributes and its reparse bytes (none for a plain entry, nor for Wine's host
// links, which hold none; then the host link's target is for the caller to find).
EntryReading readingOf(std::uint32_t attributes, std::span<const std::uint8_t> reparseData,
                       bool underWine);

// Every kind that stands for another name: never entered, never deleted through.
bool isLink(EntryKind kind);

}  // namespace mirafold::base
