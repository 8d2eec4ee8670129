// The main window's command table: the soft keys, the menu items and the buttons, the close
// command, the database maintenance, the test commands and the reports, and the worker statistics.
#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/devicelibs/toolhelp.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/threads.h"
#include "platform/registry/registry.h"
#include "platform/sound/sound_profile.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/Stopwatch.h"
#include "velomar/core/Trace.h"
#include "velomar/core/app/App.h"
#include "velomar/core/managers/BacklightMgr.h"
#include "velomar/core/managers/BeamMgr.h"
#include "velomar/core/managers/CallForwardMgr.h"
#include "velomar/core/managers/MessageMgr.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/core/managers/SpeakerMgr.h"
#include "velomar/places/DB.h"
#include "velomar/places/Records.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/DatabaseCommands.h"
#include "velomar/ui/Translator.h"
#include "velomar/ui/WindowMain.h"

namespace {

// Command ids.
enum Command : int {
  kHideKey = 5,
  kAbout = 9,
  kTestLocationIds = 10,
  kDumpPlaces = 100,
  kDeletePlaces = 101,
  kUpdatePlace = 102,
  kBluetoothButton = 103,
  kSpeakerButton = 104,
  kWifiButton = 105,
  kLocationButton = 106,
  kPhoneButton = 107,
  kConnectionsButton = 108,
  kBandButton = 110,
  kHideButton = 111,
  kRefreshButton = 112,
  kExit = 1234,
  kOptions = 40002,
  kTestLocationIds2 = 40036,
  kBackup = 40047,
  kRestore = 40048,
  kIntegrity = 40049,
  kFormat = 40050,
  kTestBattery = 40052,
  kTestSignal = 40053,
  kTestLocation1 = 40054,
  kTestRestart = 40057,
  kImportXml = 40059,
  kExportXml = 40060,
  kForwardOff = 40094,
  kForwardOn = 40095,
  kTestRic = 40109,
  kBeamOn = 40111,
  kBeamOff = 40112,
  kTestLocation2 = 40115,
  kSendMail = 40116,
  kProviders = 40117,
  kSendSms = 40118,
  kVolume0 = 40127,
  kVolume80 = 40131,
  kVolume100 = 40132,
  kBacklight = 40133,
  kTodayTheme = 40135,
  kRingTone = 40136,
  kMemory = 40223,
  kLocationReport = 40224,
  kNewPlace = 40229,
  kAssign = 40231,
  kSchedule = 40232,
  kActions = 40233,
  kLock = 40235,
  kUnlock = 40237,
  kHelp = 40241,
};

// The lock's time-limit notification is kept under this key by the phone manager.
constexpr int kLockNotificationKey = 8;

constexpr const WCHAR* kBacklightKey = u"\\ControlPanel\\BackLight";
constexpr const WCHAR* kRingVolumeKey = u"\\ControlPanel\\SoundCategories\\Ring";
constexpr const WCHAR* kRingScriptKey = u"\\ControlPanel\\Sounds\\RingTone0";

// The radio test runs on a thread of its own while this is set.
std::atomic<bool> g_radioTestOn{false};

CTranslator* Texts() { return CTranslator::GetInstance(); }

DWORD RadioTestThread(LPVOID) {
  if (CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance()) phone->Test();
  return 0;
}

}  // namespace

LRESULT CWindowMain::OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  const int command = LOWORD(wparam);
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  bool handled = false;
  try {
    handled = RunCommand(command);
  } catch (...) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    throw;
  }
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  if (!handled) return DefWindowProcW(hwnd, msg, wparam, lparam);
  return 0;
}

bool CWindowMain::RunCommand(int command) {
  CRilMgr* radio = CRilMgr::GetInstance();
  CScheduleEngine* engine = CScheduleEngine::GetExisting();
  CDB* db = CDB::GetInstance();
  switch (command) {
    case kHideKey:
    case kHideButton: HideWindow(); return true;
    case kRefreshButton: RefreshNotificationsDebugInfo(); return true;
    case kExit:
      SetCloseRequested(true);
      PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
      return true;
    case kAbout:
      m_modal = 1;
      RunAboutDialog(TemplateByOrientation(115, 116, 135));
      m_modal = 0;
      return true;
    case kHelp: ShowMainWindowHelp(); return true;
    case kOptions: OpenOptionsSheet(0); return true;
    case kNewPlace: AddPlaceForCurrentLocation(); return true;
    case kAssign: OnAssignPlace(); return true;
    case kSchedule:
    case kActions: OpenOptionsSheet(1); return true;
    case kLock: OnLockPopup(m_hwnd, 0); return true;
    case kUnlock: UnlockPlace(); return true;
    case kBluetoothButton: OnBTPopup(m_hwnd); return true;
    case kSpeakerButton: OnSpeakerPopup(m_hwnd); return true;
    case kWifiButton: OnWifiPopup(m_hwnd); return true;
    case kConnectionsButton: OnConnectionsPopup(m_hwnd); return true;
    case kBandButton: OnBandPopup(m_hwnd); return true;
    case kLocationButton: OnPlacesPopup(m_hwnd); return true;
    case kPhoneButton: OnPhonePopup(m_hwnd); return true;

    case kBackup:
      if (db) velomar::ui::BackupDatabase(*db, m_hwnd);
      return true;
    case kRestore:
      if (db && velomar::ui::RestoreDatabase(*db, m_hwnd)) AfterDatabaseChange();
      return true;
    case kIntegrity:
      if (db) velomar::ui::CheckDatabaseIntegrity(*db, m_hwnd);
      return true;
    case kFormat:
      if (db && velomar::ui::FormatDatabase(*db, m_hwnd)) AfterDatabaseChange();
      return true;
    case kImportXml:
      if (db && velomar::ui::ImportExchangeFile(*db, m_hwnd)) AfterDatabaseChange();
      return true;
    case kExportXml:
      if (db) db->ExportXML();
      return true;

    case kTestBattery:
    case kTestSignal:
      if (radio) {
        const bool battery = command == kTestBattery;
        int value = (battery ? radio->GetBatteryPercent() : radio->GetSignalPercent()) - 5;
        if (value < 0) value = 100;
        if (battery) {
          radio->SetBatteryPercent(value);
        } else {
          radio->SetSignalPercent(value);
        }
        radio->RefreshMainWindow();
      }
      return true;
    case kTestLocation1:
      if (radio) radio->PositionChanged(1, 1, 0);
      InvalidateRect(m_hwnd, nullptr, TRUE);
      UpdateWindow(m_hwnd);
      return true;
    case kTestLocation2:
      if (radio) {
        radio->PositionChanged(2, 2, 1);
        radio->FireStatusChanged(RIL_EVENT_POSITION);
      }
      return true;
    case kTestLocationIds:
    case kTestLocationIds2:
      if (radio) {
        radio->SetCellId(1);
        radio->SetLac(1);
        radio->FireStatusChanged(RIL_EVENT_POSITION);
      }
      return true;
    case kTestRestart: RequestRestart(); return true;
    case kTestRic:
      // The flag only switches; the test, once started, runs its rounds to their end.
      if (!g_radioTestOn.exchange(!g_radioTestOn.load())) {
        if (HANDLE thread = CreateThread(nullptr, 0, RadioTestThread, nullptr, 0, nullptr)) CloseHandle(thread);
      }
      return true;
    case kSendMail: SendTestMessage(0); return true;
    case kSendSms: SendTestMessage(1); return true;
    case kProviders:
      if (CMessageMgr* messages = CMessageMgr::GetInstance()) {
        std::vector<std::u16string> accounts;
        messages->GetAccounts(&accounts);
        for (const std::u16string& account : accounts) TextBox(m_hwnd, u"%s", account.c_str());
      }
      return true;
    case kBeamOn:
    case kBeamOff:
      if (CBeamMgr* beam = CBeamMgr::GetInstance()) beam->SetStatus(command == kBeamOn ? 1 : 0, 0, 0, 0);
      return true;
    case kForwardOn: {
      std::u16string number;
      // Only a number the user confirmed is forwarded to.
      if (RunCallForwardDialog(number))
        if (CCallForwardMgr* forward = CCallForwardMgr::GetInstance()) forward->Forward(1, number);
      return true;
    }
    case kForwardOff:
      if (CCallForwardMgr* forward = CCallForwardMgr::GetInstance()) forward->Forward(0, u"");
      return true;
    case kBacklight: OnBacklight(); return true;
    case kTodayTheme: {
      std::u16string theme;
      if (RunThemeDialog(theme) && engine) engine->ApplyTheme(theme);
      return true;
    }
    case kRingTone: OnRingTone(); return true;
    case kMemory: OnMemoryReport(); return true;
    case kLocationReport: OnLocationReport(); return true;

    case kDumpPlaces:
      if (db) db->GetPlacesTable()->Dump();
      return true;
    case kDeletePlaces:
      if (db) db->GetPlacesTable()->DeleteAll();
      return true;
    case kUpdatePlace:
      if (db) {
        CStrPlace place(u"Nombre modificado", u"Descripcion modificada", u"Mi imagen", 6);
        db->GetPlacesTable()->Update(place);
      }
      return true;
    default: break;
  }
  if (command >= kVolume0 && command <= kVolume100) {
    if (CSpeakerMgr* speaker = CSpeakerMgr::GetInstance()) {
      // The five lower levels are 0..4; the top one is 100.
      speaker->SetPendingValue(command == kVolume100 ? 100 : command - kVolume0);
      speaker->SetStatus(2, 0, 0, 0);
    }
    return true;
  }
  return false;
}

int CWindowMain::TemplateByOrientation(int portrait, int landscape, int square) {
  switch (GetOrientation()) {
    case 1: return landscape;
    case 2: return square;
    default: return portrait;
  }
}

void CWindowMain::HideWindow() {
  SetShown(false);
  ShowWindow(m_hwnd, SW_HIDE);
}

void CWindowMain::AfterDatabaseChange() {
  if (CScheduleEngine* engine = CScheduleEngine::GetExisting()) engine->ChangeInDB();
  RefreshNotificationsDebugInfo();
  RefreshCurrentLocation();
}

void CWindowMain::OpenOptionsSheet(int page) {
  EnableWindow(m_hwnd, FALSE);
  m_modal = 1;
  try {
    RunOptionsSheet(page);
  } catch (...) {
    m_modal = 0;
    EnableWindow(m_hwnd, TRUE);
    throw;
  }
  m_modal = 0;
  EnableWindow(m_hwnd, TRUE);
  RefreshCurrentLocation();
}

void CWindowMain::AddPlaceForCurrentLocation() {
  m_modal = 1;
  EnableWindow(m_hwnd, FALSE);
  try {
    CStrPlace place;
    if (RunAddPlaceDialog(TemplateByOrientation(107, 108, 108), place)) {
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      CRilMgr* radio = CRilMgr::GetInstance();
      CDB* db = CDB::GetInstance();
      if (radio && db) {
        std::unique_ptr<CStrLocation> location = CreateLocationRecord();
        location->SetValue(static_cast<int>(radio->GetLocationKey()));
        location->SetPlace(place.GetIdPlace());
        db->GetLocationTable()->Insert(*location);
      }
      if (CScheduleEngine* engine = CScheduleEngine::GetExisting()) engine->ChangeInDB();
      RefreshCurrentLocation();
      // The new place's schedule is entered next.
      OpenOptionsSheet(1);
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
  } catch (...) {
    EnableWindow(m_hwnd, TRUE);
    m_modal = 0;
    throw;
  }
  EnableWindow(m_hwnd, TRUE);
  m_modal = 0;
}

void CWindowMain::UnlockPlace() {
  if (CScheduleEngine* engine = CScheduleEngine::GetExisting()) engine->SetLocked(0);
  if (CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance()) phone->ClearTimeLimitNotification(kLockNotificationKey);
  if (CRilMgr* radio = CRilMgr::GetInstance()) radio->RefreshStatus(1);
  if (CScheduleEngine* engine = CScheduleEngine::GetExisting()) engine->ChangeInDB();
  RefreshCurrentLocation();
}

void CWindowMain::SendTestMessage(int mode) {
  std::u16string to, subject, text;
  if (!RunMessageDialog(TemplateByOrientation(157, 158, 159), mode, to, subject, text)) return;
  CMessageMgr* messages = CMessageMgr::GetInstance();
  if (!messages) return;
  if (mode == 0) {
    messages->SendMail(to, subject, text, static_cast<int>(CConfig::GetInstance()->GetDWORD(u"mail_provider")));
  } else {
    messages->SendSMS(to, text);
  }
}

void CWindowMain::OnBacklight() {
  DWORD battery = 0, external = 0;
  RegistryGetDWORD(HKEY_CURRENT_USER, kBacklightKey, u"BrightNess", &battery);
  RegistryGetDWORD(HKEY_CURRENT_USER, kBacklightKey, u"ACBrightNess", &external);
  // OK and Cancel alike apply what the dialog holds (the preset values when cancelled).
  if (RunBacklightDialog(battery, external) != 0)
    if (CBacklightMgr* backlight = CBacklightMgr::GetInstance()) backlight->SetBrightness(battery, external);
}

void CWindowMain::OnRingTone() {
  DWORD volume = 0;
  RegistryGetDWORD(HKEY_CURRENT_USER, kRingVolumeKey, u"InitVol", &volume);
  SNDFILEINFO sound{};
  SndGetSound(SND_EVENT_RINGTONELINE1, &sound);
  sound.szPathName[MAX_PATH - 1] = 0;
  std::u16string file = sound.szPathName;
  WCHAR script_text[MAX_PATH] = {};
  RegistryGetString(HKEY_CURRENT_USER, kRingScriptKey, u"Script", script_text, MAX_PATH);
  std::u16string script = script_text;
  bool script_changed = false;
  if (!RunRingDialog(volume, file, script, script_changed)) return;
  RegistrySetDWORD(HKEY_CURRENT_USER, kRingVolumeKey, u"InitVol", volume);
  SNDFILEINFO chosen{};
  const std::size_t n = std::min<std::size_t>(file.size(), MAX_PATH - 1);
  std::copy_n(file.begin(), n, chosen.szPathName);
  chosen.sstType = SND_SOUNDTYPE_FILE;
  SndSetSound(SND_EVENT_RINGTONELINE1, &chosen, TRUE);
  if (script_changed) RegistrySetString(HKEY_CURRENT_USER, kRingScriptKey, u"Script", script.c_str());
}

void CWindowMain::OnMemoryReport() {
  CStopwatch watch;
  watch.Start();
  DWORD total = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPHEAPLIST, 0);
  if (snapshot != INVALID_HANDLE_VALUE && snapshot != nullptr) {
    HEAPLIST32 heap{};
    heap.dwSize = sizeof heap;
    for (BOOL more = Heap32ListFirst(snapshot, &heap); more; more = Heap32ListNext(snapshot, &heap)) {
      HEAPENTRY32 block{};
      block.dwSize = sizeof block;
      for (BOOL next = Heap32First(snapshot, &block, heap.th32ProcessID, heap.th32HeapID); next;
           next = Heap32Next(snapshot, &block))
        total += block.dwBlockSize;
    }
    CloseToolhelp32Snapshot(snapshot);
  }
  watch.Stop();
  TextBox(m_hwnd, Texts()->GetText(u"MEMORY REPORT").c_str(), total, static_cast<double>(watch.Elapsed()) * 1000.0);
}

void CWindowMain::OnLocationReport() {
  CRilMgr* radio = CRilMgr::GetInstance();
  const DWORD answers = radio ? radio->GetCellAnswerCount() : 0;
  const DWORD notifications = radio ? radio->GetNotifyCount() : 0;
  TextBox(m_hwnd, Texts()->GetText(u"LOCATION REPORT").c_str(), answers, notifications);
}
