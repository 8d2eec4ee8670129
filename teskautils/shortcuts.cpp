// Shell shortcut files: "<count>#"<target>"", the count being the characters after the "#".
#include <string>

#include "platform/files/files.h"
#include "platform/kernel/sync.h"
#include "platform/text/codepage.h"
#include "platform/text/format.h"
#include "teskautils/TeskaUtils.h"

namespace {

constexpr std::size_t kLongestShortcutText = 260;

}  // namespace

extern "C" int CrearAccesoDirecto(LPCWSTR shortcut, LPCWSTR target) {
  if (shortcut == nullptr || target == nullptr) return 0;
  const std::u16string quoted = u"\"" + std::u16string(target) + u"\"";
  const std::u16string text =
      ce::text::Format(std::u16string_view(u"%d#%s"), static_cast<int>(quoted.size()), quoted);
  const std::string bytes = ce::text::ToCodePage(text, CP_ACP);
  // A cut shortcut would point somewhere else: refuse it.
  if (bytes.size() > kLongestShortcutText) return 0;
  HANDLE file = CreateFileW(shortcut, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size() ? 1 : 0;
}
