#include "platform/version_resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace mirafold::platform {
namespace {

void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// VS_VERSIONINFO as the resource compiler lays it out: a 6-byte header, the key
// "VS_VERSION_INFO" in UTF-16 with its NUL, padding to 32 bits, then the fixed record.
std::vector<std::uint8_t> versionBlock(std::uint32_t ms, std::uint32_t ls) {
  std::vector<std::uint8_t> b = {0x5c, 0x03, 0x34, 0x00, 0x00, 0x00};
  for (char c : std::string("VS_VERSION_INFO")) b.insert(b.end(), {std::uint8_t(c), 0});
  b.insert(b.end(), {0, 0});
  while (b.size() % 4) b.push_back(0);
  put32(b, 0xFEEF04BD);
  put32(b, 0x00010000);
  put32(b, ms);
  put32(b, ls);
  for (int i = 0; i < 9; ++i) put32(b, 0);
  return b;
}

TEST(FileVersionOfTest, ReadsAllFourNumbers) {
  const auto block = versionBlock(0x00010004, 0x00000034);
  const auto v = fileVersionOf(block);
  ASSERT_TRUE(v);
  EXPECT_EQ(v->major, 1);
  EXPECT_EQ(v->minor, 4);
  EXPECT_EQ(v->build, 0);
  EXPECT_EQ(v->revision, 52);
}

TEST(FileVersionOfTest, RevisionUsesTheWholeSixteenBits) {
  const auto v = fileVersionOf(versionBlock(0x00010004, 0x0002FFFF));
  ASSERT_TRUE(v);
  EXPECT_EQ(v->build, 2);
  EXPECT_EQ(v->revision, 65535);
}

TEST(FileVersionOfTest, FailsWithoutARecord) {
  auto block = versionBlock(0x00010004, 52);
  EXPECT_FALSE(fileVersionOf(std::span(block).first(50)));  // cut inside the record
  block[40] = 0;                                            // signature broken
  EXPECT_FALSE(fileVersionOf(block));
  EXPECT_FALSE(fileVersionOf({}));
}

}  // namespace
}  // namespace mirafold::platform
