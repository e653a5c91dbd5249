#pragma once
// Who holds a folder in place: the running programs whose program file lies inside it, and what
// the Restart Manager says of those files and of a file a step found held. Named for the user,
// who closes them; the program never ends another itself.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/running_programs.h"

namespace mirafold::move {

struct Holder {
  std::uint32_t id = 0;
  std::wstring name;     // the system's friendly name, else the program file's name
  std::wstring file;     // the program file's name ("steam.exe"); empty when it may not be asked
  std::wstring service;  // a service's short name; empty for a program
  bool operator==(const Holder&) const = default;
};

// The holders of `folder`, in name order; `heldFile` is a file a step found open (may be empty).
std::vector<Holder> holdersOf(platform::RunningPrograms& programs, const std::wstring& folder,
                              const std::wstring& heldFile);

// "以下程序正在使用此文件夹，请先关闭它们：" and a line per holder, then the held file when one is
// known; nothing when no holder could be named.
std::optional<std::wstring> holdersText(const std::vector<Holder>& holders,
                                        const std::wstring& heldFile);

}  // namespace mirafold::move
