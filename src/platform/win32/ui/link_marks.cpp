#include "platform/win32/ui/link_marks.h"

#include <system_error>
#include <utility>

namespace mirafold::win32 {

LinkMarks::LinkMarks(std::unique_ptr<platform::LinkProbe> probe, HWND window, UINT message)
    : probe_(std::move(probe)), window_(window), message_(message) {}

LinkMarks::~LinkMarks() {
  {
    const std::lock_guard hold(lock_);
    stopping_ = true;
  }
  wake_.notify_one();
  if (worker_.joinable()) worker_.join();
}

void LinkMarks::probe(platform::LinksToProbe links) {
  {
    const std::lock_guard hold(lock_);
    ++generation_;
    answers_.clear();
    told_ = false;
    // Nothing to probe still stops the probing of the folder before.
    next_ = std::move(links);
  }
  // Made at the first link, so that a list that never shows one never makes a thread. Without
  // one, the links keep the mark of a whole link.
  if (!worker_.joinable() && !next_->rows.empty()) {
    try {
      worker_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
    }
  }
  wake_.notify_one();
}

std::vector<LinkMarks::Answer> LinkMarks::take() {
  const std::lock_guard hold(lock_);
  told_ = false;
  return std::exchange(answers_, {});
}

void LinkMarks::run() {
  for (;;) {
    platform::LinksToProbe links;
    std::uint64_t generation = 0;
    {
      std::unique_lock hold(lock_);
      wake_.wait(hold, [this] { return stopping_ || next_; });
      if (stopping_) return;
      links = std::move(*next_);
      next_.reset();
      generation = generation_;
    }
    try {
      platform::probeLinks(*probe_, links, [&](std::size_t row, bool broken) {
        const std::lock_guard hold(lock_);
        if (stopping_ || generation != generation_) return false;
        answers_.push_back({row, broken});
        // One message for all the answers that gather before the window takes them.
        if (!told_) told_ = ::PostMessageW(window_, message_, 0, 0) != 0;
        return true;
      });
    } catch (...) {
      // Rows left unanswered keep the mark of a whole link; nothing may end the program here.
    }
  }
}

}  // namespace mirafold::win32
