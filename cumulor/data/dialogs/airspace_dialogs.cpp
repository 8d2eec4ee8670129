#include "cumulor/data/dialogs/airspace_dialogs.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/data/airspace/airspace_switchoff.h"
#include "cumulor/data/airspace/airspace_texts.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/sound/sound.h"
#include "platform/time/time.h"

namespace cumulor {

namespace {

constexpr int kFontRoleDialogText = 13;

void SetText(HWND dialog, int id, const std::u16string& text) {
  if (HWND item = GetDlgItem(dialog, id)) SetWindowTextW(item, reinterpret_cast<LPCWSTR>(text.c_str()));
}

std::u16string Wide(const char* text) {
  std::u16string out;
  for (; *text; ++text) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*text)));
  return out;
}

void UseFont(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  HFONT* font = FontHandleSlot(kFontRoleDialogText);
  if (item && font && *font) SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(*font), TRUE);
}

// ---- "Airspace Alarm" ----

void AlarmInit(HWND dialog, const AirspaceAlarmDialogArgs& args) {
  SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  for (int id : {1222, 1227, 1225, 1226}) UseFont(dialog, id);
  const AirspaceAlarm& a = args.alarm;
  SetText(dialog, 1222, reinterpret_cast<const char16_t*>(a.name));
  SetText(dialog, 1226, reinterpret_cast<const char16_t*>(a.groupName));
  SetText(dialog, 1223, reinterpret_cast<const char16_t*>(a.floorText));
  SetText(dialog, 1224, reinterpret_cast<const char16_t*>(a.ceilingText));
  char text[64];
  std::snprintf(text, sizeof(text), "%u", a.horizontalDistance);
  SetText(dialog, 1227, Wide(text));
  const std::int64_t feet = a.verticalDistance < 0 ? -std::int64_t{a.verticalDistance} : a.verticalDistance;
  const std::int64_t metres = static_cast<std::int64_t>(static_cast<double>(feet) * 0.30480370641307);
  if (a.verticalDistance < 0)
    std::snprintf(text, sizeof(text), "%lldft (%lldm) Below", static_cast<long long>(feet), static_cast<long long>(metres));
  else if (a.verticalDistance > 0)
    std::snprintf(text, sizeof(text), "%lldft (%lldm) Above", static_cast<long long>(feet), static_cast<long long>(metres));
  else
    std::snprintf(text, sizeof(text), "At SUA Altitude");
  SetText(dialog, 1225, Wide(text));
  std::snprintf(text, sizeof(text), "%d m", static_cast<int>(static_cast<double>(a.altitude) * 0.30480370641307));
  SetText(dialog, 1228, Wide(text));
  std::snprintf(text, sizeof(text), "%d ft", a.altitude);
  SetText(dialog, 1229, Wide(text));
  std::snprintf(text, sizeof(text), "FL %d.%01d", a.pressureAltitude / 100, (a.pressureAltitude % 100) / 10);
  SetText(dialog, 1232, Wide(text));
}

// ---- "DISABLED Airspace" (one open at a time: it is modal on the UI thread) ----

std::vector<AirspaceShapeRef>& ListedShapes() {
  static std::vector<AirspaceShapeRef> refs;
  return refs;
}

AirspaceModule*& DisabledModule() {
  static AirspaceModule* module = nullptr;
  return module;
}

void FillDisabledList(HWND dialog, AirspaceModule& module) {
  HWND list = GetDlgItem(dialog, 1234);
  if (!list) return;
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  AirspaceExpireDisabled(module);
  struct Entry {
    std::u16string text;
    AirspaceShapeRef ref;
  };
  std::vector<Entry> entries;
  {
    std::lock_guard guard(module.lock);
    for (int g = kGroupClassB; g <= kGroupBorder; ++g) {
      const AirspaceClassGroup& group = module.group[g];
      for (std::size_t i = 0; i < group.shapes.size(); ++i) {
        const AirspaceShape& s = group.shapes[i];
        const std::uint32_t until = SwitchedOffUntil(s);
        if (until == 0) continue;
        entries.push_back({std::u16string(reinterpret_cast<const char16_t*>(group.name)) + u":" +
                               std::u16string(reinterpret_cast<const char16_t*>(s.name)) + u" (" +
                               (until == kAirspaceOffForTheDay ? u"all day" : u"3 min") + u")",
                           AirspaceShapeRef{module.loadNumber, g, static_cast<std::int32_t>(i), s.id}});
      }
    }
  }
  std::vector<AirspaceShapeRef>& refs = ListedShapes();   // item data indexes into this list
  refs.clear();
  if (entries.empty()) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"No Disabled Airspace"));
    SendMessageW(list, LB_SETITEMDATA, 0, static_cast<LPARAM>(-1));
  }
  for (const Entry& e : entries) {
    const LRESULT at = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.text.c_str()));
    refs.push_back(e.ref);
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(refs.size() - 1));
  }
  SendMessageW(list, LB_SETCURSEL, 0, 0);
}

}  // namespace

INT_PTR AirspaceAlarmDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, GWL_USERDATA, lparam);
      if (lparam) AlarmInit(dialog, *reinterpret_cast<const AirspaceAlarmDialogArgs*>(lparam));
      return TRUE;
    case WM_COMMAND: {
      auto* args = reinterpret_cast<AirspaceAlarmDialogArgs*>(GetWindowLongPtrW(dialog, GWL_USERDATA));
      const int id = LOWORD(wparam);
      if (id == 1211 || id == 1460) {
        PlayMenuClick();
        if (args && args->module)
          AirspaceSwitchOff(*args->module, args->alarm.shape,
                            id == 1211 ? kAirspaceOffForTheDay : GetTickCount() + kSwitchOffMinutes);
        EndDialog(dialog, id);
        return TRUE;
      }
      if (id == 193 || id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
        return TRUE;
      }
      return FALSE;
    }
    default: return FALSE;
  }
}

INT_PTR DisabledAirspaceDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      DisabledModule() = reinterpret_cast<AirspaceModule*>(lparam);
      if (lparam) FillDisabledList(dialog, *reinterpret_cast<AirspaceModule*>(lparam));
      return TRUE;
    case WM_COMMAND: {
      AirspaceModule* module = DisabledModule();
      const int id = LOWORD(wparam);
      if (id == 1233 && module) {
        PlayMenuClick();
        HWND list = GetDlgItem(dialog, 1234);
        const LRESULT at = list ? SendMessageW(list, LB_GETCURSEL, 0, 0) : -1;
        const LRESULT data = at >= 0 ? SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(at), 0) : -1;
        const std::vector<AirspaceShapeRef>& refs = ListedShapes();
        if (data >= 0 && static_cast<std::size_t>(data) < refs.size()) AirspaceEnable(*module, refs[static_cast<std::size_t>(data)]);
        FillDisabledList(dialog, *module);
        return TRUE;
      }
      if (id == IDOK || id == IDCANCEL) {
        PlayMenuClick();
        DisabledModule() = nullptr;
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      return FALSE;
    }
    case WM_KEYDOWN:
      if (IsAppKey(wparam)) {
        DisabledModule() = nullptr;
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

INT_PTR AltitudeWarningDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      const std::u16string text = lparam ? std::u16string(reinterpret_cast<const char16_t*>(lparam)) : u"";
      const std::size_t split = text.find(u'\n');
      UseFont(dialog, 1278);
      UseFont(dialog, 1279);
      SetText(dialog, 1278, text.substr(0, split));
      SetText(dialog, 1279, split == std::u16string::npos ? u"" : text.substr(split + 1));
      sndPlaySoundW(u"Alarm1.wav", SND_SYNC);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == 1 || id == 2) {
        EndDialog(dialog, id);
        return TRUE;
      }
      return FALSE;
    }
    default: return FALSE;
  }
}

INT_PTR ExportDataDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER); return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == 1000) {
        if (ExportAeroData(u"\\KV_Export.txt")) SetText(dialog, 1000, u"Done.");
        return TRUE;
      }
      if (id == 1 || id == 1355) {
        PlayMenuClick();
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (id == 2 || id == 193) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    }
    case WM_KEYDOWN: return EndDialogOnAppKey(dialog, wparam, 1);
    default: return FALSE;
  }
}

void RunAirspaceAlarmDialog(AirspaceModule& module, HWND owner, const AirspaceAlarm& alarm) {
  AirspaceAlarmDialogArgs args;
  args.module = &module;
  args.alarm = alarm;
  RunDialog(kAirspaceAlarmDialog, owner, AirspaceAlarmDialogProc, reinterpret_cast<LPARAM>(&args));
}

}  // namespace cumulor
