#include <gtest/gtest.h>

#include <functional>

#include "move/move_checks.h"
#include "move/move_journal.h"
#include "move/move_paths.h"
#include "move/volume_rules.h"

namespace mirafold::move {
namespace {

MoveFacts movable() {
  MoveFacts facts;
  facts.source = L"C:\\Games\\Game";
  facts.destinationFolder = L"D:\\Store";
  facts.systemFolders = {L"C:\\Windows",     L"C:\\Program Files", L"C:\\Program Files (x86)",
                         L"C:\\ProgramData", L"C:\\Users",         L"C:\\Users\\me"};
  facts.bytesNeeded = 2048;
  facts.bytesFree = 1 << 20;
  facts.linkVolumeFileSystem = L"NTFS";
  return facts;
}

struct CheckRow {
  const char* name;
  std::function<void(MoveFacts&)> change;
  const wchar_t* refusal;  // none: the move may go
};

const CheckRow kCheckRows[] = {
    {"movable", [](MoveFacts&) {}, nullptr},
    {"source is a link", [](MoveFacts& f) { f.sourceIsLink = true; }, L"该文件夹本身就是链接"},
    {"a place that stays, in the words that say why",
     [](MoveFacts& f) { f.source = L"c:\\WINDOWS\\System32\\"; },
     L"此文件夹属于 Windows 系统，移动后系统可能无法启动或更新：c:\\WINDOWS\\System32"},
    {"nor is one put into such a place",
     [](MoveFacts& f) { f.destinationFolder = L"C:\\Windows\\System32"; },
     L"此文件夹属于 Windows 系统，移动后系统可能无法启动或更新：C:\\Windows\\System32\\Game"},
    {"a folder inside a profile may move", [](MoveFacts& f) { f.source = L"C:\\Users\\me\\Games"; },
     nullptr},
    {"destination is the source", [](MoveFacts& f) { f.destinationFolder = L"C:\\Games\\Game"; },
     L"目标位置不可位于要移动的文件夹之内"},
    {"destination inside the source",
     [](MoveFacts& f) { f.destinationFolder = L"c:\\games\\game\\sub"; },
     L"目标位置不可位于要移动的文件夹之内"},
    {"a sibling with a longer name is not inside",
     [](MoveFacts& f) { f.destinationFolder = L"C:\\Games\\Game2"; }, nullptr},
    {"source's own parent (its name is taken there)",
     [](MoveFacts& f) {
       f.destinationFolder = L"C:\\Games";
       f.nameExistsAtDestination = true;
     },
     L"右侧文件夹中已存在同名文件夹"},
    {"not enough space", [](MoveFacts& f) { f.bytesFree = 1024; },
     L"目标分区空间不足：需要 2.0 KB，可用 1.0 KB"},
    {"exactly enough space", [](MoveFacts& f) { f.bytesFree = 2048; }, nullptr},
    {"a 4 GiB file to FAT32",
     [](MoveFacts& f) {
       f.destinationFileSystem = L"FAT32";
       f.largestFile = 1ull << 32;
       f.largestFilePath = L"C:\\Games\\Game\\disc.iso";
       f.bytesFree = 0;  // told before the space
     },
     L"目标分区为FAT32，不能存放4GB或更大的文件：C:\\Games\\Game\\disc.iso"},
    {"one byte less fits FAT32",
     [](MoveFacts& f) {
       f.destinationFileSystem = L"FAT32";
       f.largestFile = (1ull << 32) - 1;
     },
     nullptr},
    {"a 4 GiB file to exFAT",
     [](MoveFacts& f) {
       f.destinationFileSystem = L"exFAT";
       f.largestFile = 5ull << 32;
     },
     nullptr},
    {"a 4 GiB file renamed on a FAT32 drive",
     [](MoveFacts& f) {
       f.destinationFileSystem = L"FAT32";
       f.largestFile = 1ull << 32;
       f.sameVolume = true;
     },
     nullptr},
    {"a rename needs no space",
     [](MoveFacts& f) {
       f.bytesFree = 0;
       f.sameVolume = true;
     },
     nullptr},
    {"network drive", [](MoveFacts& f) { f.destinationIsNetwork = true; },
     L"链接目标不可位于网络位置"},
    {"UNC destination", [](MoveFacts& f) { f.destinationFolder = L"\\\\server\\share"; },
     L"链接目标不可位于网络位置"},
    {"link volume FAT32", [](MoveFacts& f) { f.linkVolumeFileSystem = L"FAT32"; },
     L"链接创建失败！链接所在分区的文件系统类型必须为NTFS"},
    {"link volume unreadable", [](MoveFacts& f) { f.linkVolumeFileSystem.clear(); },
     L"链接创建失败！链接所在分区的文件系统类型必须为NTFS"},
    {"a link is refused before anything else",
     [](MoveFacts& f) {
       f.sourceIsLink = true;
       f.nameExistsAtDestination = true;
       f.bytesFree = 0;
       f.linkVolumeFileSystem = L"FAT32";
     },
     L"该文件夹本身就是链接"},
    {"a clash is told before the space",
     [](MoveFacts& f) {
       f.nameExistsAtDestination = true;
       f.bytesFree = 0;
     },
     L"右侧文件夹中已存在同名文件夹"},
};

TEST(MoveChecks, EachRefusalWithItsMessage) {
  for (const CheckRow& row : kCheckRows) {
    SCOPED_TRACE(row.name);
    MoveFacts facts = movable();
    row.change(facts);
    const std::optional<std::wstring> refusal = refusalOf(facts);
    if (row.refusal) {
      EXPECT_EQ(refusal, std::wstring(row.refusal));
    } else {
      EXPECT_FALSE(refusal) << "refused";
    }
  }
}

TEST(VolumeRules, TimeStepsAndClusters) {
  const std::pair<const wchar_t*, std::uint64_t> steps[] = {
      {L"NTFS", 1},
      {L"ReFS", 1},
      {L"FAT", 20'000'000},
      {L"FAT32", 20'000'000},
      {L"fat32", 20'000'000},
      {L"exFAT", 100'000},
      {L"", 1},
  };
  for (const auto& [name, step] : steps) EXPECT_EQ(timeStepOf(name), step) << name;
  EXPECT_TRUE(sameTimeWithin(39'999'999, 20'000'000, 20'000'000));  // cut to the step
  EXPECT_FALSE(sameTimeWithin(40'000'000, 20'000'000, 20'000'000));
  EXPECT_TRUE(sameTimeWithin(7, 7, 1));
  EXPECT_FALSE(sameTimeWithin(7, 8, 1));
  EXPECT_EQ(spaceTaken(0, 4096), 0u);
  EXPECT_EQ(spaceTaken(1, 4096), 4096u);
  EXPECT_EQ(spaceTaken(4096, 4096), 4096u);
  EXPECT_EQ(spaceTaken(4097, 4096), 8192u);
  EXPECT_EQ(spaceTaken(4097, 1), 4097u);
}

TEST(MovePaths, HiddenSiblings) {
  EXPECT_EQ(movingPathOf(L"C:\\Games\\Game\\"), L"C:\\Games\\Game.mirafold-moving");
  EXPECT_EQ(partialPathOf(L"D:\\Store\\Game"), L"D:\\Store\\Game.mirafold-partial");
}

TEST(MovePaths, AFileOfTheHiddenSiblingIsNamedInsideTheOrigin) {
  const struct {
    const wchar_t* path;
    const wchar_t* origin;
    const wchar_t* shown;
  } cases[] = {
      {L"C:\\Games\\Game.mirafold-moving\\save.dat", L"C:\\Games\\Game",
       L"C:\\Games\\Game\\save.dat"},
      {L"c:\\games\\GAME.MIRAFOLD-MOVING\\a\\b.txt", L"C:\\Games\\Game\\",
       L"C:\\Games\\Game\\a\\b.txt"},
      {L"C:\\Games\\Game.mirafold-moving", L"C:\\Games\\Game", L"C:\\Games\\Game"},
      {L"C:\\Games\\Game.mirafold-movingX\\a", L"C:\\Games\\Game",
       L"C:\\Games\\Game.mirafold-movingX\\a"},
      {L"C:\\Games\\Other.mirafold-moving\\a", L"C:\\Games\\Game",
       L"C:\\Games\\Other.mirafold-moving\\a"},
      {L"D:\\Store\\Game.mirafold-partial\\a", L"C:\\Games\\Game",
       L"D:\\Store\\Game.mirafold-partial\\a"},
      {L"C:\\Games\\Game\\save.dat", L"C:\\Games\\Game", L"C:\\Games\\Game\\save.dat"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(asOriginPath(c.path, c.origin), c.shown) << c.path;
  }
}

TEST(MoveJournal, ReadsBackWhatItWrote) {
  for (const Phase phase : {Phase::Hide, Phase::Place, Phase::Finish, Phase::Link, Phase::Clean}) {
    const JournalEntry entry{{Direction::Back, L"D:\\存储\\Game=1", L"C:\\Games\\Game", true, 0x23},
                             phase};
    const std::optional<JournalEntry> read = parseJournal(journalText(entry));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->plan.direction, Direction::Back);
    EXPECT_EQ(read->plan.origin, entry.plan.origin);
    EXPECT_EQ(read->plan.final, entry.plan.final);
    EXPECT_TRUE(read->plan.sameVolume);
    EXPECT_EQ(read->plan.originAttributes, 0x23u);
    EXPECT_EQ(read->phase, phase);
  }
}

TEST(MoveJournal, AnythingCutShortOrStrangeIsNoJournal) {
  const std::wstring whole =
      journalText({{Direction::Away, L"C:\\A", L"D:\\A", false, 0}, Phase::Place});
  for (std::size_t length = 0; length < whole.size() - 1; ++length) {
    EXPECT_FALSE(parseJournal(whole.substr(0, length))) << length;
  }
  EXPECT_TRUE(parseJournal(whole));
  std::wstring strange = whole;
  strange.replace(strange.find(L"place"), 5, L"twirl");
  EXPECT_FALSE(parseJournal(strange));
  EXPECT_FALSE(parseJournal(L"mirafold-move 2\n" + whole.substr(whole.find(L'\n') + 1)));
}

}  // namespace
}  // namespace mirafold::move
