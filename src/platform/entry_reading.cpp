#include "platform/entry_reading.h"

namespace mirafold::platform {

EntryKind moveKindOf(base::EntryKind kind, std::uint32_t attributes) {
  if (kind == base::EntryKind::Missing) return EntryKind::Missing;
  const bool folder = attributes & kAttributeFolder;
  if (folder && base::isLink(kind)) return EntryKind::Link;
  return folder ? EntryKind::Folder : EntryKind::File;
}

bool isNameSurrogateFile(const EntryInfo& info) {
  return info.kind == EntryKind::File && (info.attributes & kAttributeLink) &&
         base::isLink(base::listedKind(info.attributes, info.reparseTag, false));
}

}  // namespace mirafold::platform
