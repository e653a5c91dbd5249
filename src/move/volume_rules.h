#pragma once
// What a destination's file system can hold, from the name the system gives it.

#include <cstdint>
#include <string_view>

namespace mirafold::move {

// One second in the 100 ns units Windows keeps times in.
inline constexpr std::uint64_t kTicksPerSecond = 10'000'000;

// The step in which the file system keeps a last-write time (1: exactly): FAT 2 s, exFAT 10 ms.
std::uint64_t timeStepOf(std::wstring_view fileSystem);

// FAT and exFAT hold no reparse points: no junction, no symbolic link.
bool keepsLinks(std::wstring_view fileSystem);

// FAT's sizes are 32 bits: 4 GiB less one byte is its largest file.
bool refusesFourGigabyteFiles(std::wstring_view fileSystem);
inline constexpr std::uint64_t kFourGigabytes = 1ull << 32;

// The space a file of `size` bytes takes: whole clusters.
std::uint64_t spaceTaken(std::uint64_t size, std::uint64_t clusterBytes);

// Two last-write times the same within `step`: a copy's time is its original's cut to the step.
bool sameTimeWithin(std::uint64_t original, std::uint64_t copy, std::uint64_t step);

}  // namespace mirafold::move
