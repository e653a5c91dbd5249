#include "platform/win32/system/win32_pipes.h"

#include <windows.h>
#include <ntsecapi.h>
#include <sddl.h>

#include <algorithm>
#include <array>
#include <mutex>

#include "base/win32/handles.h"

namespace mirafold::win32 {
namespace {

using base::win32::UniqueFileHandle;
using base::win32::UniqueKernelHandle;

constexpr DWORD kBufferSize = 64 * 1024;
constexpr std::size_t kNameDigits = 32;  // 128 random bits

UniqueKernelHandle newEvent() {
  return UniqueKernelHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

// 128 random bits from the system's generator, in hex.
std::wstring randomName() {
  std::array<unsigned char, kNameDigits / 2> bytes{};
  if (!::RtlGenRandom(bytes.data(), static_cast<ULONG>(bytes.size()))) return {};
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring name = kHelperPipePrefix;
  for (const unsigned char b : bytes) {
    name += kDigits[b >> 4];
    name += kDigits[b & 0xF];
  }
  return name;
}

// "D:P(A;;GRGW;;;<the user>)(A;;GRGW;;;BA)": the user's processes and elevated administrators;
// a filtered administrator token holds BA for deny only, so unelevated programs are not let in.
std::wstring pipeSecurity() {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
  const UniqueKernelHandle token(raw);
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> user(size);
  if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) {
    return {};
  }
  base::win32::UniqueLocalMemory<PWSTR> sid;
  if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, sid.put())) {
    return {};
  }
  return L"D:P(A;;GRGW;;;" + std::wstring(sid.get()) + L")(A;;GRGW;;;BA)";
}

class Win32Pipe final : public platform::MessagePipe {
 public:
  explicit Win32Pipe(UniqueFileHandle pipe)
      : pipe_(std::move(pipe)), interrupted_(newEvent()), readDone_(newEvent()) {}

  bool send(std::string_view bytes) override {
    const std::lock_guard hold(sending_);
    const UniqueKernelHandle done = newEvent();
    if (!done) return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = done.get();
    DWORD written = 0;
    if (!::WriteFile(pipe_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), nullptr,
                     &overlapped) &&
        ::GetLastError() != ERROR_IO_PENDING) {
      return false;
    }
    return ::GetOverlappedResult(pipe_.get(), &overlapped, &written, TRUE) &&
           written == bytes.size();
  }

  bool receive(std::string& bytes) override {
    if (!readDone_ || ::WaitForSingleObject(interrupted_.get(), 0) == WAIT_OBJECT_0) return false;
    std::array<char, 4096> buffer{};
    OVERLAPPED overlapped{};
    overlapped.hEvent = readDone_.get();
    ::ResetEvent(readDone_.get());
    DWORD got = 0;
    if (!::ReadFile(pipe_.get(), buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                    &overlapped)) {
      if (::GetLastError() != ERROR_IO_PENDING) return false;
      const std::array<HANDLE, 2> waits{readDone_.get(), interrupted_.get()};
      if (::WaitForMultipleObjects(2, waits.data(), FALSE, INFINITE) != WAIT_OBJECT_0) {
        ::CancelIoEx(pipe_.get(), &overlapped);
        ::GetOverlappedResult(pipe_.get(), &overlapped, &got, TRUE);
        return false;
      }
    }
    if (!::GetOverlappedResult(pipe_.get(), &overlapped, &got, TRUE)) return false;
    bytes.append(buffer.data(), got);
    return true;
  }

  void interrupt() override { ::SetEvent(interrupted_.get()); }

 private:
  UniqueFileHandle pipe_;
  UniqueKernelHandle interrupted_;
  UniqueKernelHandle readDone_;
  std::mutex sending_;
};

class Win32PipeListener final : public platform::PipeListener {
 public:
  Win32PipeListener(std::wstring name, UniqueFileHandle pipe)
      : name_(std::move(name)), pipe_(std::move(pipe)) {}

  std::wstring name() const override { return name_; }
  std::uint32_t server() const override { return ::GetCurrentProcessId(); }

  std::unique_ptr<platform::MessagePipe> accept(std::uint32_t client,
                                                const std::function<bool()>& keepWaiting) override {
    if (!pipe_) return nullptr;
    for (;;) {
      if (!connect(keepWaiting)) return nullptr;
      // Whoever else found the name (the same user may open the pipe) is not listened to.
      ULONG connectedProcess = 0;
      if (::GetNamedPipeClientProcessId(pipe_.get(), &connectedProcess) &&
          connectedProcess == client) {
        return std::make_unique<Win32Pipe>(std::move(pipe_));
      }
      ::DisconnectNamedPipe(pipe_.get());
    }
  }

 private:
  // Waits for a client; false when `keepWaiting` said no or the pipe failed.
  bool connect(const std::function<bool()>& keepWaiting) {
    const UniqueKernelHandle connected = newEvent();
    if (!connected) return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = connected.get();
    if (::ConnectNamedPipe(pipe_.get(), &overlapped)) return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_PIPE_CONNECTED) return true;
    if (error != ERROR_IO_PENDING) return false;
    DWORD ignored = 0;
    while (::WaitForSingleObject(connected.get(), 100) == WAIT_TIMEOUT) {
      if (keepWaiting()) continue;
      ::CancelIoEx(pipe_.get(), &overlapped);
      ::GetOverlappedResult(pipe_.get(), &overlapped, &ignored, TRUE);
      return false;
    }
    return ::GetOverlappedResult(pipe_.get(), &overlapped, &ignored, TRUE) != 0;
  }

 public:
 private:
  std::wstring name_;
  UniqueFileHandle pipe_;
};

}  // namespace

std::unique_ptr<platform::PipeListener> Win32Pipes::listen(std::uint32_t& error) {
  const std::wstring name = randomName();
  const std::wstring security = pipeSecurity();
  base::win32::UniqueLocalMemory<PSECURITY_DESCRIPTOR> descriptor;
  if (name.empty() || security.empty() ||
      !::ConvertStringSecurityDescriptorToSecurityDescriptorW(security.c_str(), SDDL_REVISION_1,
                                                              descriptor.put(), nullptr)) {
    error = ::GetLastError();
    return nullptr;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
  // The first instance of its name, or none: nobody made it before us to listen in.
  UniqueFileHandle pipe(::CreateNamedPipeW(
      name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, kBufferSize,
      kBufferSize, 0, &attributes));
  if (!pipe) {
    error = ::GetLastError();
    return nullptr;
  }
  return std::make_unique<Win32PipeListener>(name, std::move(pipe));
}

bool isHelperPipeName(std::wstring_view name) {
  const std::wstring_view prefix = kHelperPipePrefix;
  if (!name.starts_with(prefix) || name.size() != prefix.size() + kNameDigits) return false;
  return std::all_of(
      name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), [](wchar_t c) {
        return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
      });
}

namespace {

std::wstring imageOf(HANDLE process) {
  std::wstring image(32768, L'\0');
  DWORD size = static_cast<DWORD>(image.size());
  if (!::QueryFullProcessImageNameW(process, 0, image.data(), &size)) return {};
  image.resize(size);
  return image;
}

// The process serving the pipe runs this very program file: another program of the user that
// started the helper with a pipe of its own is not the window.
bool servedByThisProgram(ULONG server) {
  const UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, server));
  const std::wstring theirs = process ? imageOf(process.get()) : std::wstring();
  return !theirs.empty() &&
         ::CompareStringOrdinal(theirs.c_str(), -1, imageOf(::GetCurrentProcess()).c_str(), -1,
                                TRUE) == CSTR_EQUAL;
}

}  // namespace

std::unique_ptr<platform::MessagePipe> Win32Pipes::connect(const std::wstring& name,
                                                           std::uint32_t server) {
  if (!isHelperPipeName(name)) {
    ::SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  // Identification only: whoever made the pipe learns who we are and cannot act as us.
  UniqueFileHandle pipe(::CreateFileW(
      name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
      FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
  if (!pipe) return nullptr;
  // Another process of the user that made a pipe of this name first is not the window.
  ULONG serving = 0;
  if (!::GetNamedPipeServerProcessId(pipe.get(), &serving) || serving != server ||
      !servedByThisProgram(serving)) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return std::make_unique<Win32Pipe>(std::move(pipe));
}

}  // namespace mirafold::win32
