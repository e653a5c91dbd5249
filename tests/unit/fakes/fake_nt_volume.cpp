#include "fakes/fake_nt_volume.h"

#include <algorithm>

#include "base/little_endian.h"
#include "fakes/fake_system.h"

namespace mirafold::fakes {
namespace {
void put32(std::vector<std::uint8_t>& b, std::uint32_t v) { base::appendLe32(b, v); }
}  // namespace

std::vector<std::uint8_t> attributeRecord(const std::u16string& name, std::uint32_t lengthField) {
  std::vector<std::uint8_t> r;
  put32(r, 0x00E700FF);  // attributes
  put32(r, 255);         // maximum component length
  put32(r, lengthField);
  for (char16_t c : name) r.insert(r.end(), {std::uint8_t(c & 0xFF), std::uint8_t(c >> 8)});
  return r;
}

std::vector<std::uint8_t> attributeRecord(const std::u16string& name) {
  return attributeRecord(name, static_cast<std::uint32_t>(name.size() * 2));
}

FakeNtVolume::FakeNtVolume() {
  setName(L"c:", u"NTFS");
  setName(L"d:", u"NTFS");
  setName(L"e:", u"NTFS");
}

void FakeNtVolume::setVolume(const std::wstring& drive, FakeVolume volume) {
  // Opened by its root folder: "c:" is reached as "\??\c:\".
  const std::wstring root = drive.ends_with(L'\\') ? drive : drive + L'\\';
  volumes_[lowered(L"\\??\\" + root)] = std::move(volume);
}

void FakeNtVolume::setName(const std::wstring& drive, const std::u16string& name) {
  setVolume(drive, {.record = attributeRecord(name)});
}

platform::NtStatus FakeNtVolume::createFile(const platform::NtOpenArguments& arguments,
                                            platform::NtHandle& handle) {
  opens.push_back(arguments);
  const auto it = volumes_.find(lowered(arguments.ntPath));
  if (it == volumes_.end()) return kNameNotFound;
  if (it->second.openStatus != 0) return it->second.openStatus;
  handle = ++next_;
  open_[handle] = it->first;
  return 0;
}

platform::NtStatus FakeNtVolume::queryVolumeInformation(platform::NtHandle handle,
                                                        std::span<std::uint8_t> buffer,
                                                        std::uint32_t length,
                                                        int informationClass) {
  offeredLengths.push_back(length);
  informationClasses.push_back(informationClass);
  lastBufferSize = buffer.size();
  const FakeVolume& volume = volumes_.at(open_.at(handle));
  if (volume.queryStatus != 0) return volume.queryStatus;
  const std::size_t n = std::min<std::size_t>(length, volume.record.size());
  std::copy_n(volume.record.begin(), n, buffer.begin());
  return volume.record.size() > length ? kBufferOverflow : 0;
}

void FakeNtVolume::close(platform::NtHandle handle) {
  closed.push_back(handle);
  open_.erase(handle);
}

}  // namespace mirafold::fakes
