#include "base/allocated_ranges.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace mirafold::base {
namespace {

constexpr std::uint32_t kDenied = 5;  // any error of the system

struct RangesCase {
  const char* rule;
  std::uint64_t size;
  std::vector<RangePage> pages;  // the file system's answers, in turn
  std::vector<std::uint64_t> askedFrom;
  std::vector<ByteRange> ranges;
  std::uint32_t error = 0;
};

// clang-format off
const RangesCase kCases[] = {
  {"one page holds them all", 100, {{{{0, 10}, {50, 10}}}}, {0}, {{0, 10}, {50, 10}}},
  {"a full page is followed by the next, from its last range's end", 100,
   {{{{0, 10}, {20, 10}}, true}, {{{40, 10}}}}, {0, 30}, {{0, 10}, {20, 10}, {40, 10}}},
  {"a file system that cannot tell: the whole file", 100, {{{}, false, true}}, {0}, {{0, 100}}},
  {"an error is the answer", 100, {{{{0, 10}}, true}, {{}, false, false, kDenied}}, {0, 10}, {},
   kDenied},
  {"a file grown meanwhile: nothing past the length copied", 100,
   {{{{90, 30}, {150, 10}}}}, {0}, {{90, 10}}},
  {"a full page that gets no further is not asked again", 100, {{{{0, 0}}, true}}, {0}, {}},
  {"an empty file asks nothing", 0, {}, {}, {}},
};
// clang-format on

TEST(AllocatedRanges, AreCollectedPageByPage) {
  for (const RangesCase& c : kCases) {
    std::vector<std::uint64_t> asked;
    std::vector<ByteRange> ranges;
    const std::uint32_t error = collectRanges(
        c.size,
        [&](std::uint64_t from) {
          asked.push_back(from);
          return asked.size() <= c.pages.size() ? c.pages[asked.size() - 1] : RangePage{};
        },
        ranges);
    EXPECT_EQ(error, c.error) << c.rule;
    EXPECT_EQ(asked, c.askedFrom) << c.rule;
    if (!c.error) {
      EXPECT_EQ(ranges, c.ranges) << c.rule;
    }
  }
}

}  // namespace
}  // namespace mirafold::base
