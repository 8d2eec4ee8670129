// The drawn file and colour choosers, for the files of this area.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialogs/dialogs.h"
#include "platform/scripted/scripted_user.h"

namespace ce::dialogs {

// A chooser with no scripted answer waiting is drawn when someone can answer it: answers are held
// (a test or script gives one later) or a person is at the screen.
bool DrawChoosers();

// How a drawn chooser ended: the person's OK (`ok`) or Cancel, or a scripted answer of its kind
// given while it was shown (`answer`), or the thread's WM_QUIT (`quit`, as a cancel).
struct DrawnEnd {
  bool ok = false;
  std::optional<scripted::Answer> answer;
  bool quit = false;
  bool unanswered = false;  // answers stopped being held with nobody at the screen: the default
};

// Runs a created (hidden) chooser dialog until one of the above; destroys it. The dialog ends
// with 1 for OK and 0 for Cancel.
DrawnEnd RunChooser(HWND dialog, HWND owner, scripted::Kind kind);

// A CE path cleaned by name: separators '\' or '/', "." dropped, ".." takes off the folder before
// it; "\" for the root. Nothing when ".." would climb above the root.
std::optional<std::u16string> CleanDevicePath(std::u16string_view path);

// What the file chooser is asked and, on OK, the path chosen.
struct FileRequest {
  bool save = false;
  std::u16string title;
  std::vector<std::pair<std::u16string, std::u16string>> filters;  // description, patterns ("*.a;*.b")
  int filter = 0;           // the one shown first
  std::u16string folder;    // a clean device folder to start in
  std::u16string name;      // the proposed name (save)
  std::u16string def_ext;   // added to a typed name without an extension (save)
  std::u16string path;      // out: the chosen file
};

// The drawn file chooser, full screen; ends as RunChooser tells.
DrawnEnd RunFileChooser(HWND owner, FileRequest& request, scripted::Kind kind);
// The entries of `folder` for the chooser: sub-folders first, then the files matching `patterns`
// (';'-separated, '*' and '?', without regard to case), each sorted by name. Folders end in '\'.
std::vector<std::u16string> FolderEntries(const std::u16string& folder, const std::u16string& patterns);

// The drawn colour chooser: 48 basic colours and the 16 custom ones; `color` in and out.
DrawnEnd RunColorChooser(HWND owner, COLORREF& color, const COLORREF* custom);

}  // namespace ce::dialogs
