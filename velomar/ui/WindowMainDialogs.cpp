// The dialogs the main window's commands open, one function each: each builds its dialog on the
// stack with the main window as parent, runs it and hands back what the command needs. The
// commands around them (modal flag, what an OK or a cancel does) are in WindowMainCommands.cpp.
#include <string>

#include "velomar/dialogs/DialogAbout.h"
#include "velomar/dialogs/DialogAddPlace.h"
#include "velomar/dialogs/DialogChooseList.h"
#include "velomar/dialogs/DialogMessage.h"
#include "velomar/dialogs/DialogRing.h"
#include "velomar/dialogs/DialogSoundLevel.h"
#include "velomar/dialogs/DialogTheme.h"
#include "velomar/dialogs/ValueDialogs.h"
#include "velomar/places/Records.h"
#include "velomar/ui/OptionDialog.h"
#include "velomar/ui/WindowMain.h"

namespace {
// The main window's help text.
class MainWindowHelp : public CHelpProvider {
 public:
  void GetHelpId(std::u16string& id) override { id = u"main_window"; }
};
// The dialogs the manager and places popups open: the custom duration (template 143), the place
// chooser (the template the popup gives) and the sound level (template 162).
int RunCustomTime(HWND parent, int& hours, int& minutes) {
  CDialogCustomTime dialog(parent, 143);
  const INT_PTR result = dialog.DoModal();
  hours = dialog.m_hours;
  minutes = dialog.m_minutes;
  return static_cast<int>(result);
}

int RunChoosePlace(HWND parent, int template_id, int& place_key) {
  CDialogChooseList dialog(parent, static_cast<UINT>(template_id));
  const INT_PTR result = dialog.DoModal();
  place_key = dialog.m_chosenKey;
  return static_cast<int>(result);
}

int RunSoundLevel(HWND parent, int& level) {
  CDialogSoundLevel dialog(parent, 162);
  const INT_PTR result = dialog.DoModal();
  level = dialog.m_level;
  return static_cast<int>(result);
}

}  // namespace

void velomar::ui::UseProgramPopupDialogs() {
  PopupDialogs& dialogs = GetPopupDialogs();
  dialogs.customTime = RunCustomTime;
  dialogs.choosePlace = RunChoosePlace;
  dialogs.soundLevel = RunSoundLevel;
}

void CWindowMain::RunAboutDialog(int template_id) {
  CDialogAbout about(m_hwnd, static_cast<UINT>(template_id));
  about.DoModal();
}

void CWindowMain::ShowMainWindowHelp() { MainWindowHelp().ShowHelp(); }

bool CWindowMain::RunAddPlaceDialog(int template_id, CStrPlace& place) {
  int customise = 0;
  CDialogAddPlace dialog(m_hwnd, static_cast<UINT>(template_id), &place, 1, &customise);
  return dialog.DoModal() == 1;
}

bool CWindowMain::RunMessageDialog(int template_id, int mode, std::u16string& to, std::u16string& subject,
                                   std::u16string& text) {
  CDialogMessage dialog(m_hwnd, static_cast<UINT>(template_id), mode);
  if (dialog.DoModal() != 1) return false;
  to = dialog.m_recipient;
  subject = dialog.m_subject;
  text = dialog.m_text;
  return true;
}

bool CWindowMain::RunCallForwardDialog(std::u16string& number) {
  CDialogCallForward dialog(m_hwnd, 161);
  dialog.m_number = number;
  if (dialog.DoModal() != 1) return false;
  number = dialog.m_number;
  return true;
}

int CWindowMain::RunBacklightDialog(DWORD& battery_level, DWORD& external_level) {
  CDialogBacklight dialog(m_hwnd, 163);
  dialog.m_batteryLevel = static_cast<int>(battery_level);
  dialog.m_externalLevel = static_cast<int>(external_level);
  const INT_PTR result = dialog.DoModal();
  if (result == -1) return 0;  // not shown: nothing to apply
  // The low 16 bits of each level, as the dialog holds them (the preset values after a cancel).
  battery_level = static_cast<DWORD>(dialog.m_batteryLevel) & 0xFFFF;
  external_level = static_cast<DWORD>(dialog.m_externalLevel) & 0xFFFF;
  return static_cast<int>(result);
}

bool CWindowMain::RunThemeDialog(std::u16string& theme) {
  CDialogTheme dialog(m_hwnd, 164);
  if (dialog.DoModal() != 1) return false;
  theme = dialog.m_themeName;
  return true;
}

bool CWindowMain::RunRingDialog(DWORD& volume, std::u16string& sound_file, std::u16string& script,
                                bool& script_changed) {
  CDialogRing dialog(m_hwnd, 165);
  dialog.m_volume = static_cast<int>(volume);
  dialog.m_tonePath = sound_file;
  dialog.SetRingScript(script);
  if (dialog.DoModal() != 1) return false;
  volume = static_cast<DWORD>(dialog.m_volume);
  sound_file = dialog.m_tonePath;
  script = dialog.m_ringScript;
  script_changed = dialog.m_scriptChanged != 0;
  return true;
}
