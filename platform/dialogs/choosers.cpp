// The file and colour choosers: what they ask is recorded, the scripted user answers.
#include <cstdio>

#include "platform/dialogs/commdlg.h"
#include "platform/files/files.h"
#include "platform/menus/answer_wait.h"
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

BOOL FileChooser(LPOPENFILENAMEW info, bool save) {
  chooser_error = 0;
  if (!info || !info->lpstrFile || info->nMaxFile == 0) {
    chooser_error = 0x0002;  // CDERR_INITIALIZATION
    return FALSE;
  }
  auto kind = save ? ce::scripted::Kind::kSaveFile : ce::scripted::Kind::kOpenFile;
  auto& user = ce::scripted::User::Get();
  ce::scripted::Shown shown{kind, Text(info->lpstrTitle), {}, 0, false, 0};
  shown.texts.push_back(u"folder: " + Text(info->lpstrInitialDir));
  shown.texts.push_back(u"file: " + Text(info->lpstrFile));
  for (auto& f : Filters(info->lpstrFilter)) shown.texts.push_back(u"filter: " + f);
  std::size_t record = user.Begin(shown);
  auto got = ce::menus::AwaitAnswer(kind, true);
  if (!got.answer) {
    if (!got.dismissed) user.Log(std::string(ce::scripted::KindName(kind)) + ": no scripted answer; cancelled");
    user.Finish(record, 0, false);
    return FALSE;
  }
  std::u16string path = got.answer->text;
  if (path.empty()) {
    user.Finish(record, 0, true);
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
    user.Finish(record, 0, true);
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
  user.Finish(record, 1, true);
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
  auto got = ce::menus::AwaitAnswer(ce::scripted::Kind::kColor, true);
  if (!got.answer || got.answer->value == 0) {
    if (!got.answer && !got.dismissed) user.Log("color: no scripted answer; cancelled");
    user.Finish(record, 0, got.answer.has_value());
    return FALSE;
  }
  info->rgbResult = got.answer->color & 0x00FFFFFFu;
  user.Finish(record, 1, true);
  return TRUE;
}

DWORD CommDlgExtendedError() { return chooser_error; }
