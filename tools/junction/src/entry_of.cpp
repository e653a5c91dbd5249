#include "junction/entry_of.h"

namespace junction {

using mirafold::base::EntryReading;

Entry entryOf(const EntryReading& reading) {
  using Base = mirafold::base::EntryKind;
  const bool folder = reading.attributes & mirafold::base::kAttributeFolder;
  switch (reading.kind) {
    case Base::Missing:
      return Entry{};
    case Base::Unreadable:
      return Entry{EntryKind::Unreadable, {}, {}, reading.error, {}};
    case Base::File:
      return Entry{EntryKind::File, {}, {}, 0, {}};
    case Base::Folder:
      return Entry{EntryKind::Folder, {}, {}, 0, {}};
    case Base::Junction: {
      // The print name is only what other tools show; it counts only where it says something else.
      const std::wstring& print = reading.printName;
      return Entry{EntryKind::Junction,
                   reading.target,
                   print.empty() || print == reading.target ? std::wstring() : print,
                   0,
                   {}};
    }
    case Base::VolumeMountPoint:
      return Entry{EntryKind::VolumeMountPoint, reading.target, {}, 0, {}};
    case Base::HostLink:
      return Entry{EntryKind::HostLink, reading.target, {}, 0, {}};
    case Base::CloudPlaceholder:
      // A cloud file is a file; a cloud folder is never entered, since listing it downloads it.
      return Entry{folder ? EntryKind::OtherLink : EntryKind::File, {}, {}, 0, {}};
    case Base::FolderSymbolicLink:
    case Base::FileSymbolicLink:
    case Base::OtherNameSurrogate:
      break;
  }
  return Entry{EntryKind::OtherLink, {}, {}, 0, {}};
}

}  // namespace junction
