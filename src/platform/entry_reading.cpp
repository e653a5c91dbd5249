#include "platform/entry_reading.h"

namespace mirafold::platform {
namespace {

constexpr std::uint32_t kNameSurrogate = 0x20000000;  // IsReparseTagNameSurrogate
constexpr std::uint32_t kCloudTag = 0x9000001A;       // CLOUD_1..F set bits 12 to 15
constexpr std::uint32_t kCloudTagMask = 0xFFFF0FFF;

bool isReparsePoint(std::uint32_t attributes) { return attributes & kAttributeReparsePoint; }

}  // namespace

EntryKind entryKindOf(std::uint32_t attributes, std::uint32_t tag, bool underWine) {
  const bool folder = attributes & kAttributeFolder;
  if (folder && isReparsePoint(attributes) && ((tag & kNameSurrogate) || (underWine && tag == 0))) {
    return EntryKind::Link;
  }
  return folder ? EntryKind::Folder : EntryKind::File;
}

bool isCloudPlaceholder(std::uint32_t attributes, std::uint32_t tag) {
  return (attributes & (kAttributeRecallOnOpen | kAttributeRecallOnDataAccess)) ||
         (isReparsePoint(attributes) && (tag & kCloudTagMask) == kCloudTag);
}

}  // namespace mirafold::platform
