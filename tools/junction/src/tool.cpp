#include "junction/tool.h"

#include <utility>

#include "junction/paths.h"
#include "junction/reparse_data.h"

namespace junction {
namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;

std::wstring arrow(const std::wstring& link, const std::wstring& target) {
  return link + L" -> " + target;
}

// Why an existing entry is no junction, as the end of a sentence.
std::wstring describe(EntryKind kind) {
  switch (kind) {
    case EntryKind::File:
      return L"a file";
    case EntryKind::Folder:
      return L"a real folder";
    case EntryKind::Junction:
    case EntryKind::HostLink:
      return L"a junction";
    case EntryKind::OtherLink:
      return L"a link of another kind";
    case EntryKind::Missing:
    case EntryKind::Unreadable:
      break;
  }
  return L"something";
}

bool isLink(EntryKind kind) { return kind == EntryKind::Junction || kind == EntryKind::HostLink; }

class Command {
 public:
  Command(System& system, Console& console) : system_(system), console_(console) {}

  int create(const std::wstring& linkArg, const std::wstring& targetArg) {
    std::wstring link;
    std::wstring targetFull;
    if (!absolute(linkArg, link, L"Cannot create ") ||
        !absolute(targetArg, targetFull, L"Cannot create " + linkArg + L": target ")) {
      return kFailure;
    }
    link = trimTrailingSeparators(withoutExtendedPrefix(link));
    const std::wstring failure = L"Cannot create " + link + L": ";

    const Entry existing = system_.inspect(link);
    if (existing.kind == EntryKind::Unreadable) return fail(failure + existing.reason);
    if (existing.kind != EntryKind::Missing) {
      return fail(failure + describe(existing.kind) + L" already exists there.");
    }

    const auto target = junctionTargetPath(targetFull);
    if (!target) return fail(failure + L"the target " + targetFull + L" is not on a local drive.");
    const Entry targetEntry = system_.inspect(*target);
    switch (targetEntry.kind) {
      case EntryKind::Folder:
      case EntryKind::Junction:
      case EntryKind::HostLink:
        break;
      case EntryKind::Missing:
        return fail(failure + L"the target " + *target + L" does not exist.");
      case EntryKind::Unreadable:
        return fail(failure + L"the target " + *target + L" cannot be read: " + targetEntry.reason);
      case EntryKind::File:
      case EntryKind::OtherLink:
        return fail(failure + L"the target " + *target + L" is " + describe(targetEntry.kind) +
                    L", not a folder.");
    }

    if (system_.makesHostLinks()) {
      const Status made = system_.makeHostLink(link, *target);
      if (!made.ok) return fail(failure + made.reason);
    } else {
      const auto bytes = buildMountPointData({substituteNameFor(*target), *target});
      if (!bytes) return fail(failure + L"the target path is too long for a junction.");
      const Status created = system_.createFolder(link);
      if (!created.ok) return fail(failure + created.reason);
      const Status written = system_.writeReparseData(link, *bytes);
      if (!written.ok) {
        // No half-made link: the folder made a moment ago goes again.
        const Status removed = system_.removeEmptyFolder(link);
        if (!removed.ok) {
          return fail(failure + written.reason +
                      L" The empty folder left there could not be removed: " + removed.reason);
        }
        return fail(failure + written.reason);
      }
    }
    console_.out(L"Created " + arrow(link, *target));
    return kSuccess;
  }

  int query(const std::wstring& linkArg) {
    std::wstring link;
    if (!absolute(linkArg, link, L"Cannot read ")) return kFailure;
    link = trimTrailingSeparators(withoutExtendedPrefix(link));
    const Entry entry = system_.inspect(link);
    if (isLink(entry.kind)) {
      console_.out(arrow(link, entry.target));
      return kSuccess;
    }
    if (entry.kind == EntryKind::Missing)
      return fail(L"Cannot read " + link + L": it does not exist.");
    if (entry.kind == EntryKind::Unreadable)
      return fail(L"Cannot read " + link + L": " + entry.reason);
    console_.out(link + L" is no junction: it is " + describe(entry.kind) + L".");
    return kFailure;
  }

  int remove(const std::wstring& linkArg) {
    std::wstring link;
    if (!absolute(linkArg, link, L"Cannot remove ")) return kFailure;
    link = trimTrailingSeparators(withoutExtendedPrefix(link));
    const std::wstring failure = L"Cannot remove " + link + L": ";
    const Entry entry = system_.inspect(link);
    Status removed;
    switch (entry.kind) {
      case EntryKind::Junction:
        removed = system_.removeJunction(link);
        break;
      case EntryKind::HostLink:
        removed = system_.removeHostLink(link);
        break;
      case EntryKind::Missing:
        return fail(failure + L"it does not exist.");
      case EntryKind::Unreadable:
        return fail(failure + entry.reason);
      case EntryKind::File:
      case EntryKind::Folder:
      case EntryKind::OtherLink:
        return fail(failure + L"it is " + describe(entry.kind) +
                    L", not a junction; left as it is.");
    }
    if (!removed.ok) return fail(failure + removed.reason);
    console_.out(L"Removed " + arrow(link, entry.target));
    return kSuccess;
  }

  int scan(const std::wstring& folderArg) {
    std::wstring root;
    if (!absolute(folderArg, root, L"Cannot search ")) return kFailure;
    root = trimTrailingSeparators(withoutExtendedPrefix(root));
    const Entry top = system_.inspect(root);
    if (isLink(top.kind)) {
      console_.out(arrow(root, top.target));  // shown, and like every junction not entered
      return kSuccess;
    }
    if (top.kind == EntryKind::Missing)
      return fail(L"Cannot search " + root + L": it does not exist.");
    if (top.kind == EntryKind::Unreadable)
      return fail(L"Cannot search " + root + L": " + top.reason);
    if (top.kind != EntryKind::Folder) {
      return fail(L"Cannot search " + root + L": it is " + describe(top.kind) + L", not a folder.");
    }

    // Depth first in listing order, with a stack of our own: paths may nest thousands deep.
    bool complete = true;
    std::vector<std::wstring> pending{root};
    while (!pending.empty()) {
      const std::wstring folder = std::move(pending.back());
      pending.pop_back();
      std::vector<Child> children;
      const Status listed = system_.listFolder(folder, children);
      if (!listed.ok) {
        console_.err(L"Cannot search " + folder + L": " + listed.reason);
        complete = false;
        continue;
      }
      std::vector<std::wstring> subfolders;
      for (const Child& child : children) {
        const std::wstring path = joinPath(folder, child.name);
        if (child.kind == EntryKind::Folder) {
          subfolders.push_back(path);
        } else if (isLink(child.kind)) {
          const Entry entry = system_.inspect(path);
          if (isLink(entry.kind)) {
            console_.out(arrow(path, entry.target));
          } else if (entry.kind == EntryKind::Unreadable) {
            console_.err(L"Cannot read " + path + L": " + entry.reason);
            complete = false;
          }
        }
      }
      pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
    }
    return complete ? kSuccess : kFailure;
  }

 private:
  bool absolute(const std::wstring& path, std::wstring& out, const std::wstring& failure) {
    const Status resolved = system_.fullPath(path, out);
    if (!resolved.ok) console_.err(failure + path + L": " + resolved.reason);
    return resolved.ok;
  }

  int fail(const std::wstring& message) {
    console_.err(message);
    return kFailure;
  }

  System& system_;
  Console& console_;
};

}  // namespace

int run(const Arguments& arguments, System& system, Console& console) {
  Command command(system, console);
  switch (arguments.action) {
    case Action::Usage:
      if (!arguments.problem.empty()) {
        console.err(arguments.problem);
        console.err(usageText());
        return kFailure;
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
    case Action::Scan:
      return command.scan(arguments.link);
  }
  return kFailure;
}

}  // namespace junction
