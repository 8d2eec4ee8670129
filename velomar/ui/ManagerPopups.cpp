// The main window's popups: the states each manager can be switched to (then, for most, a time
// limit), the phone's time limit, the places popup with its commands, assigning the current
// location to a place and locking a place.
#include <memory>
#include <vector>

#include "platform/dialogs/message_box.h"
#include "platform/kernel/last_error.h"
#include "platform/shell/launch.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Trace.h"
#include "velomar/core/managers/BTMgr.h"
#include "velomar/core/managers/BandMgr.h"
#include "velomar/core/managers/ConnectionsMgr.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/core/managers/SpeakerMgr.h"
#include "velomar/core/managers/WifiMgr.h"
#include "velomar/places/DB.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/ButtonOwnCurrentLocation.h"
#include "velomar/ui/ButtonOwnDrawImage.h"
#include "velomar/ui/OptionDialog.h"
#include "velomar/ui/Translator.h"
#include "velomar/ui/WindowMain.h"

namespace {

CTranslator* Tr() { return CTranslator::GetInstance(); }

// The action entries' ids.
constexpr int kActionApplet = 40021;  // the device's applet, the options sheet, or the places command
constexpr int kActionAddPlace = 40025;
constexpr int kActionAssign = 40051;
constexpr int kActionSchedule = 40016;
constexpr int kActionActions = 40041;
constexpr int kActionLock = 40055;
constexpr int kActionUnlock = 40056;
// The untranslated label of the device's communications manager applet.
constexpr const WCHAR* kCommAppletLabel = u"Comm Manager";

// A choice of a popup: its text, command id and theme element; `state` makes it show the
// manager button's picture for that status.
struct Choice {
  std::u16string text;
  int id;
  const char16_t* theme;
  bool state;
};

Choice State(const char16_t* text_id, int status, const char16_t* theme) {
  return {Tr()->GetText(text_id), status, theme, true};
}
Choice Action(const char16_t* text_id, int id, const char16_t* theme) { return {Tr()->GetText(text_id), id, theme, false}; }

// The "SELECT OPTION" popup over `owner` with the choices; the main window is disabled while it
// is shown. Its result (109: nothing chosen).
int RunChoices(CWindowMain* main, HINSTANCE instance, HWND owner, const std::vector<Choice>& choices,
               CButtonOwnDrawImage* source) {
  auto popup = std::make_unique<COptionDialog>(Tr()->GetText(u"SELECT OPTION"), 0, 0, 0, 0, owner, main);
  for (const Choice& choice : choices) {
    auto* button = new CButtonOwnDrawText(popup.get(), 60, 65, instance, nullptr, choice.text.c_str(), choice.id, 1,
                                          true, 8);
    button->SetThemeId(choice.theme);
    button->GetConfigFromXML();
    if (choice.state && source) {
      button->SetImageSource(source);
      button->SetStatusValue(choice.id);
    }
    popup->AddOption(button);
  }
  EnableWindow(main->GetHwnd(), FALSE);
  HWND focus = GetFocus();
  popup->Create(instance, 0, 0);
  const int result = popup->ShowModal();
  popup.reset();
  Trace(0, u"Retorno de showmodal");
  SetFocus(focus);
  return result;
}

// The time-limit popup over `owner`: false when cancelled; else the minutes, 0 for no limit.
bool RunTimeLimit(CWindowMain* main, HINSTANCE instance, HWND owner, int& minutes) {
  RECT client{};
  GetClientRect(owner, &client);
  auto popup = std::make_unique<COptionDialogTimeLimit>(Tr()->GetText(u"TIME LIMIT"), client.right / 2 - 100, 25, 200,
                                                        200, owner, main);
  EnableWindow(main->GetHwnd(), FALSE);
  HWND focus = GetFocus();
  popup->Create(instance, 0, 0);
  const int result = popup->ShowModal();
  const bool custom = popup->IsCustom();
  popup.reset();
  SetFocus(focus);
  if (custom) {
    minutes = result;
    return true;
  }
  if (result == kOptionCancel) return false;
  minutes = result == kTimeLimitNone ? 0 : result;
  return true;
}

// A state for good (no minutes) or for that many minutes, after which the state before returns.
void Apply(CMgr* manager, int state, int minutes) {
  if (minutes == 0) {
    manager->SetStatus(state, 0, 0, 0);
  } else {
    const int previous = manager->GetStatus();
    manager->SetStatus(state, minutes, previous, 0);
  }
}

// A device program started with its command line; the translated error (with the system's
// code) in a text box when it cannot start.
void StartApplet(const WCHAR* program, const WCHAR* arguments, const char16_t* error_id) {
  std::u16string line = arguments ? arguments : u"";
  PROCESS_INFORMATION info{};
  if (CreateProcessW(program, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info)) {
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return;
  }
  const int code = static_cast<int>(GetLastError());
  TextBox(nullptr, u"%s", Tr()->GetFormatted(error_id, code).c_str());
}

// The place list chooser's template for the window's orientation.
int ChooserTemplate(CWindowMain* main) {
  switch (main->GetOrientation()) {
    case 1: return 154;
    case 2: return 155;
    default: return 153;
  }
}

}  // namespace

LRESULT CWindowMain::OnBTPopup(HWND owner) {
  CMgr* manager = CMgr::GetMgr(MGR_BT);
  if (!manager) return 0;
  std::vector<Choice> choices;
  switch (manager->GetStatus()) {
    case 0: choices = {State(u"BT ON", 1, u"bt"), State(u"BT DISCOVERABLE", 2, u"bt")}; break;
    case 1: choices = {State(u"BT OFF", 0, u"bt"), State(u"BT DISCOVERABLE", 2, u"bt")}; break;
    case 2: choices = {State(u"BT OFF", 0, u"bt"), State(u"BT ON", 1, u"bt")}; break;
    default: break;
  }
  choices.push_back(Action(u"SETTINGS", kActionApplet, u"settings"));
  const int result = RunChoices(this, m_instance, owner, choices, m_btButton);
  if (result == kOptionCancel) return 0;
  if (result == kActionApplet) {
    StartApplet(u"ctlpnl.exe", u"cplmain.cpl,23", u"ERROR APPLET BT");
  } else if (result == 0) {
    manager->SetStatus(0, 0, 0, 0);
  } else if (int minutes = 0; RunTimeLimit(this, m_instance, owner, minutes)) {
    Apply(manager, result, minutes);
  }
  Trace(0, u"MainWindow activado");
  return 0;
}

LRESULT CWindowMain::OnSpeakerPopup(HWND owner) {
  CMgr* manager = CMgr::GetMgr(MGR_SPEAKER);
  if (!manager) return 0;
  const int status = manager->GetStatus();
  std::vector<Choice> choices{State(u"ON", 2, u"speaker")};
  if (status >= 0 && status <= 2) {
    if (status != 0) choices.push_back(State(u"MUTE", 0, u"speaker"));
    if (status != 1) choices.push_back(State(u"VIBRATE", 1, u"speaker"));
  }
  const int result = RunChoices(this, m_instance, owner, choices, m_speakerButton);
  int minutes = 0;
  if (result != kOptionCancel && RunTimeLimit(this, m_instance, owner, minutes)) {
    if (result == 2) {
      int level = 0;
      auto* dialog = velomar::ui::GetPopupDialogs().soundLevel;
      if (dialog && dialog(m_hwnd, level) == 1)
        if (CSpeakerMgr* speaker = CSpeakerMgr::GetInstance()) speaker->SetPendingValue(level);
    }
    Apply(manager, result, minutes);
  }
  Trace(0, u"MainWindow activado");
  return 0;
}

LRESULT CWindowMain::OnBandPopup(HWND owner) {
  CBandMgr* band = CBandMgr::GetInstance();
  if (!band) return 0;
  std::vector<Choice> choices;
  switch (band->GetStatus()) {
    case 0: choices = {State(u"BAND 2G", 1, u"band"), State(u"BAND 3G", 2, u"band")}; break;
    case 1: choices = {State(u"BAND AUTO", 0, u"band"), State(u"BAND 3G", 2, u"band")}; break;
    case 2: choices = {State(u"BAND 2G", 1, u"band"), State(u"BAND AUTO", 0, u"band")}; break;
    default: break;
  }
  const int result = RunChoices(this, m_instance, owner, choices, m_bandButton);
  if (result == 0 || result == 1) {
    band->SetUserRequest(1);
    band->SetStatus(result, 0, 0, 0);
    band->SetUserRequest(0);
  } else if (int minutes = 0; result == 2 && RunTimeLimit(this, m_instance, owner, minutes)) {
    // After a limit the band returns to 2G, whatever it was.
    band->SetStatus(2, minutes, minutes == 0 ? 0 : 1, 0);
    band->SetUserRequest(1);
  }
  Trace(0, u"MainWindow activado");
  return 0;
}

LRESULT CWindowMain::OnConnectionsPopup(HWND owner) {
  CConnectionsMgr* connections = CConnectionsMgr::GetInstance();
  if (!connections) return 0;
  const int status = connections->GetStatus();
  std::vector<Choice> choices;
  if (status >= 0 && status <= 2) {
    if (status != 0) choices.push_back(State(u"DISABLE", 0, u"connections"));
    if (status != 1) choices.push_back(State(u"DISCONNECTED", 1, u"connections"));
    if (status != 2) choices.push_back(State(u"CONNECTED", 2, u"connections"));
  }
  choices.push_back(Action(u"MANAGE", kActionApplet, u"settings"));
  const int result = RunChoices(this, m_instance, owner, choices, m_connectionsButton);
  if (result == kActionApplet) {
    OpenOptionsSheet(2);  // the connections page
    if (m_locationButton) SetFocus(m_locationButton->GetHwnd());
  } else if (int minutes = 0; result >= 0 && result <= 2 && RunTimeLimit(this, m_instance, owner, minutes)) {
    const int previous = connections->GetStatus();
    if (result == 0)
      connections->SetStatus(0, 0, 0, 0);
    else
      connections->PostMgrCommand(2, result == 2 ? 1 : 0);  // hang up, or connect the preferred one
    if (minutes == 0)
      connections->ClearTimeLimitNotification(-1);
    else
      connections->SetTimeLimitNotification(MGR_CONNECTIONS, minutes, previous);
  }
  connections->RefreshStatus(1);
  Trace(0, u"MainWindow activado");
  return 0;
}

LRESULT CWindowMain::OnWifiPopup(HWND owner) {
  CMgr* manager = CMgr::GetMgr(MGR_WIFI);
  if (!manager) return 0;
  std::vector<Choice> choices{State(u"ON", 1, u"wifi"), State(u"OFF", 0, u"wifi"),
                              Choice{kCommAppletLabel, kActionApplet, u"settings", false}};
  const int result = RunChoices(this, m_instance, owner, choices, m_wifiButton);
  if (result == kActionApplet) {
    StartApplet(u"\\windows\\CommApplet.exe", nullptr, u"ERROR APPLET QUARN");
  } else if (result == 0) {
    manager->SetStatus(0, 0, 0, 0);
  } else if (int minutes = 0; result == 1 && RunTimeLimit(this, m_instance, owner, minutes)) {
    Apply(manager, 1, minutes);
  }
  Trace(0, u"MainWindow activado");
  return 0;
}

LRESULT CWindowMain::OnPhonePopup(HWND owner) {
  CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance();
  if (!phone) return 0;
  int minutes = 0;
  if (RunTimeLimit(this, m_instance, owner, minutes)) {
    phone->SetUserSwitch(phone->GetStatus() == 0);
    // No limit is a switch for good (999 would be taken as 999 minutes).
    phone->Toggle(minutes);
  }
  Trace(0, u"MainWindow activado");
  return 0;
}

LRESULT CWindowMain::OnPlacesPopup(HWND owner) {
  CRilMgr* ril = CRilMgr::GetInstance();
  CScheduleEngine* engine = CScheduleEngine::GetExisting();
  CDB* db = CDB::GetInstance();
  bool known = false;
  bool period_now = false;
  if (ril && db) {
    std::lock_guard<std::recursive_mutex> lock(db->GetLock());
    known = ril->IsLocationKnown();
    CStrPlace place;
    CStrPeriod period;
    if (known && engine && ril->FindPlaceOfLocation(place)) period_now = engine->FindFrameNow(period, place.GetIdPlace());
  }
  const bool locked = engine && engine->IsLocked();
  std::vector<Choice> choices{Action(u"PLACES", kActionApplet, u"places")};
  if (!known) {
    choices.push_back(Action(u"ADD PLACE", kActionAddPlace, u"add_place"));
    choices.push_back(Action(u"ASSIGN TO PLACE", kActionAssign, u"assign_place"));
  } else {
    choices.push_back(Action(u"SCHEDULE", kActionSchedule, u"schedule"));
    if (period_now) choices.push_back(Action(u"ACTIONS", kActionActions, u"actions"));
  }
  choices.push_back(locked ? Action(u"UNBLOCK PROFILE", kActionUnlock, u"unlock")
                           : Action(u"BLOCK PROFILE", kActionLock, u"lock"));
  const int result = RunChoices(this, m_instance, owner, choices, nullptr);
  switch (result) {
    case kActionApplet: OpenOptionsSheet(0); break;
    case kActionAddPlace: AddPlaceForCurrentLocation(); break;
    case kActionAssign: OnAssignPlace(); break;
    case kActionSchedule:
    case kActionActions: OpenOptionsSheet(1); break;
    case kActionLock: OnLockPopup(m_hwnd, 1); break;
    case kActionUnlock: UnlockPlace(); break;
    default: break;
  }
  Trace(0, u"MainWindow activado");
  return 0;
}

LRESULT CWindowMain::OnAssignPlace() {
  auto* chooser = velomar::ui::GetPopupDialogs().choosePlace;
  int place_key = -1;
  if (!chooser || chooser(m_hwnd, ChooserTemplate(this), place_key) != 1) return 0;
  CRilMgr* ril = CRilMgr::GetInstance();
  CDB* db = CDB::GetInstance();
  if (!ril || !db || !db->GetLocationTable()) return 0;
  const int key = static_cast<int>(ril->GetLocationKey());
  std::unique_ptr<CStrLocation> stored = CreateLocationRecord();
  stored->SetValue(key);
  bool found = false;
  {
    std::lock_guard<std::recursive_mutex> lock(db->GetLock());
    found = db->GetLocationTable()->FindAndFill(*stored);
  }
  if (found) {
    // Already some place's location: changed only when the user says so.
    const std::u16string question = Tr()->GetText(u"LOCATION ASSIGNED");
    if (MessageBoxW(nullptr, question.c_str(), u"Velomar", MB_YESNO | MB_ICONQUESTION) == IDYES) {
      std::lock_guard<std::recursive_mutex> lock(db->GetLock());
      stored->SetPlace(place_key);
      db->GetLocationTable()->Update(*stored);
    }
  } else {
    std::unique_ptr<CStrLocation> location = CreateLocationRecord();
    location->SetValue(key);
    location->SetPlace(place_key);
    std::lock_guard<std::recursive_mutex> lock(db->GetLock());
    db->GetLocationTable()->Insert(*location);
  }
  if (CScheduleEngine* engine = CScheduleEngine::GetExisting()) engine->ChangeInDB();
  if (m_locationButton) {
    m_locationButton->StatusChangedChild();
    SetFocus(m_locationButton->GetHwnd());
    InvalidateRect(m_locationButton->GetHwnd(), nullptr, TRUE);
  }
  InvalidateRect(m_hwnd, nullptr, TRUE);
  return 0;
}

LRESULT CWindowMain::OnLockPopup(HWND owner, int warn) {
  if (warn && QuestionBox(nullptr, u"%s", Tr()->GetText(u"LOCK WARNING").c_str()) != 6) return 0;
  auto* chooser = velomar::ui::GetPopupDialogs().choosePlace;
  int place_key = -1;
  if (!chooser || chooser(m_hwnd, ChooserTemplate(this), place_key) != 1) return 0;
  int minutes = 0;
  if (RunTimeLimit(this, m_instance, owner, minutes)) {
    CStrPlace place;
    place.SetIdPlace(place_key);
    CDB* db = CDB::GetInstance();
    bool found = false;
    if (db && db->GetPlacesTable()) {
      std::lock_guard<std::recursive_mutex> lock(db->GetLock());
      found = db->GetPlacesTable()->FindAndFill(place);
    }
    if (!found) {
      ErrorBox(nullptr, u"%s", u"Place not found\u00a1");
    } else {
      if (minutes != 0)
        if (CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance())
          phone->SetTimeLimitNotification(kLockNotificationId, minutes, kTimeLimitNone);
      if (CScheduleEngine* engine = CScheduleEngine::GetExisting()) engine->LockPlace(place);
      if (m_locationButton) m_locationButton->SetStatusValue(0);
      RefreshCurrentLocation();
    }
  }
  if (m_locationButton) SetFocus(m_locationButton->GetHwnd());
  EnableWindow(m_hwnd, TRUE);
  if (m_locationButton) InvalidateRect(m_locationButton->GetHwnd(), nullptr, TRUE);
  return 0;
}
