#pragma once
// The window's private pipe to its elevated helper on Win32: a named pipe with a random name,
// one instance, local clients only, whose DACL admits the user and elevated administrators
// (a helper elevated with another administrator's credentials runs as that user). Overlapped,
// so that the window's cancel can be written while its worker waits to read.

#include "platform/message_pipe.h"

namespace mirafold::win32 {

inline constexpr wchar_t kHelperPipePrefix[] = L"\\\\.\\pipe\\mirafold-move-";

// Exactly the prefix and the 32 hexadecimal digits of a name listen() makes: nothing that could
// lead to a file, to another host (which would learn who connects) or to another program's pipe.
bool isHelperPipeName(std::wstring_view name);

class Win32Pipes final : public platform::Pipes {
 public:
  std::unique_ptr<platform::PipeListener> listen(std::uint32_t& error) override;
  // Only a pipe of ours, by its name and the process serving it; as a client that may not be
  // impersonated.
  std::unique_ptr<platform::MessagePipe> connect(const std::wstring& name,
                                                 std::uint32_t server) override;
};

}  // namespace mirafold::win32
