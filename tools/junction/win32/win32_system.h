#pragma once
// The tool's system operations on Windows, and under Wine with host links in place of junctions.

#include "host_shell.h"
#include "junction/system.h"

namespace junction::win32 {

class Win32System : public System {
 public:
  // `wine` is non-null under Wine: its host links are then recognised, and made when `hostLinks`.
  Win32System(const HostShell* wine, bool hostLinks) : wine_(wine), hostLinks_(hostLinks) {}

  Status fullPath(const std::wstring& path, std::wstring& absolute) override;
  Entry inspect(const std::wstring& path) override;
  Status listFolder(const std::wstring& path, std::vector<Child>& children) override;

  Status createFolder(const std::wstring& path) override;
  Status removeEmptyFolder(const std::wstring& path) override;
  Status writeReparseData(const std::wstring& path,
                          const std::vector<std::uint8_t>& bytes) override;
  Status removeJunction(const std::wstring& path) override;

  bool makesHostLinks() const override { return hostLinks_; }
  Status makeHostLink(const std::wstring& link, const std::wstring& target) override;
  Status removeHostLink(const std::wstring& link) override;

 private:
  const HostShell* wine_;
  bool hostLinks_;
};

}  // namespace junction::win32
