#pragma once
// A private two-way byte channel between the program's window and the helper it starts with
// administrator rights: made by the window, under a name nobody can guess, for its own user only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace mirafold::platform {

// One connected end. send() and receive() may run at once on two threads; interrupt() from any.
class MessagePipe {
 public:
  virtual ~MessagePipe() = default;
  // Whole or not at all; false when the other end has gone.
  virtual bool send(std::string_view bytes) = 0;
  // Waits for the next bytes (appended); false when the other end has gone or interrupt() ran.
  virtual bool receive(std::string& bytes) = 0;
  // Makes a waiting receive(), and every later one, return false.
  virtual void interrupt() = 0;
};

// The window's end before the helper has connected.
class PipeListener {
 public:
  virtual ~PipeListener() = default;
  virtual std::wstring name() const = 0;     // handed to the helper
  virtual std::uint32_t server() const = 0;  // this process, handed to the helper with the name
  // Waits for the process `client` to connect, asking `keepWaiting` a few times a second; null
  // once it says no. Another process that connects first is sent away unheard.
  virtual std::unique_ptr<MessagePipe> accept(std::uint32_t client,
                                              const std::function<bool()>& keepWaiting) = 0;
};

class Pipes {
 public:
  virtual ~Pipes() = default;
  // A new pipe with a random name; null when it could not be made, with the system's error.
  virtual std::unique_ptr<PipeListener> listen(std::uint32_t& error) = 0;
  // The helper's end; null when there is no such pipe, it may not be opened, or the process
  // serving it is not `server`.
  virtual std::unique_ptr<MessagePipe> connect(const std::wstring& name, std::uint32_t server) = 0;
};

}  // namespace mirafold::platform
