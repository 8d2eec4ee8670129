// The file and colour choosers: what they ask is recorded; the scripted user answers, or a person
// in the drawn chooser when no answer is waiting and someone can answer.
#include <cstdio>

#include "platform/dialogs/chooser_internal.h"
#include "platform/dialogs/commdlg.h"
#include "platform/files/files.h"
#include "platform/scripted/scripted_user.h"
#include "platform/text/utf.h"

namespace {

thread_local DWORD chooser_error = 0;

std::u16string Text(LPCWSTR s) { return s ? std::u16string(ce::text::WideView(s)) : std::u16string(); }

// The filter's pairs ("Text files\0*.txt\0...\0\0") as "Text files (*.txt)".
std::vector<std::u16string> Filters(LPCWSTR filter) {
  std::vector<std::u16string> out;
  if (!filter) return out;
  for (int guard = 0; *filter && guard < 64; ++guard) {
    std::u16string name(ce::text::WideView(filter));
    filter += name.size() + 1;
    std::u16string pattern(ce::text::WideView(filter));
    filter += pattern.size() + 1;
    out.push_back(name + u" (" + pattern + u")");
    if (pattern.empty()) break;
  }
  return out;
}

// Where the drawn chooser starts: the caller's folder, else the folder of the proposed file, else
// "\My Documents", else the root; always a folder of the device.
std::u16string StartFolder(const OPENFILENAMEW& info) {
  std::vector<std::u16string> candidates;
  std::u16string initial = Text(info.lpstrInitialDir);
  if (!initial.empty() && initial != u".") candidates.push_back(initial);
  std::u16string file = Text(info.lpstrFile);
  if (std::size_t slash = file.find_last_of(u"\\/"); slash != std::u16string::npos) candidates.push_back(file.substr(0, slash + 1));
  candidates.push_back(u"\\My Documents");
  for (auto& c : candidates) {
    auto clean = ce::dialogs::CleanDevicePath(c);
    if (!clean) continue;
    DWORD a = GetFileAttributesW(clean->c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) return *clean;
  }
  return u"\\";
}

ce::dialogs::FileRequest RequestOf(const OPENFILENAMEW& info, bool save) {
  ce::dialogs::FileRequest r;
  r.save = save;
  r.title = Text(info.lpstrTitle);
  for (LPCWSTR f = info.lpstrFilter; f && *f && r.filters.size() < 64;) {
    std::u16string name(ce::text::WideView(f));
    f += name.size() + 1;
    std::u16string pattern(ce::text::WideView(f));
    f += pattern.size() + 1;
    r.filters.emplace_back(name, pattern);
    if (pattern.empty()) break;
  }
  r.filter = info.nFilterIndex > 0 ? static_cast<int>(info.nFilterIndex) - 1 : 0;
  r.folder = StartFolder(info);
  std::u16string file = Text(info.lpstrFile);
  std::size_t slash = file.find_last_of(u"\\/");
  r.name = slash == std::u16string::npos ? file : file.substr(slash + 1);
  r.def_ext = Text(info.lpstrDefExt);
  return r;
}

BOOL FileChooser(LPOPENFILENAMEW info, bool save) {
  chooser_error = 0;
  if (!info || !info->lpstrFile || info->nMaxFile == 0) {
    chooser_error = 0x0002;  // CDERR_INITIALIZATION
    return FALSE;
  }
  auto kind = save ? ce::scripted::Kind::kSaveFile : ce::scripted::Kind::kOpenFile;
  const std::string kind_name = ce::scripted::KindName(kind);
  auto& user = ce::scripted::User::Get();
  ce::scripted::Shown shown{kind, Text(info->lpstrTitle), {}, 0, false, 0};
  shown.texts.push_back(u"folder: " + Text(info->lpstrInitialDir));
  shown.texts.push_back(u"file: " + Text(info->lpstrFile));
  for (auto& f : Filters(info->lpstrFilter)) shown.texts.push_back(u"filter: " + f);
  std::size_t record = user.Begin(shown);
  // A scripted answer waiting is taken at once; otherwise the chooser is drawn when someone can
  // answer it (held answers, a person at the screen), else it is cancelled.
  std::optional<ce::scripted::Answer> answer = user.Take(kind);
  std::u16string path;
  bool person = false, dismissed = false;
  if (!answer && ce::dialogs::DrawChoosers()) {
    auto request = RequestOf(*info, save);
    auto end = ce::dialogs::RunFileChooser(info->hwndOwner, request, kind);
    answer = std::move(end.answer);
    person = end.ok;
    dismissed = !answer && !person && !end.unanswered;
    if (person) path = request.path;
  }
  if (!answer && !person) {
    if (!dismissed) user.Log(kind_name + ": no scripted answer; cancelled");
    user.Finish(record, 0, false);
    return FALSE;
  }
  if (answer) path = answer->text;
  const bool scripted = !person;
  if (path.empty()) {
    user.Finish(record, 0, scripted);
    return FALSE;
  }
  if (!ce::dialogs::CleanDevicePath(path)) {
    user.Log(kind_name + ": the path " + ce::text::ToUtf8(path) + " leads outside the device; cancelled");
    user.Finish(record, 0, false);
    return FALSE;
  }
  std::size_t slash = path.find_last_of(u'\\');
  std::size_t name_at = slash == std::u16string::npos ? 0 : slash + 1;
  if (save && info->lpstrDefExt && *info->lpstrDefExt && path.find(u'.', name_at) == std::u16string::npos)
    path += u"." + Text(info->lpstrDefExt);
  if (!save && (info->Flags & OFN_FILEMUSTEXIST) && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    user.Log("open-file: the scripted file " + ce::text::ToUtf8(path) + " does not exist; cancelled");
    user.Finish(record, 0, false);
    return FALSE;
  }
  if (path.size() + 1 > info->nMaxFile) {
    // The buffer is too small: its first character receives the length needed.
    if (info->nMaxFile >= 1) info->lpstrFile[0] = static_cast<WCHAR>(std::min<std::size_t>(path.size() + 1, 0xFFFF));
    chooser_error = FNERR_BUFFERTOOSMALL;
    user.Finish(record, 0, scripted);
    return FALSE;
  }
  std::copy(path.begin(), path.end(), info->lpstrFile);
  info->lpstrFile[path.size()] = 0;
  info->nFileOffset = static_cast<WORD>(name_at);
  std::size_t dot = path.find_last_of(u'.');
  info->nFileExtension = static_cast<WORD>(dot != std::u16string::npos && dot >= name_at ? dot + 1 : 0);
  if (info->lpstrFileTitle && info->nMaxFileTitle > 0) {
    std::u16string title = path.substr(name_at).substr(0, info->nMaxFileTitle - 1);
    std::copy(title.begin(), title.end(), info->lpstrFileTitle);
    info->lpstrFileTitle[title.size()] = 0;
  }
  user.Finish(record, 1, scripted);
  return TRUE;
}

}  // namespace

BOOL GetOpenFileNameW(LPOPENFILENAMEW info) { return FileChooser(info, false); }
BOOL GetSaveFileNameW(LPOPENFILENAMEW info) { return FileChooser(info, true); }

BOOL ChooseColorW(LPCHOOSECOLORW info) {
  chooser_error = 0;
  if (!info) {
    chooser_error = 0x0002;
    return FALSE;
  }
  auto& user = ce::scripted::User::Get();
  ce::scripted::Shown shown{ce::scripted::Kind::kColor, u"Color", {}, 0, false, 0};
  if (info->Flags & CC_RGBINIT) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", info->rgbResult & 0xFF, (info->rgbResult >> 8) & 0xFF,
                  (info->rgbResult >> 16) & 0xFF);
    shown.texts.push_back(u"initial: " + ce::text::FromUtf8(buf));
  }
  std::size_t record = user.Begin(shown);
  std::optional<ce::scripted::Answer> answer = user.Take(ce::scripted::Kind::kColor);
  bool dismissed = false;
  if (!answer && ce::dialogs::DrawChoosers()) {
    COLORREF color = (info->Flags & CC_RGBINIT) ? info->rgbResult : RGB(0, 0, 0);
    auto end = ce::dialogs::RunColorChooser(info->hwndOwner, color, info->lpCustColors);
    if (end.ok) {
      info->rgbResult = color & 0x00FFFFFFu;
      user.Finish(record, 1, false);
      return TRUE;
    }
    answer = std::move(end.answer);
    dismissed = !answer && !end.unanswered;
  }
  if (!answer || answer->value == 0) {
    if (!answer && !dismissed) user.Log("color: no scripted answer; cancelled");
    user.Finish(record, 0, answer.has_value());
    return FALSE;
  }
  info->rgbResult = answer->color & 0x00FFFFFFu;
  user.Finish(record, 1, true);
  return TRUE;
}

DWORD CommDlgExtendedError() { return chooser_error; }
