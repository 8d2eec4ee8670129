#include "velomar/ui/HelpProvider.h"

#include "platform/files/files.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/Trace.h"
#include "velomar/dialogs/DialogTextViewer.h"
#include "velomar/dialogs/ScreenMode.h"
#include "velomar/ui/Translator.h"

namespace {
constexpr std::size_t kPathChars = 259;
}

int CHelpProvider::GetHelpFilePath(const std::u16string& id, const std::u16string& language, std::u16string& path) {
  Trace(0, u"CHelpProvider::GetHelpFilePath");
  WCHAR folder[MAX_PATH + 1] = {};
  GetCurrentDirectory(folder);
  std::u16string candidate = std::u16string(folder) + u"\\traductions\\" + id + u"_" + language + u".txt";
  if (candidate.size() > kPathChars) candidate.resize(kPathChars);
  if (GetFileAttributesW(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
  path = candidate;
  return 1;
}

void CHelpProvider::ShowHelp() {
  Trace(0, u"CHelpProvider::ShowHelp");
  const std::u16string language = CConfig::GetInstance()->GetString(u"language");
  std::u16string id;
  GetHelpId(id);
  std::u16string path;
  if (!GetHelpFilePath(id, language, path) && !GetHelpFilePath(id, u"en", path))
    GetHelpFilePath(u"no_help", language, path);
  const UINT templ = velomar::dialogs::TemplateForScreen(177, 179, 178);
  CDialogTextViewer viewer(nullptr, templ, CTranslator::GetInstance()->GetText(u"DIALOG_HELP_TITLE"), path);
  viewer.DoModal();
}
