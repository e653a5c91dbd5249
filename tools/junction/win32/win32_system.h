#pragma once
// The tool's system operations on Windows, and under Wine with host links in place of junctions.

#include "host_shell.h"
#include "junction/system.h"

namespace junction::win32 {

class Win32System : public System {
 public:
  // `wine` is non-null under Wine: its host links inside the prefix's drive_c are then recognised,
  // and made when `hostLinks`.
  Win32System(const HostShell* wine, bool hostLinks) : wine_(wine), hostLinks_(hostLinks) {}

  Status fullPath(const std::wstring& path, std::wstring& absolute) override;
  Entry inspect(const std::wstring& path) override;
  Status listFolder(const std::wstring& path, std::vector<Child>& children) override;
  DriveDevice driveDevice(wchar_t letter) override;

  Status createFolder(const std::wstring& path, std::unique_ptr<NewFolder>& made) override;
  Status openLink(const std::wstring& path, LinkAccess access,
                  std::unique_ptr<OpenLink>& opened) override;
  Status resolvedPath(const std::wstring& path, std::wstring& resolved) override;

  bool makesHostLinks() const override { return hostLinks_; }
  Status makeHostLink(const std::wstring& link, const std::wstring& target) override;
  Status removeHostLink(const std::wstring& link) override;
  Status replaceHostLink(const std::wstring& link, const std::wstring& target) override;

 private:
  // Under Wine: fails unless the folder holding `link` lies, with every host link on the way
  // followed, inside the prefix's drive_c. Sets the host path of that drive.
  Status insidePrefixDrive(const std::wstring& link, std::wstring& hostDrive) const;
  // That check, then the host paths of the link and its target.
  Status hostPathsOf(const std::wstring& link, const std::wstring& target, std::wstring& hostDrive,
                     std::wstring& hostLink, std::wstring& hostTarget) const;

  const HostShell* wine_;
  bool hostLinks_;
};

}  // namespace junction::win32
