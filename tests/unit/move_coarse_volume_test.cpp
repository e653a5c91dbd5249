// A move to a drive that keeps times coarser than the source's: the copy check allows the
// coarser of what the file system's name says and what the probe found, and no more.

#include <gtest/gtest.h>

#include "fakes/fake_move_file_system.h"
#include "move/folder_mover.h"
#include "move/move_planning.h"
#include "platform/clock.h"

namespace mirafold::move {
namespace {

using fakes::FakeMoveFileSystem;

TEST(MoveToCoarseVolume, TimesComparedInTheDestinationsStep) {
  constexpr std::uint64_t kSecond = 10'000'000;
  const struct {
    const char* name;
    FakeMoveFileSystem::Volume volume;
    const wchar_t* failure;  // none: the move ends whole
  } cases[] = {
      {"exFAT as Wine shows it: called NTFS, the probe finds seconds",
       {false, 1u << 30, L"NTFS", 4096, kSecond, 0},
       nullptr},
      {"FAT32 that rounds where the probe looks for a cut",
       {false, 1u << 30, L"FAT32", 4096, 2 * kSecond, 1},
       nullptr},
      {"coarser than both say",
       {false, 1u << 30, L"NTFS", 1, 100, 1},
       L"移动失败：复制的文件与原文件不一致：C:\\Games\\Game\\sub\\level.bin。未做任何更改"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeMoveFileSystem fs;
    fs.addVolume(L'C');
    fs.addVolume(L'D', c.volume);
    fs.addFolder(L"D:\\Store");
    fs.addFile(L"C:\\Games\\Game\\sub\\level.bin", L"0123456789");
    const PlannedMove planned = planMoveAway(fs, L"C:\\Games\\Game", L"D:\\Store", {{}, L"NTFS"});
    ASSERT_FALSE(planned.refusal);
    const platform::SteadyClock clock;
    const CancelFlag cancel;
    FolderMover mover({fs, clock, cancel, nullptr, L"C:\\Journals"});
    const MoveResult result = mover.run(planned.plan);
    if (c.failure) {
      EXPECT_EQ(endMessage(planned.plan, result), c.failure);
      EXPECT_EQ(fs.find(L"C:\\Games\\Game\\sub\\level.bin")->content, L"0123456789");
    } else {
      EXPECT_EQ(result.outcome, MoveOutcome::Done)
          << std::string(result.reason.begin(), result.reason.end());
      EXPECT_EQ(fs.find(L"D:\\Store\\Game\\sub\\level.bin")->content, L"0123456789");
    }
  }
}

}  // namespace
}  // namespace mirafold::move
