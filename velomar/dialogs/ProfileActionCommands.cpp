// The profiles page's commands: the profile selector, the soft keys, profile and time-frame
// editing, and the two "add action" menus, which turn a choice into an action record of the
// current time frame (after the dialogs that ask for its parameters and its week days).
#include <algorithm>
#include <optional>

#include "platform/controls/controls.h"
#include "platform/registry/registry.h"
#include "platform/sound/sound_profile.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/managers/SpeakerMgr.h"
#include "velomar/dialogs/DialogChooseFile.h"
#include "velomar/dialogs/DialogMessage.h"
#include "velomar/dialogs/DialogRing.h"
#include "velomar/dialogs/DialogSoundLevel.h"
#include "velomar/dialogs/DialogTheme.h"
#include "velomar/dialogs/DialogWeek.h"
#include "velomar/dialogs/ProfileActionMenus.h"
#include "velomar/dialogs/PropertyPageDialogProfiles.h"
#include "velomar/dialogs/ScreenMode.h"
#include "velomar/dialogs/ValueDialogs.h"
#include "velomar/places/DB.h"
#include "velomar/places/TableActions.h"
#include "velomar/ui/Translator.h"

using namespace velomar::profiles;

namespace {

constexpr UINT kLeftKey = 101;
constexpr UINT kHelp = 40241;
constexpr UINT kWeekTemplate = 160;
constexpr const WCHAR* kRingVolumeKey = u"\\ControlPanel\\SoundCategories\\Ring";
constexpr const WCHAR* kRingScriptKey = u"\\ControlPanel\\Sounds\\RingTone0";
constexpr const WCHAR* kBacklightKey = u"\\ControlPanel\\BackLight";
const WCHAR kAllFiles[] = u"All files\0*.*\0";

CTranslator* Tr() { return CTranslator::GetInstance(); }

CTableActions* Actions() {
  CDB* db = CDB::GetInstance();
  return db ? db->GetActionsTable() : nullptr;
}

// A dialog that ends otherwise than with Cancel (2) lets the addition go on; one that could not be
// shown (-1) stops it too, since the user saw nothing.
bool GoesOn(INT_PTR result) { return result != 2 && result != -1; }

}  // namespace

INT_PTR CPropertyPageDialogProfiles::OnCommand(HWND, UINT, WPARAM wparam, LPARAM) {
  const UINT command = LOWORD(wparam);
  switch (command) {
    case kProfileCombo:
      if (HIWORD(wparam) == CBN_SELCHANGE) {
        HWND combo = Item(kProfileCombo);
        const LRESULT at = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (at >= 0) ShowRegistry(static_cast<int>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(at), 0)));
      }
      break;
    case kLeftKey: PostOkToSheet(); break;
    case kCmdAddTimeFrame: AddTimeFrame(); break;
    case kCmdEditTimeFrame: EditTimeFrame(); break;
    case kCmdRemoveTimeFrame: RemoveTimeFrame(); break;
    case kCmdAddProfile: AddProfile(); break;
    case kCmdEditProfile: EditProfile(); break;
    case kCmdRemoveProfile: RemoveProfile(); break;
    case kHelp: ShowHelp(); break;
    default: RunActionCommand(command); break;
  }
  return TRUE;
}

void CPropertyPageDialogProfiles::RunActionCommand(UINT command) {
  const auto found = FindActionCommand(command);
  if (!found) return;
  const ActionCommand& c = *found;
  switch (c.op) {
    case ActionOp::kStatus: SetStatusAction(c.kind, c.trigger, c.value, u""); break;
    case ActionOp::kSpeakerOn: {
      CDialogSoundLevel dialog(m_hwnd, 162);
      if (dialog.DoModal() == 1)
        if (CSpeakerMgr* speaker = CSpeakerMgr::GetInstance()) speaker->SetPendingValue(dialog.m_level);
      // The speaker goes on also when no level was chosen.
      SetStatusAction(c.kind, c.trigger, c.value, u"");
      break;
    }
    case ActionOp::kMail: AddMailAction(c.trigger); break;
    case ActionOp::kSms: AddSmsAction(c.trigger); break;
    case ActionOp::kCallForwardOff: AddCallForwardAction(0, c.trigger); break;
    case ActionOp::kCallForwardOn: AddCallForwardAction(1, c.trigger); break;
    case ActionOp::kOpenFile: AddOpenFileAction(c.trigger); break;
    case ActionOp::kTodayTheme: AddTodayThemeAction(c.trigger); break;
    case ActionOp::kBacklight: AddBacklightAction(c.trigger); break;
    case ActionOp::kRingTone: AddRingToneAction(c.trigger); break;
    case ActionOp::kRefusedReset: TextBox(nullptr, u"%s", Tr()->GetText(u"RESET ACTION NOT ALLOWED").c_str()); break;
  }
}

bool CPropertyPageDialogProfiles::HasTimeFrame() {
  if (m_timeFrame.GetKey() != -1) return true;
  TextBox(m_hwnd, u"%s", Tr()->GetText(u"SELECT PROFILE SCHEDULE").c_str());
  return false;
}

bool CPropertyPageDialogProfiles::AskDays(int initial_mask, int& mask) {
  CDialogWeek week(m_hwnd, kWeekTemplate, initial_mask);
  if (week.DoModal() != 1) return false;
  mask = week.m_dayMask;
  return true;
}

void CPropertyPageDialogProfiles::ActionsChanged() {
  m_changed = 1;
  RefreshActionList();
}

void CPropertyPageDialogProfiles::SetStatusAction(int kind, int trigger, int value, const std::u16string& text) {
  if (!HasTimeFrame()) return;
  CTableActions* table = Actions();
  if (table == nullptr) return;
  // Looked up, not created: a record appears only once the week dialog is confirmed.
  std::optional<CStrAction> existing = table->GetAction(m_timeFrame.GetKey(), kind, 0, trigger);
  if (existing && existing->GetIntOp1() == value && kind != 2) return;
  int mask = 0;
  if (!AskDays(existing ? existing->GetIntOp2() : 0, mask)) return;
  CStrAction action = existing ? *existing : CStrAction();
  action.SetKind(kind);
  action.SetIdPeriod(m_timeFrame.GetKey());
  action.SetTrigger(trigger);
  action.SetIntOp1(value);
  action.SetIntOp2(mask);
  if (!text.empty()) action.SetSzOp1(text);
  if (kind == 2 && value == 2)
    if (CSpeakerMgr* speaker = CSpeakerMgr::GetInstance()) action.SetIntOp3(speaker->GetPendingValue());
  if (existing)
    table->Update(action);
  else
    table->Insert(action);
  ActionsChanged();
}

void CPropertyPageDialogProfiles::AddCallForwardAction(int on, int trigger) {
  std::u16string number;
  if (on == 1) {
    CDialogCallForward dialog(m_hwnd, 161);
    if (dialog.DoModal() != 1) return;
    number = dialog.m_number;
  }
  SetStatusAction(51, trigger, on, number);
}

void CPropertyPageDialogProfiles::AddRingToneAction(int trigger) {
  if (!HasTimeFrame()) return;
  CTableActions* table = Actions();
  if (table == nullptr) return;
  std::optional<CStrAction> existing = table->GetAction(m_timeFrame.GetKey(), 16, 0, trigger);
  CDialogRing dialog(m_hwnd, 165);
  if (existing) {
    dialog.m_tonePath = existing->GetSzOp1();
    dialog.SetRingScript(existing->GetSzOp2());
    dialog.m_volume = existing->GetIntOp1();
  } else {
    DWORD volume = 0;
    RegistryGetDWORD(HKEY_CURRENT_USER, kRingVolumeKey, u"InitVol", &volume);
    dialog.m_volume = static_cast<int>(volume);
    SNDFILEINFO sound{};
    if (SUCCEEDED(SndGetSound(SND_EVENT_RINGTONELINE1, &sound))) {
      sound.szPathName[MAX_PATH - 1] = 0;
      dialog.m_tonePath = sound.szPathName;
    }
    WCHAR script[101] = {};
    if (SUCCEEDED(RegistryGetString(HKEY_CURRENT_USER, kRingScriptKey, u"Script", script, 101)))
      dialog.SetRingScript(script);
  }
  if (!GoesOn(dialog.DoModal())) return;
  int mask = 0;
  if (!AskDays(existing ? existing->GetIntOp2() : 0, mask)) return;
  CStrAction action = existing ? *existing : CStrAction();
  action.SetKind(16);
  action.SetIdPeriod(m_timeFrame.GetKey());
  action.SetTrigger(trigger);
  action.SetSzOp1(dialog.m_tonePath);
  action.SetSzOp2(dialog.m_ringScript);
  action.SetSzOp3(dialog.m_toneName);
  action.SetIntOp1(dialog.m_volume);
  action.SetIntOp2(mask);
  if (existing)
    table->Update(action);
  else
    table->Insert(action);
  ActionsChanged();
}

// The Today theme and the backlight keep one action per time frame and trigger: the new one is
// stored, then the earlier one removed.
namespace {
void ReplaceAction(CTableActions* table, CStrAction& action) {
  std::optional<CStrAction> earlier = table->GetAction(action.GetIdPeriod(), action.GetKind(), 0, action.GetTrigger());
  table->Insert(action);
  if (earlier) table->DeleteRecord(*earlier);
}
}  // namespace

void CPropertyPageDialogProfiles::AddTodayThemeAction(int trigger) {
  if (!HasTimeFrame()) return;
  CDialogTheme dialog(m_hwnd, 164);
  if (!GoesOn(dialog.DoModal())) return;
  int mask = 0;
  if (!AskDays(0, mask)) return;
  CStrAction action;
  action.SetKind(15);
  action.SetIdPeriod(m_timeFrame.GetKey());
  action.SetTrigger(trigger);
  action.SetIntOp2(mask);
  action.SetSzOp1(dialog.m_themeName);
  if (CTableActions* table = Actions()) ReplaceAction(table, action);
  ActionsChanged();
}

void CPropertyPageDialogProfiles::AddBacklightAction(int trigger) {
  if (!HasTimeFrame()) return;
  CDialogBacklight dialog(m_hwnd, 163);
  DWORD external = 0, battery = 0;
  RegistryGetDWORD(HKEY_CURRENT_USER, kBacklightKey, u"ACBrightNess", &external);
  RegistryGetDWORD(HKEY_CURRENT_USER, kBacklightKey, u"BrightNess", &battery);
  dialog.m_externalLevel = static_cast<int>(external);
  dialog.m_batteryLevel = static_cast<int>(battery);
  if (!GoesOn(dialog.DoModal())) return;
  int mask = 0;
  if (!AskDays(0, mask)) return;
  CStrAction action;
  action.SetKind(52);
  action.SetIdPeriod(m_timeFrame.GetKey());
  action.SetTrigger(trigger);
  action.SetIntOp2(mask);
  const auto packed = (static_cast<unsigned>(dialog.m_batteryLevel) & 0xFFFFu) |
                      ((static_cast<unsigned>(dialog.m_externalLevel) & 0xFFFFu) << 16);
  action.SetIntOp1(static_cast<int>(packed));
  if (CTableActions* table = Actions()) ReplaceAction(table, action);
  ActionsChanged();
}

void CPropertyPageDialogProfiles::AddOpenFileAction(int trigger) {
  if (!HasTimeFrame()) return;
  CDialogChooseFile dialog(m_hwnd, kAllFiles);
  if (!GoesOn(dialog.DoModal())) return;
  int mask = 0;
  if (!AskDays(0, mask)) return;
  CStrAction action;
  action.SetKind(12);
  action.SetIdPeriod(m_timeFrame.GetKey());
  action.SetTrigger(trigger);
  action.SetIntOp2(mask);
  action.SetSzOp1(dialog.m_path);
  if (CTableActions* table = Actions()) table->Insert(action);
  ActionsChanged();
}

namespace {
// The message dialog's template for the screen mode.
UINT MessageTemplate() { return velomar::dialogs::TemplateForScreen(157, 158, 159); }
}  // namespace

void CPropertyPageDialogProfiles::AddSmsAction(int trigger) { AddMessageAction(trigger, 14, true); }

void CPropertyPageDialogProfiles::AddMailAction(int trigger) { AddMessageAction(trigger, 13, false); }

// An SMS (kind 14) or mail (kind 13) action from the message dialog: recipient, subject and text.
void CPropertyPageDialogProfiles::AddMessageAction(int trigger, int kind, bool sms) {
  // Without a time frame the action would be stored under none and never run.
  if (!HasTimeFrame()) return;
  CDialogMessage dialog(m_hwnd, MessageTemplate(), sms ? 1 : 0);
  if (dialog.DoModal() != 1) return;
  int mask = 0;
  if (!AskDays(0, mask)) return;
  CStrAction action;
  action.SetKind(kind);
  action.SetIdPeriod(m_timeFrame.GetKey());
  action.SetTrigger(trigger);
  action.SetIntOp2(mask);
  action.SetSzOp1(dialog.m_recipient);
  action.SetSzOp2(dialog.m_subject);
  action.SetSzOp3(dialog.m_text);
  if (CTableActions* table = Actions()) table->Insert(action);
  ActionsChanged();
}
