#pragma once
// The folders a move holds open, and every path at or below one of them reached from its handle,
// one name at a time, no link followed on the way: a folder that another program swaps for a link
// or for another folder between a listing and an action is found out, never followed.
//
// The folders last reached below each held one stay open until the move's next step (a walk opens
// each folder once); another program may still rename them, and what is reached through them is
// what was listed. One thread at a time, as the move uses it.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/entry_reading.h"
#include "base/win32/handles.h"
#include "platform/move_file_system.h"

namespace mirafold::win32 {

class HeldFolders {
 public:
  // `folder` opened, links on the way followed, and held; `finalPath` where it really is.
  // Holding it again (by either name) gives the same folder.
  platform::MoveStatus hold(const std::wstring& folder, std::wstring& finalPath);

  // `path` is at or below a held folder.
  bool holds(const std::wstring& path) const;

  // Each call below answers 0 or the system's error for `refusedPath()`: the entry, or the
  // folder on its way that was not what it must be (ERROR_REPARSE_POINT_ENCOUNTERED for a link,
  // or something else, where a real folder must be).
  const std::wstring& refusedPath() const { return refused_; }

  // Where a path at or below a held folder is: the folder holding it, reached from the held one,
  // and its name there.
  struct Place {
    HANDLE folder = nullptr;  // kept here until the next call
    std::wstring_view name;   // empty for the held folder itself, which `folder` then is
  };
  DWORD place(const std::wstring& path, Place& where);

  // The folder `path` itself, reached as a real folder; kept.
  DWORD reachFolder(const std::wstring& path, HANDLE& folder);

  // The entry at `path` opened from its folder with `options` (base/win32/nt_files.h): the entry
  // itself, never what it leads to unless `followLink`. Others may do what `share` lets them.
  DWORD open(const std::wstring& path, DWORD access, ULONG options, bool followLink,
             base::win32::UniqueFileHandle& opened,
             ULONG share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);

  // `path` created new in its folder with `options` (a file, or a folder not kept: a link is
  // made of it) and `attributes`, nothing there before.
  DWORD create(const std::wstring& path, DWORD access, ULONG share, ULONG options,
               base::win32::UniqueFileHandle& made, DWORD attributes = FILE_ATTRIBUTE_NORMAL);

  // The one reading of the entry at `path` itself (base/win32/entry_reader.h); Unreadable with
  // ERROR_REPARSE_POINT_ENCOUNTERED where a folder on its way is a link.
  base::EntryReading read(const std::wstring& path);

  // `path` created as a folder (with `security`, when given) and kept: a copy goes on inside it.
  DWORD createFolder(const std::wstring& path, PSECURITY_DESCRIPTOR security);

  // Folders kept at and below `path` closed: it is about to be renamed or deleted.
  void forget(const std::wstring& path);
  // Every kept folder closed, the held ones aside: a step of the move is over, and Windows lets
  // nobody rename a folder while something inside it is open.
  void forgetKept();
  // Every folder closed, the held ones too: the move that held them has ended.
  void letGo() { held_.clear(); }

 private:
  struct Kept {
    std::wstring name;
    base::win32::UniqueFileHandle handle;
    std::wstring final;  // under Wine only: where it really is
  };
  struct Held {
    std::vector<std::wstring> names;  // as asked for, and its final path
    base::win32::UniqueFileHandle handle;
    std::wstring final;
    std::vector<Kept> kept;  // the folders last reached below it, each inside the one before
  };

  // The index of the held folder `path` is at or below (the deepest, when held folders nest;
  // npos for none), and the names below it.
  std::size_t heldOf(const std::wstring& path, std::vector<std::wstring_view>* names) const;
  // The first `count` names below `held` reached as kept folders.
  DWORD reach(Held& held, const std::vector<std::wstring_view>& names, std::size_t count,
              const std::wstring& path);
  DWORD refuse(DWORD error, const std::wstring& path);
  HANDLE folderOf(const Held& held, std::size_t count) const;
  const std::wstring& finalOf(const Held& held, std::size_t count) const;

  std::vector<Held> held_;
  std::wstring refused_;
};

}  // namespace mirafold::win32
