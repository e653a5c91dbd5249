#pragma once
// The parts of a sparse file that hold data, asked of the file system page by page
// (FSCTL_QUERY_ALLOCATED_RANGES answers as many as fit and says whether more follow).

#include <cstdint>
#include <functional>
#include <vector>

namespace mirafold::base {

struct ByteRange {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  bool operator==(const ByteRange&) const = default;
};

// One answer of the file system, for the ranges from a given offset on.
struct RangePage {
  std::vector<ByteRange> ranges;  // in order
  bool more = false;              // the page was full: ask again after its last range
  bool unknown = false;           // the file system cannot tell (not sparse-aware)
  std::uint32_t error = 0;        // the system's error, 0 for none
};

// Every range of the file's `size` bytes that may hold data, in order, none past the end; the
// whole file where the file system cannot tell. 0, or the error a page gave.
std::uint32_t collectRanges(std::uint64_t size,
                            const std::function<RangePage(std::uint64_t from)>& ask,
                            std::vector<ByteRange>& ranges);

}  // namespace mirafold::base
