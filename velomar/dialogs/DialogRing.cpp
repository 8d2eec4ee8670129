#include "velomar/dialogs/DialogRing.h"

#include <memory>

#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/kernel/last_error.h"
#include "platform/sound/sound_profile.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Trace.h"
#include "velomar/dialogs/PageControls.h"
#include "velomar/places/ScheduleEngine.h"

namespace {
constexpr int kTypeList = 1065;
constexpr int kToneList = 1066;
constexpr int kPlay = 1057;
constexpr int kVolumeSpin = 1113;

struct RingType {
  int number;
  const WCHAR* script;
};
constexpr RingType kRingTypes[] = {{0, u"apw0r"}, {1, u"c50apw3c150r"}, {2, u"p"},  {3, u"av3w3r"},
                                   {4, u"av0pw3r"}, {5, u"v3w3apw3r"},  {6, u"a"}};

// The shell's ring tones of line 1, freed when the holder goes.
struct ToneList {
  SNDFILEINFO* entries = nullptr;
  int count = 0;
  ToneList() {
    if (FAILED(SndGetSoundFileList(SND_EVENT_RINGTONELINE1, 6, &entries, &count))) {
      entries = nullptr;
      count = 0;
    }
  }
  ~ToneList() {
    if (entries) LocalFree(entries);
  }
  ToneList(const ToneList&) = delete;
  ToneList& operator=(const ToneList&) = delete;
};

}  // namespace

CDialogRing::CDialogRing(HWND parent, UINT template_id) : CBaseDialog(template_id, parent, nullptr, 157) {}

bool CDialogRing::ScriptOfType(int number, std::u16string& script) {
  for (const RingType& type : kRingTypes) {
    if (type.number == number) {
      script = type.script;
      return true;
    }
  }
  return false;
}

int CDialogRing::TypeOfScript(const std::u16string& script) {
  for (const RingType& type : kRingTypes)
    if (script == type.script) return type.number;
  return -1;
}

bool CDialogRing::FindTonePath(const std::u16string& name, std::u16string& path) {
  ToneList tones;
  for (int i = 0; i < tones.count; ++i) {
    if (name == tones.entries[i].szDisplayName) {
      path = tones.entries[i].szPathName;
      return true;
    }
  }
  return false;
}

void CDialogRing::FillTones() {
  HWND combo = GetDlgItem(m_dialog, kToneList);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u""));
  ToneList tones;
  for (int i = 0; i < tones.count; ++i) {
    const auto index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tones.entries[i].szDisplayName));
    if (index >= 0 && m_tonePath == tones.entries[i].szPathName) SendMessageW(combo, CB_SETCURSEL, index, 0);
  }
}

void CDialogRing::FillTypes() {
  HWND combo = GetDlgItem(m_dialog, kTypeList);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  const auto empty = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u""));
  SendMessageW(combo, CB_SETITEMDATA, empty, -1);
  const std::u16string labels[] = {Text(u"RING"),    Text(u"INCREASING RING"),  Text(u"RING ONCE"),
                                   Text(u"VIBRATE"), Text(u"VIBRATE AND RING"), Text(u"VIBRATE AFTER RING"),
                                   Text(u"NONE")};
  for (const RingType& type : kRingTypes) {
    const auto index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(labels[type.number].c_str()));
    SendMessageW(combo, CB_SETITEMDATA, index, type.number);
  }
  const int wanted = m_ringScript.empty() ? -1 : TypeOfScript(m_ringScript);
  if (wanted < 0) return;
  const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == wanted) {
      SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      break;
    }
  }
}

INT_PTR CDialogRing::OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogRing::OnInit");
  FillTones();
  FillTypes();
  SetCaption(u"DIALOG_RING_TITLE");
  SetItemText(1105, u"DIALOG_PROFILES_TYPE");
  SetItemText(1106, u"DIALOG_PROFILES_TONE");
  SetItemText(kPlay, u"DIALOG_PROFILES_PLAY");
  SetItemText(1111, u"VOLUME");
  SendDlgItemMessageW(hwnd, kVolumeSpin, UDM_SETRANGE, 0, MAKELPARAM(5, 1));
  SendDlgItemMessageW(hwnd, kVolumeSpin, UDM_SETPOS, 0, MAKELPARAM(m_volume, 0));
  SetStandardSoftKeys(kCmdMenuKey, kCmdSave);
  return TRUE;
}

void CDialogRing::Play() {
  HWND combo = GetDlgItem(m_dialog, kToneList);
  const auto selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (selected < 1) {
    TextBox(m_dialog, u"%s", Text(u"PLEASE FILL DATA").c_str());
    return;
  }
  std::u16string path;
  FindTonePath(velomar::dialogs::ComboItemText(combo, static_cast<int>(selected)), path);
  velomar::schedule::StartOpenFile(path);
}

INT_PTR CDialogRing::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const UINT command = LOWORD(wparam);
  if (command == IDOK || command == kCmdSave) {
    const std::u16string preset = m_ringScript;
    HWND tones = GetDlgItem(hwnd, kToneList);
    const auto selected = SendMessageW(tones, CB_GETCURSEL, 0, 0);
    if (selected < 1) {
      m_toneName.clear();
      m_tonePath.clear();
    } else {
      m_toneName = velomar::dialogs::ComboItemText(tones, static_cast<int>(selected));
      m_volume = LOWORD(SendDlgItemMessageW(hwnd, kVolumeSpin, UDM_GETPOS, 0, 0));
      FindTonePath(m_toneName, m_tonePath);
      HWND types = GetDlgItem(hwnd, kTypeList);
      const auto type = SendMessageW(types, CB_GETCURSEL, 0, 0);
      std::u16string script;
      if (type >= 0 && ScriptOfType(static_cast<int>(SendMessageW(types, CB_GETITEMDATA, type, 0)), script))
        m_ringScript = script;
    }
    m_scriptChanged = m_ringScript != preset ? 1 : 0;
    EndDialog(hwnd, 1);
  } else if (command == IDCANCEL) {
    EndDialog(hwnd, 2);
  } else if (command == kPlay) {
    Play();
  }
  return TRUE;
}
