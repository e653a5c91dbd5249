#include <gtest/gtest.h>

#include <map>
#include <thread>
#include <vector>

#include "move/move_progress.h"
#include "platform/clock.h"

namespace mirafold::move {
namespace {

using namespace std::chrono_literals;

class ManualClock final : public platform::Clock {
 public:
  std::chrono::steady_clock::time_point now() const override { return now_; }
  void advance(std::chrono::microseconds by) { now_ += by; }
  void waitUntil(std::chrono::steady_clock::time_point time) const override {
    if (now_ < time) now_ = time;
  }

 private:
  mutable std::chrono::steady_clock::time_point now_{};
};

// Reports offered every `gap` for 3 s: how many pass in each whole second.
std::map<long, int> passedPerSecond(std::chrono::microseconds gap) {
  ManualClock clock;
  std::map<long, int> perSecond;
  ProgressThrottle throttle(clock, [&](const MoveProgress&) {
    ++perSecond[static_cast<long>(
        std::chrono::duration_cast<std::chrono::seconds>(clock.now().time_since_epoch()).count())];
  });
  for (auto t = 0us; t < 3s; t += gap) {
    throttle.report({});
    clock.advance(gap);
  }
  return perSecond;
}

TEST(ProgressThrottle, FromFourToThirtyASecondWhateverTheCopyOffers) {
  for (const auto gap : {1us, 100us, 1000us, 10000us, 33000us, 34000us, 100000us, 250000us}) {
    SCOPED_TRACE(gap.count());
    for (const auto& [second, passed] : passedPerSecond(gap)) {
      EXPECT_LE(passed, 30) << "second " << second;
      EXPECT_GE(passed, 4) << "second " << second;
    }
  }
}

TEST(ProgressThrottle, FirstAndLastAlwaysPassTheLastNoSoonerThanItsGap) {
  ManualClock clock;
  std::vector<std::uint64_t> passed;
  std::vector<std::chrono::steady_clock::time_point> at;
  ProgressThrottle throttle(clock, [&](const MoveProgress& p) {
    passed.push_back(p.bytesDone);
    at.push_back(clock.now());
  });
  throttle.report({1, 10, 0, 1, L"a"});
  clock.advance(5ms);
  throttle.report({2, 10, 0, 1, L"a"});  // too soon
  throttle.reportNow({10, 10, 1, 1, {}});
  EXPECT_EQ(passed, (std::vector<std::uint64_t>{1, 10}));
  ASSERT_EQ(at.size(), 2u);
  EXPECT_GE(at[1] - at[0], ProgressThrottle::kMinimumGap) << "never two within 1/30 s";
}

TEST(CancelFlag, SetFromAnotherThreadIsSeen) {
  CancelFlag flag;
  EXPECT_FALSE(flag.requested());
  std::thread([&] { flag.request(); }).join();
  EXPECT_TRUE(flag.requested());
}

}  // namespace
}  // namespace mirafold::move
