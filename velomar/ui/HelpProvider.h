// The help command of every dialog and option page: the help text of the window's help id in the
// user's language ("<program folder>\traductions\<id>_<language>.txt"), else in English, else the
// general text "no_help" in the user's language, shown read-only in the text viewer.
#pragma once

#include <string>

class CHelpProvider {
 public:
  virtual ~CHelpProvider() = default;

  // Finds the file (see above) and shows it modally under the title "DIALOG_HELP_TITLE"; with no
  // file found the viewer shows nothing. UI thread.
  virtual void ShowHelp();
  // The window's help id; "no_help" unless a window names its own.
  virtual void GetHelpId(std::u16string& id) { id = u"no_help"; }
  // 1 and `path` set when the help file of `id` in `language` exists; 0 and `path` unchanged
  // otherwise. The path is cut at 259 characters.
  virtual int GetHelpFilePath(const std::u16string& id, const std::u16string& language, std::u16string& path);
};
