#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/little_endian.h"
#include "base/long_path.h"
#include "base/path_rules.h"
#include "base/text.h"
#include "base/unique_resource.h"

namespace mirafold::base {
namespace {

// What the owners closed, in order.
std::vector<int> closed;

struct CountingPolicy {
  using type = int;
  static type invalid() { return 0; }
  static void close(type value) { closed.push_back(value); }
};

// Both -1 and 0 mean none, as Win32 file and native calls each say it.
struct TwoNonesPolicy {
  using type = int;
  static type invalid() { return -1; }
  static bool valid(type value) { return value != -1 && value != 0; }
  static void close(type value) { closed.push_back(value); }
};

struct LoggingPolicy {
  using type = int;
  static type invalid() { return 0; }
  void close(type value) { log->push_back(value); }
  std::vector<int>* log = nullptr;
};

TEST(UniqueResourceTest, ClosesWhatItHoldsOnceOnEveryPath) {
  closed.clear();
  {
    UniqueResource<CountingPolicy> a(7);
    UniqueResource<CountingPolicy> b(std::move(a));
    EXPECT_FALSE(a);
    UniqueResource<CountingPolicy> c(9);
    c = std::move(b);  // 9 goes, 7 moves in
    EXPECT_EQ(closed, std::vector<int>{9});
    *c.put() = 11;  // 7 goes before the slot is handed out
    EXPECT_EQ(closed, (std::vector<int>{9, 7}));
    EXPECT_EQ(c.get(), 11);
    const int kept = c.release();
    EXPECT_EQ(kept, 11);
    UniqueResource<CountingPolicy> none;
    none.reset(3);
  }
  EXPECT_EQ(closed, (std::vector<int>{9, 7, 3})) << "a released value is the caller's";
}

TEST(UniqueResourceTest, APolicyDecidesWhatCountsAsNoneAndMayCarryItsCloser) {
  closed.clear();
  { const UniqueResource<TwoNonesPolicy> zero(0), minusOne(-1), five(5); }
  EXPECT_EQ(closed, std::vector<int>{5});

  std::vector<int> log;
  {
    UniqueResource<LoggingPolicy> first(4, LoggingPolicy{.log = &log});
    UniqueResource<LoggingPolicy> second = std::move(first);
  }
  EXPECT_EQ(log, std::vector<int>{4}) << "the closer moves with the value";
}

TEST(TextTest, Utf8AndUtf16) {
  struct Row {
    std::wstring text;
    std::string utf8;
  };
  const Row rows[] = {
      {L"", ""},
      {L"junction.exe", "junction.exe"},
      {L"链接", "\xE9\x93\xBE\xE6\x8E\xA5"},
      {L"é", "\xC3\xA9"},
      {fromUtf16(u"\U0001F600"), "\xF0\x9F\x98\x80"},
      {fromUtf16(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD"},  // a lone half
  };
  for (const Row& row : rows) {
    EXPECT_EQ(toUtf8(row.text), row.utf8);
    EXPECT_EQ(fromUtf8(row.utf8), row.text == fromUtf16(u"\xD800") ? L"\xFFFD" : row.text);
  }
  // What no encoder writes reads as U+FFFD, one for each byte that starts nothing whole.
  EXPECT_EQ(fromUtf8("a\xFF"
                     "b"),
            L"a\xFFFD"
            L"b");
  EXPECT_EQ(fromUtf8("\xE9\x93"), L"\xFFFD\xFFFD");            // cut short
  EXPECT_EQ(fromUtf8("\xC0\xAF"), L"\xFFFD\xFFFD");            // overlong "/"
  EXPECT_EQ(fromUtf8("\xED\xA0\x80"), L"\xFFFD\xFFFD\xFFFD");  // an encoded surrogate half
  const std::u16string pair = u"a\U0001F600b";
  EXPECT_EQ(toUtf16(fromUtf16(pair)), pair);
}

TEST(LongPathTest, OnlyLongDriveAndSharePathsTakeTheVerbatimForm) {
  const std::wstring deep = L"C:\\" + std::wstring(300, L'd');
  const std::wstring deepShare = L"\\\\server\\share\\" + std::wstring(300, L's');
  struct Row {
    std::wstring in;
    std::wstring out;
  };
  const Row rows[] = {
      {L"C:\\short", L"C:\\short"},
      {deep, L"\\\\?\\" + deep},
      {L"C:/" + std::wstring(300, L'd') + L"/x", L"\\\\?\\C:\\" + std::wstring(300, L'd') + L"\\x"},
      {deepShare, L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L's')},
      {L"\\\\?\\" + deep, L"\\\\?\\" + deep},
      {L"\\\\.\\" + std::wstring(300, L'p'), L"\\\\.\\" + std::wstring(300, L'p')},
      {std::wstring(300, L'r'), std::wstring(300, L'r')},  // relative: left to the system
  };
  for (const Row& row : rows) EXPECT_EQ(withLongPathPrefix(row.in), row.out) << row.in.size();
  for (const Row& row : rows) {
    const bool plain = row.in.find(L'/') == std::wstring::npos && !row.in.starts_with(L"\\\\?\\") &&
                       !row.in.starts_with(L"\\\\.\\");
    if (plain) {
      EXPECT_EQ(withoutLongPathPrefix(toLongPath(row.in)), row.in) << row.in.size();
    }
  }
}

// The system resolves only what fits the classic limit; the rest is resolved by its rules here.
TEST(LongPathTest, AbsolutePathsPastTheClassicLimitNeverReachTheSystem) {
  const std::wstring d(250, L'd');
  std::vector<std::wstring> asked;
  const SystemFullPath system = [&asked](const std::wstring& text) -> std::wstring {
    asked.push_back(text);
    if (text == L".") return L"C:\\cur";
    if (text == L"d:") return L"D:\\on d";
    return L"sys:" + text;
  };
  struct Row {
    std::wstring in;
    std::wstring out;
  };
  const Row rows[] = {
      {L"short\\x", L"sys:short\\x"},
      {L"\\\\?\\C:\\" + d + L"\\..", L"sys:\\\\?\\C:\\" + d + L"\\.."},
      {L"C:\\a\\" + d + L"\\..\\.\\b", L"C:\\a\\b"},
      {L"C:/x//" + d + L"/y. . ", L"C:\\x\\" + d + L"\\y"},
      {L"C:\\" + d + L"\\", L"C:\\" + d + L"\\"},
      {L"C:\\..\\..\\" + d, L"C:\\" + d},
      {L"\\\\server\\share\\" + d + L"\\..\\z", L"\\\\server\\share\\z"},
      {d + L"\\x", L"C:\\cur\\" + d + L"\\x"},
      {L"\\" + d, L"C:\\" + d},
      {L"d:" + d, L"D:\\on d\\" + d},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(absolutePathOf(row.in, system), row.out) << row.in.size();
  }
  for (const std::wstring& text : asked) {
    EXPECT_TRUE(text.size() < 260 || text.starts_with(L"\\\\?\\")) << text.size();
  }
  EXPECT_EQ(absolutePathOf(L"", system), L"");
  EXPECT_EQ(absolutePathOf(std::wstring(L"C:\\x\0y", 6), system), L"");
}

TEST(PathRulesTest, RootsDriveRootsAndPatterns) {
  struct Row {
    const wchar_t* path;
    std::size_t root;
    bool driveRoot;
    bool wildcard;
  };
  const Row rows[] = {
      {L"C:\\", 3, true, false},
      {L"c:/", 3, true, false},
      {L"C:\\Games", 3, false, false},
      {L"\\\\?\\C:\\", 7, true, false},
      {L"\\\\?\\UNC\\srv\\share\\x", 17, false, false},
      {L"\\\\srv\\share\\x", 11, false, false},
      {L"\\\\srv", 0, false, false},
      {L"relative", 0, false, false},
      {L"C:", 0, true, false},
      {L"C:\\*.exe", 3, false, true},
      {L"C:\\a?b", 3, false, true},
      {L"C:\\a<b", 3, false, true},
      {L"\\\\?\\C:\\plain", 7, false, false},  // the verbatim prefix's '?' is no pattern
  };
  for (const Row& row : rows) {
    EXPECT_EQ(rootLength(row.path), row.root) << row.path;
    EXPECT_EQ(isDriveRoot(row.path), row.driveRoot) << row.path;
    EXPECT_EQ(hasWildcard(row.path), row.wildcard) << row.path;
  }
}

TEST(PathRulesTest, PartsAndComparisons) {
  EXPECT_EQ(parentOf(L"C:\\Games\\Game"), L"C:\\Games");
  EXPECT_EQ(parentOf(L"C:\\Games\\"), L"C:\\");
  EXPECT_EQ(parentOf(L"C:\\"), L"");
  EXPECT_EQ(nameOf(L"C:\\Games\\Game\\"), L"Game");
  EXPECT_EQ(nameOf(L"C:\\"), L"");
  EXPECT_EQ(withoutTrailingSeparator(L"C:\\a\\\\"), L"C:\\a");
  EXPECT_EQ(withoutTrailingSeparator(L"C:\\\\"), L"C:\\");
  EXPECT_EQ(joinPath(L"C:\\", L"x"), L"C:\\x");
  EXPECT_EQ(joinPath(L"C:\\a", L"x"), L"C:\\a\\x");
  EXPECT_TRUE(samePath(L"c:/games/GAME/", L"C:\\Games\\Game"));
  EXPECT_FALSE(samePath(L"C:\\Games\\Gam", L"C:\\Games\\Game"));
  EXPECT_TRUE(isSameOrInside(L"C:\\a\\b", L"C:\\"));
  EXPECT_TRUE(isSameOrInside(L"c:\\A", L"C:\\a\\"));
  EXPECT_FALSE(isSameOrInside(L"C:\\ab", L"C:\\a"));
}

TEST(TextTest, BlanksFilledInOrder) {
  EXPECT_EQ(fillIn(L"%1 → %2。", {L"C:\\A", L"D:\\B\\A"}), L"C:\\A → D:\\B\\A。");
  EXPECT_EQ(fillIn(L"%2 %1 %3", {L"a", L"b"}), L"b a %3");
  EXPECT_EQ(fillIn(L"100%", {L"x"}), L"100%");
}

TEST(TextTest, SizesAsExplorerShowsThem) {
  const std::pair<std::uint64_t, const wchar_t*> rows[] = {
      {0, L"0 B"},
      {1023, L"1023 B"},
      {1024, L"1.0 KB"},
      {1536, L"1.5 KB"},
      {1024 * 1024 - 1, L"1.0 MB"},
      {300ull * 1024 * 1024, L"300.0 MB"},
      {5ull * 1024 * 1024 * 1024 + 200ull * 1024 * 1024, L"5.2 GB"},
      {3ull << 40, L"3.0 TB"},
  };
  for (const auto& [bytes, text] : rows) EXPECT_EQ(formatSize(bytes), text) << bytes;
}

TEST(LittleEndianTest, ReadsWhatItWrites) {
  std::vector<std::uint8_t> bytes;
  appendLe32(bytes, 0xA0000003u);
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x03, 0x00, 0x00, 0xA0}));
  EXPECT_EQ(readLe32(bytes, 0), 0xA0000003u);
  writeLe16(bytes, 1, 0xBEEF);
  EXPECT_EQ(readLe16(bytes, 1), 0xBEEF);
  EXPECT_EQ(bytes[1], 0xEF);
}

TEST(IsInsideFolderTest, OnlyWhatLiesBelowTheFolderIsInside) {
  struct Row {
    const wchar_t* path;
    const wchar_t* folder;
    bool inside;
  };
  const Row rows[] = {
      {L"C:\\Data\\Saves\\Saves", L"C:\\Data\\Saves", true},
      {L"C:\\Data\\Saves\\a\\b", L"C:\\Data\\Saves", true},
      {L"c:\\DATA\\saves\\x", L"C:\\Data\\Saves", true},
      {L"C:\\Data\\Saves\\x", L"C:\\Data\\Saves\\", true},
      {L"\\\\server\\share\\x\\y", L"\\\\server\\share\\x", true},
      {L"C:\\Data\\Saves", L"C:\\Data\\Saves", false},        // the same folder
      {L"C:\\Data\\SavesOld\\x", L"C:\\Data\\Saves", false},  // a sibling sharing a prefix
      {L"C:\\Data", L"C:\\Data\\Saves", false},
      {L"D:\\Data\\Saves\\x", L"C:\\Data\\Saves", false},
      {L"C:\\Data\\Saves\\", L"C:\\Data\\Saves", false},  // nothing after the separator
      {L"C:\\x", L"", false},
      {L"C:\\a\\b", L"C:\\", true},                    // below a drive root
      {L"c:/data/saves/x", L"C:\\Data\\Saves", true},  // either separator
  };
  for (const Row& row : rows) {
    EXPECT_EQ(isInsideFolder(row.path, row.folder), row.inside) << row.path << " in " << row.folder;
  }
}

}  // namespace
}  // namespace mirafold::base
