#include "cumulor/app/core/profiles.h"

#include <cstring>

#include "cumulor/app/base/text_file.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/task_document.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "platform/dialogs/dialogs.h"
#include "platform/files/files.h"
#include "platform/text/format.h"

namespace cumulor {
namespace {

constexpr const WCHAR* kFileStore = u"\\iPAQ File Store";
constexpr int kIdSave = 1000;        // .. 1002
constexpr int kIdRestore = 1003;     // .. 1005
constexpr int kIdName = 1006;        // .. 1008
constexpr int kIdTasksSave = 1009;
constexpr int kIdTasksRestore = 1010;
constexpr int kIdOkText = 1355;
constexpr int kIdStatus = 1442;
constexpr std::size_t kNameChars = 79;

struct Profiles {
  std::u16string folder;
  std::u16string names[kProfileCount] = {u"Name", u"Name", u"Name"};
  std::int32_t current = 0;
  std::u16string backup;  // the task backup
};

Profiles& State() {
  static Profiles profiles;
  return profiles;
}

bool FolderExists(const std::u16string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::u16string& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The markup the document writer escapes, back to its characters.
std::u16string Unescape(const std::u16string& text) {
  static const struct {
    const char16_t* entity;
    char16_t character;
  } kEntities[] = {{u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&amp;", u'&'}};
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& e : kEntities) {
      const std::u16string entity(e.entity);
      if (text.compare(i, entity.size(), entity) == 0) {
        out += e.character;
        i += entity.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

void SetStatus(HWND dialog, const WCHAR* text) { SetDlgItemTextW(dialog, kIdStatus, text); }

// The names on their buttons; an "&" is doubled so that it shows instead of marking a key.
void Relabel(HWND dialog) {
  for (std::int32_t n = 0; n < kProfileCount; ++n) {
    std::u16string label;
    for (char16_t c : State().names[n]) {
      if (c == u'&') label += u'&';
      label += c;
    }
    SetDlgItemTextW(dialog, kIdName + n, label.c_str());
  }
}

// The buttons and names from the files as they are now.
void Refresh(HWND dialog) {
  Profiles& s = State();
  EnableWindow(GetDlgItem(dialog, kIdTasksRestore), FileExists(s.backup) ? TRUE : FALSE);
  for (std::int32_t n = 0; n < kProfileCount; ++n) {
    s.names[n] = u"Name";
    const std::u16string file = ProfileFile(n);
    const bool exists = FileExists(file);
    EnableWindow(GetDlgItem(dialog, kIdRestore + n), exists ? TRUE : FALSE);
    if (!exists) continue;
    const std::u16string name = ReadProfileName(file.c_str());
    if (!name.empty()) s.names[n] = name;
  }
  Relabel(dialog);
}

void AskName(HWND dialog, std::int32_t n) {
  WCHAR buffer[kPadChars + 1] = {};
  const std::u16string& name = State().names[n];
  for (std::size_t i = 0; i < name.size() && i < kPadChars; ++i) buffer[i] = name[i];
  if (!EnterTextDialog(buffer, u"Name?", dialog)) return;
  State().names[n] = buffer;
  Relabel(dialog);
}

}  // namespace

void SelectStorageFolder(AppContext& app) {
  Profiles& s = State();
  s.folder.clear();
  if (FolderExists(kFileStore)) s.folder = kFileStore;
  else if (FolderExists(app.cardFolder)) s.folder = app.cardFolder;
}

const std::u16string& ProfileFolder() { return State().folder; }

std::u16string ProfileFile(std::int32_t n) {
  return ce::text::Format(u"%s\\KV_PROFILE_%d.XML", State().folder.c_str(), n + 1);
}

std::u16string& ProfileName(std::int32_t n) { return State().names[n >= 0 && n < kProfileCount ? n : 0]; }

std::int32_t CurrentProfile() { return State().current; }

std::int32_t SaveProfile(AppContext& app, std::int32_t n) {
  if (n < 0 || n >= kProfileCount) return 0;
  std::string name;
  for (char16_t c : State().names[n]) name += static_cast<char>(c < 0x100 ? c : '?');
  return SaveSettingsFile(app, ProfileFile(n).c_str(), name.c_str());
}

std::int32_t LoadProfile(AppContext& app, std::int32_t n) {
  if (n < 0 || n >= kProfileCount) return 2;
  return LoadSettingsFile(app, ProfileFile(n).c_str(), kSettingsProfile);
}

std::u16string ReadProfileName(const WCHAR* path) {
  const TextLines lines = ReadWholeFile(path);
  if (!lines.Loaded()) return {};
  for (std::int32_t i = 0; i < lines.LineCount(); ++i) {
    const char* line = lines.LineText(i);
    if (!std::strstr(line, "Profile")) continue;
    const char* open = std::strchr(line, '>');
    if (!open) return {};
    std::u16string name;
    for (const char* p = open + 1; *p && *p != '<' && name.size() < kNameChars; ++p)
      name += static_cast<char16_t>(static_cast<unsigned char>(*p));
    return Unescape(name);
  }
  return {};
}

INT_PTR ProfilesDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  AppContext* app = AppRecord();
  Profiles& s = State();
  switch (message) {
    case WM_INITDIALOG: {
      if (s.folder.empty()) {
        const std::u16string text = ce::text::Format(u"Directories '%s' and '%s' Not Found.", kFileStore,
                                                     app ? app->cardFolder : u"");
        MessageBoxOk(text.c_str());
        EndDialog(dialog, 0);
        return TRUE;
      }
      s.backup = s.folder + u"\\KV_TASKS.xml";
      Refresh(dialog);
      SetStatus(dialog, u"Ready.");
      return TRUE;
    }
    case WM_KEYDOWN: return EndDialogOnAppKey(dialog, wparam, 1);
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id >= kIdSave && id < kIdSave + kProfileCount && app) {
        SetStatus(dialog, u"Saving...");
        s.current = id - kIdSave;
        SaveProfile(*app, s.current);
        Refresh(dialog);
        SetStatus(dialog, ce::text::Format(u"Profile %d Saved.", s.current + 1).c_str());
        return TRUE;
      }
      if (id >= kIdRestore && id < kIdRestore + kProfileCount && app) {
        SetStatus(dialog, u"Restoring...");
        EndDialog(dialog, 1);
        LoadProfile(*app, id - kIdRestore);
        MapSetView(app->map, app->mapCentre.lon, app->mapCentre.lat, app->mapRotation);
        RefreshMapWindow(*app);
        return TRUE;
      }
      if (id >= kIdName && id < kIdName + kProfileCount) {
        AskName(dialog, id - kIdName);
        return TRUE;
      }
      if (id == kIdTasksSave && app) {
        SaveTasksFile(*app, s.backup.c_str());
        Refresh(dialog);
        SetStatus(dialog, u"Tasks Saved.");
        return TRUE;
      }
      if (id == kIdTasksRestore && app) {
        LoadTasksFile(*app, s.backup.c_str());
        SetStatus(dialog, u"Tasks Restored.");
        return TRUE;
      }
      if (id == IDOK || id == kIdOkText) {
        PlayMenuClick();
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (id == IDCANCEL || id == 193) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    }
    default: return FALSE;
  }
}

}  // namespace cumulor
