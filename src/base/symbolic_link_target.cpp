#include "base/symbolic_link_target.h"

#include <string_view>

namespace mirafold::base {

std::wstring symbolicLinkTargetForSystem(const SymbolicLink& link) {
  constexpr std::wstring_view kNtPrefix = L"\\??\\";
  if (link.relative || !link.substituteName.starts_with(kNtPrefix)) return link.substituteName;
  return L"\\\\?\\" + link.substituteName.substr(kNtPrefix.size());
}

}  // namespace mirafold::base
