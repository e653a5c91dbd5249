#include "platform/win32/system/entry_security.h"

#include <aclapi.h>

#include "base/win32/handles.h"
#include "platform/win32/system/copy_fidelity.h"
#include "platform/win32/system/durable_file.h"
#include "platform/win32/system/privileges.h"

namespace mirafold::win32 {
namespace {

using platform::MoveStatus;

constexpr SECURITY_INFORMATION kOwner = OWNER_SECURITY_INFORMATION;
constexpr SECURITY_INFORMATION kPermissions = DACL_SECURITY_INFORMATION;
constexpr SECURITY_INFORMATION kLabel = LABEL_SECURITY_INFORMATION;

// What the process token says of itself, read once: the owner it gives new files, and its user.
struct Identity {
  std::vector<std::uint8_t> owner;
  std::vector<std::uint8_t> user;
};

std::vector<std::uint8_t> tokenPart(HANDLE token, TOKEN_INFORMATION_CLASS part) {
  DWORD size = 0;
  ::GetTokenInformation(token, part, nullptr, 0, &size);
  std::vector<std::uint8_t> buffer(size);
  if (!size || !::GetTokenInformation(token, part, buffer.data(), size, &size)) buffer.clear();
  return buffer;
}

const Identity& identity() {
  static const Identity self = [] {
    Identity read;
    HANDLE opened = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) {
      const base::win32::UniqueKernelHandle token(opened);
      read.owner = tokenPart(token.get(), TokenOwner);
      read.user = tokenPart(token.get(), TokenUser);
    }
    return read;
  }();
  return self;
}

PSID ownOwner() {
  const auto& owner = identity().owner;
  return owner.empty() ? nullptr : reinterpret_cast<const TOKEN_OWNER*>(owner.data())->Owner;
}

PSID ownUser() {
  const auto& user = identity().user;
  return user.empty() ? nullptr : reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
}

// The list as the copy's own: what it inherited no longer marked inherited.
void keepAsOwn(const ACL* list, std::vector<std::uint8_t>& into) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(list);
  into.assign(bytes, bytes + list->AclSize);
  auto* copy = reinterpret_cast<PACL>(into.data());
  for (DWORD i = 0; i < copy->AceCount; ++i) {
    void* ace = nullptr;
    if (::GetAce(copy, i, &ace)) static_cast<ACE_HEADER*>(ace)->AceFlags &= ~INHERITED_ACE;
  }
}

}  // namespace

MoveStatus EntrySecurity::read(HANDLE original, const std::wstring& path, bool asRoot) {
  stored_.resize(1024);
  DWORD needed = 0;
  SECURITY_INFORMATION wanted = kOwner | kPermissions | kLabel;
  while (!::GetKernelObjectSecurity(original, wanted, stored_.data(),
                                    static_cast<DWORD>(stored_.size()), &needed)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_INSUFFICIENT_BUFFER && needed > stored_.size()) {
      stored_.resize(needed);
    } else if (wanted & kLabel) {
      // A system that keeps no labels says so with an error of its own.
      wanted &= ~kLabel;
    } else {
      return statusOf(error, path);
    }
  }
  PACL dacl = nullptr, sacl = nullptr;
  BOOL daclPresent = FALSE, saclPresent = FALSE, defaulted = FALSE;
  if (!::GetSecurityDescriptorOwner(stored_.data(), &owner_, &defaulted) ||
      !::GetSecurityDescriptorDacl(stored_.data(), &daclPresent, &dacl, &defaulted) ||
      !::GetSecurityDescriptorSacl(stored_.data(), &saclPresent, &sacl, &defaulted)) {
    return lastStatus(path);
  }
  // No label is the default one (medium): nothing to write.
  labelled_ = saclPresent && sacl && sacl->AceCount > 0;
  if (!asRoot) return MoveStatus::success();
  // The moved folder itself takes nothing from its new parent: what it inherited at its old place
  // is written into it, and it is shut off from inheriting (a folder from C:\Program Files would
  // otherwise take the permissions of D:\, which lets every user change it).
  if (daclPresent && dacl) {
    keepAsOwn(dacl, dacl_);
    dacl = reinterpret_cast<PACL>(dacl_.data());
  }
  if (labelled_) {
    keepAsOwn(sacl, sacl_);
    sacl = reinterpret_cast<PACL>(sacl_.data());
  }
  if (!::InitializeSecurityDescriptor(&own_, SECURITY_DESCRIPTOR_REVISION) ||
      !::SetSecurityDescriptorOwner(&own_, owner_, FALSE) ||
      !::SetSecurityDescriptorDacl(&own_, daclPresent, dacl, FALSE) ||
      (labelled_ && !::SetSecurityDescriptorSacl(&own_, TRUE, sacl, FALSE)) ||
      !::SetSecurityDescriptorControl(&own_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
    return lastStatus(path);
  }
  built_ = true;
  return MoveStatus::success();
}

bool EntrySecurity::ownerChanges() const {
  const PSID own = ownOwner();
  return owner_ && !(own && ::EqualSid(owner_, own));
}

DWORD EntrySecurity::accessNeeded() const {
  // A label, as an owner, is written with WRITE_OWNER.
  return WRITE_DAC | (labelled_ || (ownerChanges() && ownersCanBeKept()) ? WRITE_OWNER : 0);
}

MoveStatus EntrySecurity::apply(HANDLE copy, const std::wstring& path) const {
  const PSECURITY_DESCRIPTOR descriptor =
      built_ ? PSECURITY_DESCRIPTOR(const_cast<SECURITY_DESCRIPTOR*>(&own_))
             : PSECURITY_DESCRIPTOR(const_cast<std::uint8_t*>(stored_.data()));
  // As it is, not re-inherited, and nothing passed on to what a folder holds.
  if (!::SetKernelObjectSecurity(copy, kPermissions | (labelled_ ? kLabel : 0), descriptor)) {
    return lastStatus(path);
  }
  if (!ownerChanges() || !ownersCanBeKept()) return MoveStatus::success();
  const RestorePrivilege restoring;
  return ::SetKernelObjectSecurity(copy, kOwner, descriptor) ? MoveStatus::success()
                                                             : lastStatus(path);
}

MoveStatus ownerIsOther(HANDLE entry, const std::wstring& path, bool& other) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error = ::GetSecurityInfo(entry, SE_FILE_OBJECT, kOwner, &owner, nullptr, nullptr,
                                        nullptr, &descriptor);
  if (error != ERROR_SUCCESS) return statusOf(error, path);
  // The mover's own: its user's, or the owner it gives what it makes (the same unless elevated;
  // Wine gives files the user and its token the administrators as owner).
  const auto mine = [&](PSID sid) { return sid && ::EqualSid(owner, sid); };
  other = owner && !mine(ownOwner()) && !mine(ownUser());
  ::LocalFree(descriptor);
  return MoveStatus::success();
}

MoveStatus reclaimEntry(const std::wstring& path, const EntryOpener& open) {
  // Taken as owner where the system lets this process (the restore or take-ownership privilege,
  // or a grant); as the owner it then may always write the permissions. A copy that kept another
  // owner (TrustedInstaller) and a DACL granting administrators only reading is taken back only
  // with the restore privilege on: its opening for backup is then given WRITE_OWNER.
  const RestorePrivilege restoring;
  base::win32::UniqueFileHandle entry = open(WRITE_OWNER | WRITE_DAC);
  const bool owning = static_cast<bool>(entry);
  if (!owning) entry = open(WRITE_DAC);
  if (!entry) return lastStatus(path);
  const PSID user = ownUser();
  if (!user) return statusOf(ERROR_NO_TOKEN, path);
  const DWORD listSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(user);
  std::vector<std::uint8_t> list(listSize);
  auto* acl = reinterpret_cast<PACL>(list.data());
  SECURITY_DESCRIPTOR mine{};
  if (!::InitializeAcl(acl, listSize, ACL_REVISION) ||
      !::AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, user) ||
      !::InitializeSecurityDescriptor(&mine, SECURITY_DESCRIPTOR_REVISION) ||
      !::SetSecurityDescriptorDacl(&mine, TRUE, acl, FALSE) ||
      !::SetSecurityDescriptorControl(&mine, SE_DACL_PROTECTED, SE_DACL_PROTECTED) ||
      (owning && ownOwner() && !::SetSecurityDescriptorOwner(&mine, ownOwner(), FALSE))) {
    return lastStatus(path);
  }
  const SECURITY_INFORMATION parts = kPermissions | (owning && ownOwner() ? kOwner : 0);
  return ::SetKernelObjectSecurity(entry.get(), parts, &mine) ? MoveStatus::success()
                                                              : lastStatus(path);
}

}  // namespace mirafold::win32
