// note_prj.dll as the programs load it, by name.
#include "platform/devicelibs/note_prj.h"

#include <fstream>
#include <string>
#include <vector>

#include "platform/files/ce_path.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/last_error.h"
#include "platform/libraries/builtin_libraries.h"
#include "platform/text/utf.h"

namespace {

std::vector<std::u16string> CardNames() {
  std::ifstream in(ce::DeviceFolder() / "storage_cards.txt");
  if (!in) return {u"Storage Card"};
  std::vector<std::u16string> names;
  std::string line;
  while (std::getline(in, line)) {
    std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    std::size_t last = line.find_last_not_of(" \t\r");
    names.push_back(ce::text::FromUtf8(line.substr(first, last - first + 1)));
  }
  return names;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ce::files::FoldNameChar(a[i]) != ce::files::FoldNameChar(b[i])) return false;
  }
  return true;
}

bool IsCard(const WIN32_FIND_DATAW& entry, const std::vector<std::u16string>& cards) {
  if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  std::u16string_view name = ce::text::WideView(entry.cFileName);
  for (const std::u16string& card : cards) {
    if (SameName(name, card)) return true;
  }
  return false;
}

// Moves the search on to the next card; false at the end (or for a bad handle, its error kept).
bool NextCard(HANDLE search, WIN32_FIND_DATAW* data, const std::vector<std::u16string>& cards) {
  WIN32_FIND_DATAW entry;
  while (FindNextFileW(search, &entry)) {
    if (IsCard(entry, cards)) {
      *data = entry;
      return true;
    }
  }
  return false;
}

}  // namespace

HANDLE FindFirstFlashCard(LPWIN32_FIND_DATAW data) {
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::vector<std::u16string> cards = CardNames();
  WIN32_FIND_DATAW entry;
  HANDLE search = cards.empty() ? INVALID_HANDLE_VALUE : FindFirstFileW(u"\\*", &entry);
  if (search != INVALID_HANDLE_VALUE) {
    if (IsCard(entry, cards)) {
      *data = entry;
      SetLastError(ERROR_SUCCESS);
      return search;
    }
    if (NextCard(search, data, cards)) return search;
    FindClose(search);
  }
  SetLastError(ERROR_NO_MORE_FILES);
  return INVALID_HANDLE_VALUE;
}

BOOL FindNextFlashCard(HANDLE search, LPWIN32_FIND_DATAW data) {
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return NextCard(search, data, CardNames()) ? TRUE : FALSE;
}

namespace {
const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(u"note_prj.dll", {.by_name = {{"FindFirstFlashCard", Export(&FindFirstFlashCard)},
                                                               {"FindNextFlashCard", Export(&FindNextFlashCard)}},
                                                   .by_ordinal = {}});
  return true;
}();
}  // namespace
