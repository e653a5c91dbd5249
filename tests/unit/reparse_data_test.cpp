#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/reparse_data.h"

namespace mirafold::base {
namespace {

std::size_t get16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::size_t>(b[at] | (b[at + 1] << 8));
}

TEST(MountPointData, HasTheLayoutTheSystemReads) {
  const auto bytes = buildMountPointData({L"\\??\\C:\\t", L"C:\\t"});
  ASSERT_TRUE(bytes);
  const std::vector<std::uint8_t> expected = {
      0x03, 0x00, 0x00, 0xA0,  // IO_REPARSE_TAG_MOUNT_POINT
      36,   0,                 // data length: 8 bytes of fields + 28 of names with their NULs
      0,    0,                 // reserved
      0,    0,    16,   0,     // substitute name at 0, 16 bytes without its NUL
      18,   0,    8,    0,     // print name after the substitute name's NUL, 8 bytes
      '\\', 0,    '?',  0,    '?', 0, '\\', 0, 'C',  0, ':', 0, '\\', 0,
      't',  0,    0,    0,    'C', 0, ':',  0, '\\', 0, 't', 0, 0,    0};
  EXPECT_EQ(*bytes, expected);
}

TEST(MountPointData, CountsUtf16UnitsForChineseAndSupplementaryCharacters) {
  // U+1F600 takes two UTF-16 units; the lengths are in bytes of UTF-16.
  const std::wstring target = L"C:\\目标 folder\\\U0001F600";
  const auto bytes = buildMountPointData({L"\\??\\" + target, target});
  ASSERT_TRUE(bytes);
  const std::size_t printBytes = (target.size() + (sizeof(wchar_t) > 2 ? 1 : 0)) * 2;
  EXPECT_EQ(get16(*bytes, 10), printBytes + 8);  // the substitute name has "\??\" more
  EXPECT_EQ(get16(*bytes, 12), printBytes + 8 + 2);
  EXPECT_EQ(get16(*bytes, 14), printBytes);
  EXPECT_EQ(get16(*bytes, 4), 8 + (printBytes + 8 + 2) + (printBytes + 2));
  EXPECT_EQ(bytes->size(), 8 + get16(*bytes, 4));
  // Both names end in a NUL unit.
  EXPECT_EQ(get16(*bytes, 16 + printBytes + 8), 0u);
  EXPECT_EQ(get16(*bytes, bytes->size() - 2), 0u);
  // U+76EE, the first character of the folder name, little-endian.
  EXPECT_EQ(get16(*bytes, 16 + printBytes + 10 + 6), 0x76EEu);

  const auto parsed = parseMountPointData(*bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->substituteName, L"\\??\\" + target);
  EXPECT_EQ(parsed->printName, target);
}

TEST(MountPointData, FillsTheSystemLimitAndNoMore) {
  // 16 bytes of header and fields, names of p and p + 4 units with two NULs: 28 + 4p bytes.
  const std::wstring longest = L"C:\\" + std::wstring(4089 - 3, L'x');
  const auto fits = buildMountPointData({L"\\??\\" + longest, longest});
  ASSERT_TRUE(fits);
  EXPECT_EQ(fits->size(), kMaximumReparseDataSize);
  const std::wstring tooLong = longest + L"x";
  EXPECT_FALSE(buildMountPointData({L"\\??\\" + tooLong, tooLong}));
}

struct Damage {
  const char* what;
  std::function<void(std::vector<std::uint8_t>&)> apply;
};

class DamagedMountPointData : public testing::TestWithParam<Damage> {};

TEST_P(DamagedMountPointData, IsNotReadAsAJunction) {
  auto bytes = *buildMountPointData({L"\\??\\C:\\target", L"C:\\target"});
  GetParam().apply(bytes);
  EXPECT_FALSE(parseMountPointData(bytes)) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    EveryDamage, DamagedMountPointData,
    testing::Values(Damage{"symbolic-link tag", [](auto& b) { b[0] = 0x0C; }},
                    Damage{"cut short", [](auto& b) { b.resize(b.size() - 1); }},
                    Damage{"header only", [](auto& b) { b.resize(12); }},
                    Damage{"data length past the end",
                           [](auto& b) { b[4] = static_cast<std::uint8_t>(b[4] + 2); }},
                    Damage{"print name past the data",
                           [](auto& b) { b[14] = static_cast<std::uint8_t>(b[14] + 4); }},
                    Damage{"substitute offset past the data", [](auto& b) { b[9] = 0x40; }},
                    Damage{"odd offset",
                           [](auto& b) { b[12] = static_cast<std::uint8_t>(b[12] + 1); }}));

TEST(MountPointData, ReadsAnEmptyPrintNameAsEmpty) {
  // Other tools write junctions this way; the reader then falls back on the substitute name.
  const auto bytes = buildMountPointData({L"\\??\\D:\\x", L""});
  ASSERT_TRUE(bytes);
  const auto parsed = parseMountPointData(*bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->substituteName, L"\\??\\D:\\x");
  EXPECT_EQ(parsed->printName, L"");
}

// A relative link (to ".x") as mklink writes one: the text as given in both names, the flag set.
TEST(SymbolicLinkData, ReadsARelativeLinkAsStored) {
  std::vector<std::uint8_t> bytes = {
      0x0C, 0x00, 0x00, 0xA0,  // IO_REPARSE_TAG_SYMLINK
      20,   0,    0,    0,     // data length: 12 bytes of fields + 8 of names; reserved
      0,    0,    4,    0,     // substitute name at 0, 4 bytes
      4,    0,    4,    0,     // print name at 4, 4 bytes
      1,    0,    0,    0,     // SYMLINK_FLAG_RELATIVE
      '.',  0,    'x',  0,    '.', 0, 'x', 0};
  auto parsed = parseSymbolicLinkData(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->substituteName, L".x");
  EXPECT_EQ(parsed->printName, L".x");
  EXPECT_TRUE(parsed->relative);
  bytes[16] = 0;
  EXPECT_FALSE(parseSymbolicLinkData(bytes)->relative);
  EXPECT_FALSE(parseMountPointData(bytes)) << "another tag";
  bytes[4] = 40;
  EXPECT_FALSE(parseSymbolicLinkData(bytes)) << "longer than the bytes";
}

// A link remade to lead where a relative one led: absolute, so its flags word stays clear.
TEST(SymbolicLinkData, IsBuiltAsTheSystemReadsIt) {
  for (const bool relative : {false, true}) {
    const auto bytes = buildSymbolicLinkData({L"\\??\\D:\\数据", L"D:\\数据", relative});
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 8u + 12u + (18u + 2u) + (10u + 2u));
    EXPECT_EQ((*bytes)[16], relative ? 1 : 0);
    const auto parsed = parseSymbolicLinkData(*bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->substituteName, L"\\??\\D:\\数据");
    EXPECT_EQ(parsed->printName, L"D:\\数据");
    EXPECT_EQ(parsed->relative, relative);
  }
}

TEST(SubstituteName, RoundTripsDriveAndSharePaths) {
  EXPECT_EQ(substituteNameFor(L"C:\\t"), L"\\??\\C:\\t");
  EXPECT_EQ(pathFromSubstituteName(L"\\??\\C:\\t"), L"C:\\t");
  EXPECT_EQ(pathFromSubstituteName(L"\\??\\UNC\\srv\\share"), L"\\\\srv\\share");
  EXPECT_EQ(pathFromSubstituteName(L"\\??\\Volume{1}\\"), L"Volume{1}\\");
  EXPECT_EQ(pathFromSubstituteName(L"relative"), L"relative");
}

}  // namespace
}  // namespace mirafold::base
