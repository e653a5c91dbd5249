#pragma once
// A file time as the user reads it: local time, to the minute ("2026-12-08 21:05").

#include <cstdint>
#include <string>

namespace mirafold::win32 {

std::wstring localTimeText(std::uint64_t ticks);

}  // namespace mirafold::win32
