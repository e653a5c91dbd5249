// The finishing pool's waits: progress told while they last, and a cancel that abandons the
// flushes not yet begun instead of waiting for them.

#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>

#include "platform/win32/system/flush_pool.h"

namespace mirafold::win32 {
namespace {

using platform::MoveStatus;

// A finishing as long as a slow flush, telling whether it was abandoned when it would flush.
FlushPool::Finishing slow(int& sawAbandoned) {
  return [&sawAbandoned](const std::atomic_bool& abandoned) {
    ::Sleep(200);
    sawAbandoned = abandoned ? 1 : 0;
    return MoveStatus::success();
  };
}

TEST(FlushPoolTest, WaitsTellProgressAndACancelAbandonsWhatIsInFlight) {
  FlushPool pool(1);
  int first = -1, second = -1, third = -1, later = -1;
  int asked = 0;
  const auto goOn = [&] { return ++asked, true; };
  ASSERT_TRUE(pool.hand(slow(first), goOn).ok());
  // The only worker busy: the hand-over waits, asking as it goes.
  ASSERT_TRUE(pool.hand(slow(second), goOn).ok());
  EXPECT_GE(asked, 2) << "no progress told while the hand-over waited";
  const DWORD before = ::GetTickCount();
  EXPECT_EQ(pool.hand(slow(third), [] { return false; }).code, MoveStatus::Code::Cancelled);
  EXPECT_LT(::GetTickCount() - before, 150u) << "the cancel waited for a flush";
  EXPECT_EQ(pool.settle(goOn).code, MoveStatus::Code::Cancelled);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1) << "flushed a copy the cancel abandoned";
  EXPECT_EQ(third, -1) << "ran a finishing the cancel dropped";
  // The next move's copies flush again, and a settle tells success.
  ASSERT_TRUE(pool.hand(slow(later), goOn).ok());
  EXPECT_TRUE(pool.settle(goOn).ok());
  EXPECT_EQ(later, 0);
}

}  // namespace
}  // namespace mirafold::win32
