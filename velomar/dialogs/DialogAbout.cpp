#include "velomar/dialogs/DialogAbout.h"

#include <cstdio>

#include "platform/gdi/gdi.h"
#include "platform/text/format.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/Trace.h"
#include "velomar/dialogs/DialogTextViewer.h"
#include "velomar/dialogs/ScreenMode.h"
#include "velomar/ui/Translator.h"

namespace {
constexpr int kProgramLine = 1121;
constexpr int kBuildLine = 1015;
constexpr int kTranslatorLine = 1114;
constexpr std::size_t kPathChars = 259;
}  // namespace

CDialogAbout::CDialogAbout(HWND parent, UINT template_id) : CBaseDialog(template_id, parent, nullptr, 142) {
  LOGFONTW font{};
  font.lfHeight = 14;
  font.lfWeight = 700;
  font.lfCharSet = 1;
  font.lfQuality = 5;
  const char16_t face[] = u"Tahoma";
  std::copy(std::begin(face), std::end(face), font.lfFaceName);
  m_captionFont = CreateFontIndirectW(&font);
}

CDialogAbout::~CDialogAbout() {
  if (m_captionFont) DeleteObject(m_captionFont);
}

std::u16string CDialogAbout::BuildStamp() {
  // The compiler's stamp: "Mmm dd yyyy" (day padded with a blank) and "hh:mm:ss".
  char month[4] = {};
  int day = 0;
  int year = 0;
  std::sscanf(__DATE__, "%3s %d %d", month, &day, &year);
  char line[64] = {};
  std::snprintf(line, sizeof line, "%s %d %d - %s", month, day, year, __TIME__);
  return ce::text::FromUtf8(line);
}

INT_PTR CDialogAbout::OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogAbout::OnInit");
  for (int id : {kProgramLine, kBuildLine, kTranslatorLine})
    SendDlgItemMessageW(hwnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(m_captionFont), TRUE);
  CTranslator* texts = CTranslator::GetInstance();
  SetDlgItemTextW(hwnd, kBuildLine, (texts->GetText(u"BUILD TIME") + BuildStamp()).c_str());
  const std::u16string version = CConfig::GetInstance()->GetString(u"current_version");
  SetDlgItemTextW(hwnd, kProgramLine, ce::text::Format(u"Velomar %s", version.c_str()).c_str());
  SetCaption(u"ABOUT TITLE");
  SetDlgItemTextW(hwnd, kTranslatorLine,
                  (texts->GetText(u"DIALOG_ABOUT_TRANSLATOR") + texts->GetAuthor()).c_str());
  SetSoftKeyText(kCmdLeftKey, texts->GetText(u"MENU_QXT"));
  SetSoftKeyText(kCmdMenuKey, texts->GetText(u"MENU_MENU"));
  ReplaceMenuItem(kCmdMenuKey, 0, kCmdChanges, texts->GetText(u"MENU_ABOUT_CHANGES"));
  return TRUE;
}

INT_PTR CDialogAbout::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const UINT command = LOWORD(wparam);
  if (command == IDOK || command == IDCANCEL || command == kCmdLeftKey) EndDialog(hwnd, 0);
  else if (command == kCmdChanges) ShowChanges();
  return TRUE;
}

void CDialogAbout::ShowChanges() {
  Trace(0, u"CDialogAbout::ShowChanges");
  WCHAR folder[MAX_PATH + 1] = {};
  GetCurrentDirectory(folder);
  std::u16string path = std::u16string(folder) + u"\\changesQXT.txt";
  if (path.size() > kPathChars) path.resize(kPathChars);
  const UINT templ = velomar::dialogs::TemplateForScreen(177, 179, 178);
  CDialogTextViewer viewer(nullptr, templ, Text(u"DIALOG_CHANGES_TITLE"), path);
  viewer.DoModal();
}
