#pragma once
// Which programs run, and which of them have given files open: what a move asks before it starts
// and again when a step is refused for a file in use. It only asks; it never ends a program.

#include <cstdint>
#include <string>
#include <vector>

namespace mirafold::platform {

// A process as the system lists it.
struct RunningProcess {
  enum class Query {
    Answered,  // `image` is its program file
    Denied,    // another user's or a protected process: its image may not be asked for
    Ended,     // listed, and gone before it could be asked
  };
  std::uint32_t id = 0;
  Query query = Query::Answered;
  std::wstring image;  // plain absolute path ("C:\x\steam.exe"); empty unless Answered
};

// A process the Restart Manager names as having one of the files open.
struct FileUser {
  std::uint32_t id = 0;
  std::wstring appName;      // the name the system shows for it ("Steam", a service's display name)
  std::wstring serviceName;  // a service's short name; empty for a program
};

struct FileUsers {
  enum class Answer {
    Answered,
    NoSession,   // no Restart Manager session could be started (none left, or no such service)
    Incomplete,  // the list kept growing while it was read: `users` is what was read
    Failed,      // a file could not be registered, or the list not read
  };
  Answer answer = Answer::Answered;
  std::vector<FileUser> users;
};

class RunningPrograms {
 public:
  virtual ~RunningPrograms() = default;
  // Every process running now.
  virtual std::vector<RunningProcess> processes() = 0;
  // The processes that have any of `files` open, by the Restart Manager.
  virtual FileUsers usersOf(const std::vector<std::wstring>& files) = 0;
};

}  // namespace mirafold::platform
