#include "fakes/fake_pipes.h"

#include <chrono>

namespace mirafold::fakes {

struct PipePair {
  std::mutex lock;
  std::condition_variable changed;
  std::deque<std::string> toward[2];  // [n]: what end n receives
  bool gone[2] = {false, false};
  bool interrupted[2] = {false, false};
  // What each end has received so far, and how often it has come back for more: once it asks
  // again after a word, it has acted on it.
  std::string received[2];
  int asked[2] = {0, 0};
  int askedAtLastDelivery[2] = {0, 0};
  // The end's n-th send (from 1) waits until it has acted on `word`; 0 for never.
  int sent[2] = {0, 0};
  int holdAt[2] = {0, 0};
  std::string holdUntil;

  bool actedOn(int side, std::string_view word) const {
    return received[side].find(word) != std::string::npos &&
           asked[side] > askedAtLastDelivery[side];
  }
};

FakePipeEnd::~FakePipeEnd() {
  const std::lock_guard hold(pair_->lock);
  pair_->gone[side_] = true;
  pair_->changed.notify_all();
}

bool FakePipeEnd::send(std::string_view bytes) {
  std::unique_lock hold(pair_->lock);
  if (++pair_->sent[side_] == pair_->holdAt[side_]) {
    pair_->changed.wait_for(hold, std::chrono::seconds(10), [&] {
      return pair_->actedOn(side_, pair_->holdUntil) || pair_->gone[1 - side_];
    });
  }
  if (pair_->gone[1 - side_]) return false;
  pair_->toward[1 - side_].emplace_back(bytes);
  pair_->changed.notify_all();
  return true;
}

bool FakePipeEnd::receive(std::string& bytes) {
  std::unique_lock hold(pair_->lock);
  ++pair_->asked[side_];
  pair_->changed.notify_all();
  pair_->changed.wait(hold, [&] {
    return !pair_->toward[side_].empty() || pair_->gone[1 - side_] || pair_->interrupted[side_];
  });
  if (pair_->interrupted[side_] || pair_->toward[side_].empty()) return false;
  bytes += pair_->toward[side_].front();
  pair_->received[side_] += pair_->toward[side_].front();
  pair_->askedAtLastDelivery[side_] = pair_->asked[side_];
  pair_->toward[side_].pop_front();
  return true;
}

void FakePipeEnd::interrupt() {
  const std::lock_guard hold(pair_->lock);
  pair_->interrupted[side_] = true;
  pair_->changed.notify_all();
}

std::pair<std::unique_ptr<FakePipeEnd>, std::unique_ptr<FakePipeEnd>> pipePair(
    int holdHelperAt, std::string holdHelperUntil) {
  auto pair = std::make_shared<PipePair>();
  pair->holdAt[1] = holdHelperAt;
  pair->holdUntil = std::move(holdHelperUntil);
  return {std::make_unique<FakePipeEnd>(pair, 0), std::make_unique<FakePipeEnd>(pair, 1)};
}

class FakeListener final : public platform::PipeListener {
 public:
  explicit FakeListener(FakePipes& pipes) : pipes_(pipes) {}
  std::wstring name() const override { return L"\\\\.\\pipe\\fake"; }
  std::uint32_t server() const override { return pipes_.windowProcess; }
  std::unique_ptr<platform::MessagePipe> accept(std::uint32_t client,
                                                const std::function<bool()>& keepWaiting) override {
    std::unique_lock hold(pipes_.lock_);
    for (;;) {
      while (pipes_.waiting_.empty()) {
        if (!keepWaiting()) return nullptr;
        pipes_.changed_.wait_for(hold, std::chrono::milliseconds(10));
      }
      auto [process, end] = std::move(pipes_.waiting_.front());
      pipes_.waiting_.pop_front();
      if (process == client) return std::move(end);
    }
  }

 private:
  FakePipes& pipes_;
};

std::unique_ptr<platform::PipeListener> FakePipes::listen(std::uint32_t& error) {
  ++listened;
  if (!canListen) {
    error = 231;  // ERROR_PIPE_BUSY
    return nullptr;
  }
  return std::make_unique<FakeListener>(*this);
}

std::unique_ptr<platform::MessagePipe> FakePipes::connect(const std::wstring&,
                                                          std::uint32_t server) {
  if (server != windowProcess) return nullptr;
  auto [window, helper] = pipePair(holdHelperAt, holdHelperUntil);
  const std::lock_guard hold(lock_);
  if (impostorFirst) {
    // Its own end is dropped at once: what the window would send it is heard by nobody.
    waiting_.emplace_back(1, pipePair().first);
  }
  waiting_.emplace_back(helperProcess, std::move(window));
  changed_.notify_all();
  return std::move(helper);
}

}  // namespace mirafold::fakes
