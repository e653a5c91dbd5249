// Whatever a volume answers, the name query reads nothing past the bytes it offered and closes
// the handle it opened.

#include <algorithm>
#include <cstdlib>

#include "platform/nt_volume.h"
#include "volume/file_system_name.h"

using namespace mirafold;

namespace {

class AnswerOfBytes : public platform::NtVolume {
 public:
  AnswerOfBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  platform::NtStatus createFile(const platform::NtOpenArguments&,
                                platform::NtHandle& handle) override {
    if (size_ > 0 && data_[0] == 0xFF) return -1;
    handle = 7;
    ++opened;
    return 0;
  }
  platform::NtStatus queryVolumeInformation(platform::NtHandle, std::span<std::uint8_t> buffer,
                                            std::uint32_t length, int) override {
    if (length > buffer.size()) std::abort();
    std::copy_n(data_, std::min<std::size_t>(length, size_), buffer.begin());
    return size_ > length ? 1 : 0;
  }
  void close(platform::NtHandle) override { ++closed; }
  int opened = 0;
  int closed = 0;

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  AnswerOfBytes nt(data, size);
  const auto [name, status] = volume::GetFileSystemName(nt, L"c:\\");
  if (name.size() > 34 || nt.opened != nt.closed) std::abort();
  if (!name.empty() && status != 0) std::abort();
  return 0;
}
