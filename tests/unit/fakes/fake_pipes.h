#pragma once
// Pipes in memory: a listener whose accept() hands out the window's end of a pair once the test
// has connected the helper's end, and pairs whose ends see each other go.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "platform/message_pipe.h"

namespace mirafold::fakes {

// What both ends of one pair share: a queue each way, and who has gone.
struct PipePair;

class FakePipeEnd final : public platform::MessagePipe {
 public:
  FakePipeEnd(std::shared_ptr<PipePair> pair, int side) : pair_(std::move(pair)), side_(side) {}
  ~FakePipeEnd() override;
  bool send(std::string_view bytes) override;
  bool receive(std::string& bytes) override;
  void interrupt() override;

 private:
  std::shared_ptr<PipePair> pair_;
  int side_;
};

// Two connected ends: the window's, the helper's. The helper's n-th send (from 1) waits until it
// has received `holdHelperUntil` and come back for more, having acted on it, or until the
// window's end has gone: a window's word, or its going, while the move runs.
std::pair<std::unique_ptr<FakePipeEnd>, std::unique_ptr<FakePipeEnd>> pipePair(
    int holdHelperAt = 0, std::string holdHelperUntil = {});

class FakePipes final : public platform::Pipes {
 public:
  std::unique_ptr<platform::PipeListener> listen(std::uint32_t& error) override;
  // The helper's end of the pipe last listened on; the window's end is accepted then.
  // Null unless `server` is the window's process.
  std::unique_ptr<platform::MessagePipe> connect(const std::wstring& name,
                                                 std::uint32_t server) override;

  bool canListen = true;
  // For the pairs connected from now on, as pipePair() takes them.
  int holdHelperAt = 0;
  std::string holdHelperUntil;
  int listened = 0;
  std::uint32_t helperProcess = 4242;  // the connecting process, as FakeProcesses starts it
  std::uint32_t windowProcess = 4241;  // the listening one
  bool impostorFirst = false;          // another process of the user connects before it

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  // The window's ends, with the process on the other side, until accepted.
  std::deque<std::pair<std::uint32_t, std::unique_ptr<FakePipeEnd>>> waiting_;
  friend class FakeListener;
};

}  // namespace mirafold::fakes
