// Shortcut bytes read back field by field, by the published layout rather than by our writer's
// code.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sendto/shell_link.h"

namespace mirafold {
namespace {

using Bytes = std::vector<std::uint8_t>;

class Reader {
 public:
  explicit Reader(const Bytes& bytes) : b_(bytes) {}
  std::uint32_t u16(std::size_t at) const { return b_.at(at) | b_.at(at + 1) << 8; }
  std::uint32_t u32(std::size_t at) const { return u16(at) | u16(at + 2) << 16; }
  std::string ansiz(std::size_t at) const {
    std::string s;
    while (b_.at(at) != 0) s.push_back(static_cast<char>(b_.at(at++)));
    return s;
  }
  // count UTF-16 units, or up to a NUL unit when count is npos; decoded to code points.
  std::wstring utf16(std::size_t at, std::size_t count = std::wstring::npos) const {
    std::wstring s;
    for (std::size_t i = 0; i < count; ++i) {
      std::uint32_t unit = u16(at + 2 * i);
      if (count == std::wstring::npos && unit == 0) break;
      if (unit >= 0xD800 && unit < 0xDC00 && sizeof(wchar_t) == 4) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (u16(at + 2 * ++i) - 0xDC00);
      }
      s.push_back(static_cast<wchar_t>(unit));
    }
    return s;
  }

 private:
  const Bytes& b_;
};

struct Row {
  const char* what;
  const wchar_t* target;
  const char* ansi;
  const wchar_t* icon;
  std::uint32_t driveType;
  std::uint32_t serial;
};

// clang-format off
const Row kRows[] = {
  {"plain",          L"D:\\Tools\\mirafold.exe",           "D:\\Tools\\mirafold.exe",     L"D:\\Tools\\mirafold.exe",           3, 0x1234ABCD},
  {"chinese",        L"C:\\Users\\张三\\下载\\mirafold.exe", "C:\\Users\\??\\??\\mirafold.exe", L"C:\\Users\\张三\\下载\\mirafold.exe", 3, 0},
  {"gbk ansi",       L"C:\\工具\\mirafold.exe",             "C:\\\xB9\xA4\xBE\xDF\\mirafold.exe", L"C:\\工具\\mirafold.exe",       2, 7},
  {"drive root",     L"E:\\\\mirafold.exe",                "E:\\\\mirafold.exe",          L"E:\\\\mirafold.exe",                2, 0xFFFFFFFF},
  {"beyond the BMP", L"C:\\\U0001F600\\m.exe",             "C:\\?\\m.exe",                L"C:\\\U0001F600\\m.exe",             0, 0},
  {"icon elsewhere", L"D:\\a b\\mirafold.exe",             "D:\\a b\\mirafold.exe",       L"C:\\Windows\\icons.dll",            3, 1},
};
// clang-format on

TEST(ShellLinkTest, FieldsReadBackByTheFormat) {
  const std::uint8_t clsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.what);
    const auto bytes =
        sendto::shellLinkBytes({row.target, row.ansi, row.icon, row.driveType, row.serial});
    ASSERT_TRUE(bytes);
    const Reader r(*bytes);

    // Header.
    ASSERT_GE(bytes->size(), 0x4Cu);
    EXPECT_EQ(r.u32(0), 0x4Cu);
    EXPECT_TRUE(std::equal(clsid, clsid + 16, bytes->begin() + 4));
    const std::uint32_t flags = r.u32(20);
    EXPECT_EQ(flags, 0x02u | 0x40u | 0x80u) << "link info, icon location, Unicode; nothing else";
    EXPECT_EQ(r.u32(56), 0u) << "icon index";
    EXPECT_EQ(r.u32(60), 1u) << "shown normally";
    EXPECT_EQ(r.u16(64), 0u) << "no hot key";

    // Link info: the target as a local base path.
    const std::size_t info = 0x4C;
    const std::uint32_t infoSize = r.u32(info);
    EXPECT_EQ(r.u32(info + 4), 0x24u) << "header with the Unicode offsets";
    EXPECT_EQ(r.u32(info + 8), 1u) << "volume ID and local base path";
    EXPECT_EQ(r.u32(info + 20), 0u) << "no network link";
    const std::size_t volume = info + r.u32(info + 12);
    const std::uint32_t volumeSize = r.u32(volume);
    EXPECT_GT(volumeSize, 0x10u);
    EXPECT_EQ(r.u32(volume + 4), row.driveType);
    EXPECT_EQ(r.u32(volume + 8), row.serial);
    EXPECT_EQ(r.ansiz(volume + r.u32(volume + 12)), "") << "volume label";
    EXPECT_EQ(r.ansiz(info + r.u32(info + 16)), row.ansi);
    EXPECT_EQ(r.ansiz(info + r.u32(info + 24)), "") << "common path suffix";
    EXPECT_EQ(r.utf16(info + r.u32(info + 28)), row.target);
    EXPECT_EQ(r.utf16(info + r.u32(info + 32)), L"") << "Unicode common path suffix";
    for (std::size_t field = 12; field <= 32; field += 4) {
      EXPECT_LT(r.u32(info + field), infoSize) << "offset at " << field;
    }

    // String data: the icon location only, counted in UTF-16 units.
    const std::size_t icon = info + infoSize;
    const std::uint32_t units = r.u16(icon);
    EXPECT_EQ(r.utf16(icon + 2, units), row.icon);

    // Extra data: the terminal block ends the file.
    const std::size_t end = icon + 2 + 2 * units;
    ASSERT_EQ(bytes->size(), end + 4);
    EXPECT_EQ(r.u32(end), 0u);
  }
}

TEST(ShellLinkTest, PathsThatCannotBeStoredAreRefused) {
  const std::wstring good = L"D:\\Tools\\mirafold.exe";
  const std::wstring withNul(L"D:\\a\0b.exe", 10);
  const std::wstring huge(70000, L'a');
  struct Case {
    const char* what;
    sendto::ShellLink link;
  };
  const Case cases[] = {
      {"empty target", {L"", "x", good}},
      {"NUL in the target", {withNul, "x", good}},
      {"NUL in the ANSI target", {good, std::string("a\0b", 3), good}},
      {"icon too long to count", {good, "x", huge}},
      {"target too long", {huge, "x", good}},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(sendto::shellLinkBytes(c.link)) << c.what;
  }
  EXPECT_TRUE(sendto::shellLinkBytes({good, "x", std::wstring(0xFFFF, L'a')}))
      << "the longest countable icon location";
}

}  // namespace
}  // namespace mirafold
