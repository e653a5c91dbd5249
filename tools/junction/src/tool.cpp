#include "junction/tool.h"

#include <optional>
#include <utility>

#include "base/long_path.h"
#include "base/path_rules.h"
#include "base/reparse_data.h"
#include "junction/exit_codes.h"
#include "junction/paths.h"
#include "junction/text.h"

namespace junction {
namespace {

using namespace exit_code;
using mirafold::base::buildMountPointData;
using mirafold::base::substituteNameFor;

// "LINK -> TARGET", the target being the path the system follows; a print name saying something
// else is shown after it, never in its place.
std::wstring arrow(const std::wstring& link, const Entry& entry) {
  if (entry.kind == EntryKind::VolumeMountPoint) {
    return link + L" -> " + entry.target + L" (a volume mount point, not a junction)";
  }
  std::wstring line = link + L" -> " + entry.target;
  if (!entry.printName.empty()) line += L" (print name " + entry.printName + L")";
  return line;
}

// Why an existing entry is no junction, as the end of a sentence.
std::wstring describe(const Entry& entry) {
  switch (entry.kind) {
    case EntryKind::File:
      return L"a file";
    case EntryKind::Folder:
      return L"a real folder";
    case EntryKind::Junction:
    case EntryKind::HostLink:
      return L"a junction";
    case EntryKind::VolumeMountPoint:
      return L"a mount point of the volume " + entry.target;
    case EntryKind::OtherLink:
      return L"a link of another kind";
    case EntryKind::Missing:
    case EntryKind::Unreadable:
      break;
  }
  return L"something";
}

// The error code for "this is no junction".
std::uint32_t notAJunction(EntryKind kind) {
  return kind == EntryKind::File || kind == EntryKind::Folder ? kNotAReparsePoint
                                                              : kReparseTagMismatch;
}

bool isLink(EntryKind kind) { return kind == EntryKind::Junction || kind == EntryKind::HostLink; }

class Command {
 public:
  Command(System& system, Console& console) : system_(system), console_(console) {}

  // LINK and TARGET made absolute, LINK as the system names it (no long-path prefix, no trailing
  // separator); on failure, told, the exit code.
  std::optional<std::uint32_t> absolutePlaces(const std::wstring& verb, const std::wstring& linkArg,
                                              const std::wstring& targetArg, std::wstring& link,
                                              std::wstring& targetFull) {
    if (const Status s = absolute(linkArg, link); !s.ok) {
      return fail(s.code, L"Cannot " + verb + L" " + linkArg + L": " + s.reason);
    }
    if (const Status s = absolute(targetArg, targetFull); !s.ok) {
      return fail(s.code,
                  L"Cannot " + verb + L" " + linkArg + L": target " + targetArg + L": " + s.reason);
    }
    link = trimTrailingSeparators(mirafold::base::withoutLongPathPrefix(link));
    return std::nullopt;
  }

  std::uint32_t create(const std::wstring& linkArg, const std::wstring& targetArg) {
    std::wstring link;
    std::wstring targetFull;
    if (const auto failed = absolutePlaces(L"create", linkArg, targetArg, link, targetFull)) {
      return *failed;
    }
    const std::wstring failure = L"Cannot create " + link + L": ";
    const DriveDevices devices = [this](wchar_t letter) { return system_.driveDevice(letter); };
    // Made through the folder behind a SUBST letter, so that every session sees the same link.
    if (isDrivePath(link)) {
      const auto local = localDrivePath(link, devices);
      if (!local) return fail(kBadPathname, failure + L"it is not on a local drive.");
      link = *local;
    }

    const Entry existing = system_.inspect(link);
    if (existing.kind == EntryKind::Unreadable)
      return fail(existing.error, failure + existing.reason);
    if (existing.kind != EntryKind::Missing) {
      return fail(kAlreadyExists, failure + describe(existing) + L" already exists there.");
    }

    std::wstring target;
    if (const Status s = checkedTarget(targetFull, target); !s.ok) {
      return fail(s.code, failure + s.reason);
    }

    if (system_.makesHostLinks()) {
      const Status made = system_.makeHostLink(link, target);
      if (!made.ok) return fail(made.code, failure + made.reason);
    } else if (const Status made = createJunction(link, target); !made.ok) {
      return fail(made.code, failure + made.reason);
    }
    console_.out(L"Created " + link + L" -> " + target);
    return kSuccess;
  }

  // The junction LINK made to lead to TARGET: its data replaced in place through one handle, so
  // that LINK is never missing; the same checks as a creation, and LINK not inside TARGET.
  std::uint32_t retarget(const std::wstring& linkArg, const std::wstring& targetArg) {
    std::wstring link;
    std::wstring targetFull;
    if (const auto failed = absolutePlaces(L"change", linkArg, targetArg, link, targetFull)) {
      return *failed;
    }
    const std::wstring failure = L"Cannot change " + link + L": ";
    const auto local =
        localDrivePath(link, [this](wchar_t letter) { return system_.driveDevice(letter); });
    if (!local) return fail(kBadPathname, failure + L"it is not on a local drive.");
    link = *local;

    const Entry seen = system_.inspect(link);
    switch (seen.kind) {
      case EntryKind::Junction:
      case EntryKind::HostLink:
        break;
      case EntryKind::Missing:
        return fail(kFileNotFound, failure + L"it does not exist.");
      case EntryKind::Unreadable:
        return fail(seen.error, failure + seen.reason);
      case EntryKind::File:
      case EntryKind::Folder:
      case EntryKind::VolumeMountPoint:
      case EntryKind::OtherLink:
        return refuse(L"change", link, seen);
    }
    std::wstring target;
    if (const Status s = checkedTarget(targetFull, target); !s.ok) {
      return fail(s.code, failure + s.reason);
    }
    if (const Status s = outsideTarget(link, target); !s.ok) {
      return fail(s.code, failure + s.reason);
    }

    if (seen.kind == EntryKind::HostLink && system_.makesHostLinks()) {
      if (const Status s = system_.replaceHostLink(link, target); !s.ok) {
        // The old link or the new one stands: which, is read again rather than assumed.
        const Entry now = system_.inspect(link);
        return fail(s.code, failure + s.reason + L" It leads to " +
                                (now.target.empty() ? L"nothing readable" : now.target) + L".");
      }
      console_.out(L"Changed " + link + L" -> " + target + L" (was " + seen.target + L")");
      return kSuccess;
    }

    // What is rewritten is what was checked: one handle, opened on the link itself.
    std::unique_ptr<OpenLink> opened;
    if (const Status s = system_.openLink(link, LinkAccess::Rewrite, opened); !s.ok) {
      return fail(s.code, failure + s.reason);
    }
    const Entry checked = opened->read();
    if (checked.kind == EntryKind::Unreadable) return fail(checked.error, failure + checked.reason);
    if (checked.kind != EntryKind::Junction) return refuse(L"change", link, checked);
    if (const Status s = rewriteJunction(*opened, checked, target); !s.ok) {
      return fail(s.code, failure + s.reason);
    }
    console_.out(L"Changed " + link + L" -> " + target + L" (was " + checked.target + L")");
    return kSuccess;
  }

  std::uint32_t query(const std::wstring& linkArg) {
    std::wstring link;
    if (const Status s = absolute(linkArg, link); !s.ok) {
      return fail(s.code, L"Cannot read " + linkArg + L": " + s.reason);
    }
    link = trimTrailingSeparators(mirafold::base::withoutLongPathPrefix(link));
    const Entry entry = system_.inspect(link);
    if (isLink(entry.kind)) {
      console_.out(arrow(link, entry));
      return kSuccess;
    }
    if (entry.kind == EntryKind::Missing)
      return fail(kFileNotFound, L"Cannot read " + link + L": it does not exist.");
    if (entry.kind == EntryKind::Unreadable)
      return fail(entry.error, L"Cannot read " + link + L": " + entry.reason);
    console_.out(link + L" is no junction: it is " + describe(entry) + L".");
    return notAJunction(entry.kind);
  }

  std::uint32_t remove(const std::wstring& linkArg) {
    std::wstring link;
    if (const Status s = absolute(linkArg, link); !s.ok) {
      return fail(s.code, L"Cannot remove " + linkArg + L": " + s.reason);
    }
    link = trimTrailingSeparators(mirafold::base::withoutLongPathPrefix(link));
    const std::wstring failure = L"Cannot remove " + link + L": ";
    const Entry seen = system_.inspect(link);
    switch (seen.kind) {
      case EntryKind::HostLink: {
        const Status removed = system_.removeHostLink(link);
        if (!removed.ok) return fail(removed.code, failure + removed.reason);
        console_.out(L"Removed " + arrow(link, seen));
        return kSuccess;
      }
      case EntryKind::Junction:
        break;
      case EntryKind::Missing:
        return fail(kFileNotFound, failure + L"it does not exist.");
      case EntryKind::Unreadable:
        return fail(seen.error, failure + seen.reason);
      case EntryKind::File:
      case EntryKind::Folder:
      case EntryKind::VolumeMountPoint:
      case EntryKind::OtherLink:
        return refuse(L"remove", link, seen);
    }

    // What is removed is what was checked: one handle, opened on the link itself.
    std::unique_ptr<OpenLink> opened;
    if (const Status s = system_.openLink(link, LinkAccess::Remove, opened); !s.ok) {
      return fail(s.code, failure + s.reason);
    }
    const Entry checked = opened->read();
    if (checked.kind == EntryKind::Unreadable) return fail(checked.error, failure + checked.reason);
    if (checked.kind != EntryKind::Junction) return refuse(L"remove", link, checked);
    if (const Status s = opened->remove(); !s.ok) return fail(s.code, failure + s.reason);
    console_.out(L"Removed " + arrow(link, checked));
    return kSuccess;
  }

  std::uint32_t scan(const std::wstring& folderArg) {
    std::wstring root;
    if (const Status s = absolute(folderArg, root); !s.ok) {
      return fail(s.code, L"Cannot search " + folderArg + L": " + s.reason);
    }
    root = trimTrailingSeparators(mirafold::base::withoutLongPathPrefix(root));
    const Entry top = system_.inspect(root);
    if (isLink(top.kind) || top.kind == EntryKind::VolumeMountPoint) {
      console_.out(arrow(root, top));  // shown, and like every link not entered
      return kSuccess;
    }
    if (top.kind == EntryKind::Missing)
      return fail(kPathNotFound, L"Cannot search " + root + L": it does not exist.");
    if (top.kind == EntryKind::Unreadable)
      return fail(top.error, L"Cannot search " + root + L": " + top.reason);
    if (top.kind != EntryKind::Folder) {
      return fail(kNotAFolder,
                  L"Cannot search " + root + L": it is " + describe(top) + L", not a folder.");
    }

    // Depth first in listing order, with a stack of our own: paths may nest thousands deep.
    std::uint32_t firstError = kSuccess;
    auto note = [&](std::uint32_t code, const std::wstring& message) {
      console_.err(message);
      if (firstError == kSuccess) firstError = code != kSuccess ? code : kNoSystemCode;
    };
    std::vector<std::wstring> pending{root};
    while (!pending.empty()) {
      const std::wstring folder = std::move(pending.back());
      pending.pop_back();
      std::vector<Child> children;
      const Status listed = system_.listFolder(folder, children);
      if (!listed.ok) {
        note(listed.code, L"Cannot search " + folder + L": " + listed.reason);
        continue;
      }
      std::vector<std::wstring> subfolders;
      for (const Child& child : children) {
        const std::wstring path = joinPath(folder, child.name);
        if (child.kind == EntryKind::Folder) {
          subfolders.push_back(path);
        } else if (isLink(child.kind) || child.kind == EntryKind::VolumeMountPoint) {
          const Entry entry = system_.inspect(path);
          if (isLink(entry.kind) || entry.kind == EntryKind::VolumeMountPoint) {
            console_.out(arrow(path, entry));
          } else if (entry.kind == EntryKind::Unreadable) {
            note(entry.error, L"Cannot read " + path + L": " + entry.reason);
          }
        }
      }
      pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
    }
    return firstError;
  }

 private:
  // Makes the folder and sets the reparse point through one handle; on failure the folder goes
  // again through that handle: no half-made link is left.
  Status createJunction(const std::wstring& link, const std::wstring& target) {
    const auto bytes = buildMountPointData({substituteNameFor(target), target});
    if (!bytes) {
      return Status::failure(kFilenameTooLong, L"the target path is too long for a junction.");
    }
    std::unique_ptr<NewFolder> folder;
    if (const Status created = system_.createFolder(link, folder); !created.ok) return created;
    const Status written = folder->setReparseData(*bytes);
    if (written.ok) return written;
    if (const Status removed = folder->discard(); !removed.ok) {
      return Status::failure(written.code, written.reason +
                                               L" The empty folder left there could not be "
                                               L"removed: " +
                                               removed.reason);
    }
    return written;
  }

  // A target as a junction stores it: a folder of this machine, the folder behind a SUBST letter.
  Status checkedTarget(const std::wstring& targetFull, std::wstring& checked) {
    auto target = junctionTargetPath(targetFull);
    if (target) {
      target =
          localDrivePath(*target, [this](wchar_t letter) { return system_.driveDevice(letter); });
    }
    if (!target) {
      return Status::failure(kBadPathname,
                             L"the target " + targetFull + L" is not on a local drive.");
    }
    const Entry entry = system_.inspect(*target);
    switch (entry.kind) {
      case EntryKind::Folder:
      case EntryKind::Junction:
      case EntryKind::HostLink:
        checked = *target;
        return Status::success();
      case EntryKind::Missing:
        return Status::failure(kPathNotFound, L"the target " + *target + L" does not exist.");
      case EntryKind::Unreadable:
        return Status::failure(entry.error,
                               L"the target " + *target + L" cannot be read: " + entry.reason);
      case EntryKind::File:
      case EntryKind::VolumeMountPoint:
      case EntryKind::OtherLink:
        break;
    }
    return Status::failure(
        kNotAFolder, L"the target " + *target + L" is " + describe(entry) + L", not a folder.");
  }

  // A link at or inside its own target is a loop that tools walking the tree follow without
  // end. Where the link lies is its folder's place, links on the way followed, and its name.
  Status outsideTarget(const std::wstring& link, const std::wstring& target) {
    const std::size_t last = link.find_last_of(L'\\');
    std::wstring place;
    std::wstring reached;
    if (const Status s =
            system_.resolvedPath(trimTrailingSeparators(link.substr(0, last + 1)), place);
        !s.ok) {
      return s;
    }
    if (const Status s = system_.resolvedPath(target, reached); !s.ok) return s;
    const std::wstring where = joinPath(place, link.substr(last + 1));
    if (mirafold::base::isInsideFolder(where, reached) ||
        equalsIgnoringAsciiCase(trimTrailingSeparators(where), trimTrailingSeparators(reached))) {
      return Status::failure(kCannotResolve,
                             L"it would lie inside its own target " + target + L".");
    }
    return Status::success();
  }

  // The new data written through the handle that was checked, then read back through it; data
  // that does not read back as written is replaced by the old again.
  Status rewriteJunction(OpenLink& opened, const Entry& old, const std::wstring& target) {
    const auto bytes = buildMountPointData({substituteNameFor(target), target});
    if (!bytes) {
      return Status::failure(kFilenameTooLong, L"the target path is too long for a junction.");
    }
    if (const Status s = opened.setReparseData(*bytes); !s.ok) return s;
    const Entry now = opened.read();
    if (now.kind == EntryKind::Junction && now.target == target) return Status::success();
    Status wrong = Status::failure(kCannotMake, L"the junction did not read back as written.");
    const auto oldBytes = buildMountPointData(
        {substituteNameFor(old.target), old.printName.empty() ? old.target : old.printName});
    const Status back = oldBytes ? opened.setReparseData(*oldBytes)
                                 : Status::failure(kFilenameTooLong, L"its names are too long.");
    if (!back.ok) wrong.reason += L" The old target could not be written back: " + back.reason;
    return wrong;
  }

  std::uint32_t refuse(const wchar_t* verb, const std::wstring& link, const Entry& entry) {
    return fail(notAJunction(entry.kind), L"Cannot " + std::wstring(verb) + L" " + link +
                                              L": it is " + describe(entry) +
                                              L", not a junction; left as it is.");
  }

  Status absolute(const std::wstring& path, std::wstring& out) {
    return system_.fullPath(path, out);
  }

  std::uint32_t fail(std::uint32_t code, const std::wstring& message) {
    console_.err(message);
    return code != kSuccess ? code : kNoSystemCode;
  }

  System& system_;
  Console& console_;
};

}  // namespace

std::uint32_t run(const Arguments& arguments, System& system, Console& console) {
  Command command(system, console);
  switch (arguments.action) {
    case Action::Usage:
      if (!arguments.problem.empty()) {
        console.err(arguments.problem);
        console.err(usageText());
        return kUsage;
      }
      console.out(usageText());
      return kSuccess;
    case Action::AcceptEula:
      return kSuccess;
    case Action::Create:
      return command.create(arguments.link, arguments.target);
    case Action::Query:
      return command.query(arguments.link);
    case Action::Delete:
      return command.remove(arguments.link);
    case Action::Retarget:
      return command.retarget(arguments.link, arguments.target);
    case Action::Scan:
      return command.scan(arguments.link);
  }
  return kUsage;
}

}  // namespace junction
