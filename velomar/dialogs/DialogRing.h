// The ring profile of a ring-tone action: ring type (one of seven scripts), tone (from the shell's
// ring-tone list) and volume (1..5). It writes nothing to the phone: the opener reads tone name,
// tone path, ring script and volume after Save, and whether the script changed. Template 165 in
// every screen mode; soft-key bar 157. DoModal answers 1 after Save, 2 after Cancel.
#pragma once

#include <string>

#include "velomar/dialogs/BaseDialog.h"

class CDialogRing : public CBaseDialog {
 public:
  CDialogRing(HWND parent, UINT template_id);

  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnNotify(HWND, UINT, WPARAM, LPARAM) override { return FALSE; }

  void SetRingScript(const std::u16string& script) { m_ringScript = script; }

  // The ring types: number -> script (false for a number not in the table) and script -> number
  // (exact comparison; -1 when none).
  static bool ScriptOfType(int number, std::u16string& script);
  static int TypeOfScript(const std::u16string& script);
  // The path of the shell's ring tone with that display name; false when there is none.
  static bool FindTonePath(const std::u16string& name, std::u16string& path);

  std::u16string m_toneName;
  std::u16string m_tonePath;
  std::u16string m_ringScript;
  int m_volume = 0;
  // Set by Save when the saved script differs from the one the opener gave.
  int m_scriptChanged = 0;

 private:
  void FillTones();
  void FillTypes();
  void Play();
};
