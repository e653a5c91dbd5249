#include "base/allocated_ranges.h"

#include <algorithm>

namespace mirafold::base {

std::uint32_t collectRanges(std::uint64_t size,
                            const std::function<RangePage(std::uint64_t from)>& ask,
                            std::vector<ByteRange>& ranges) {
  ranges.clear();
  for (std::uint64_t from = 0; from < size;) {
    const RangePage page = ask(from);
    if (page.unknown && ranges.empty()) {
      ranges.push_back({0, size});
      return 0;
    }
    if (page.error) return page.error;
    std::uint64_t reached = from;
    for (const ByteRange& range : page.ranges) {
      // A file grown meanwhile: what lies past the length being copied is not copied.
      const std::uint64_t end = std::min(range.offset + range.length, size);
      if (range.offset >= end) continue;
      ranges.push_back({range.offset, end - range.offset});
      reached = std::max(reached, end);
    }
    // A page that says "more" and gets no further would be asked for ever.
    if (!page.more || reached <= from) break;
    from = reached;
  }
  return 0;
}

}  // namespace mirafold::base
