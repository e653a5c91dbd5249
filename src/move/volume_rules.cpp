#include "move/volume_rules.h"

#include <algorithm>
#include <cwctype>

namespace mirafold::move {
namespace {

bool startsWithIgnoringCase(std::wstring_view text, std::wstring_view start) {
  return text.size() >= start.size() &&
         std::equal(start.begin(), start.end(), text.begin(),
                    [](wchar_t a, wchar_t b) { return std::towupper(a) == std::towupper(b); });
}

bool isFat(std::wstring_view fileSystem) { return startsWithIgnoringCase(fileSystem, L"FAT"); }

}  // namespace

std::uint64_t timeStepOf(std::wstring_view fileSystem) {
  if (isFat(fileSystem)) return 2 * kTicksPerSecond;
  if (startsWithIgnoringCase(fileSystem, L"exFAT")) return kTicksPerSecond / 100;
  return 1;
}

bool keepsLinks(std::wstring_view fileSystem) {
  return !isFat(fileSystem) && !startsWithIgnoringCase(fileSystem, L"exFAT");
}

bool refusesFourGigabyteFiles(std::wstring_view fileSystem) { return isFat(fileSystem); }

std::uint64_t spaceTaken(std::uint64_t size, std::uint64_t clusterBytes) {
  if (clusterBytes <= 1) return size;
  return (size + clusterBytes - 1) / clusterBytes * clusterBytes;
}

bool sameTimeWithin(std::uint64_t original, std::uint64_t copy, std::uint64_t step) {
  const std::uint64_t apart = original > copy ? original - copy : copy - original;
  return apart < std::max<std::uint64_t>(step, 1);
}

}  // namespace mirafold::move
