// One parameter from a text file of "name=value" lines (8-bit text in the platform's code page).
// The file is read in blocks of 4096 bytes and parsed line by line across the blocks, in fixed
// buffers: a line ends at LF (a CR before it is dropped) or at the end of the file, a line without
// "=" is skipped, names compare without regard to case and the last matching line wins.
#include "platform/files/files.h"
#include "platform/kernel/sync.h"
#include "platform/text/codepage.h"
#include "platform/text/wide_string.h"
#include "teskautils/TeskaUtils.h"

namespace {

constexpr DWORD kBlockBytes = 4096;
constexpr int kValueChars = 100;       // the caller's buffer, with the terminator
constexpr int kValueBytesKept = 400;   // enough 8-bit bytes for kValueChars - 1 characters

class LineMatcher {
 public:
  explicit LineMatcher(const WCHAR* name) : name_(name), name_length_(wcslen(name)) {}

  void Feed(const BYTE* data, DWORD count) {
    for (DWORD i = 0; i < count; ++i) Byte(data[i]);
  }

  // The end of the file ends the last line too.
  void Finish() { EndLine(); }

  bool found() const { return found_; }
  const WCHAR* value() const { return value_; }

 private:
  void Byte(BYTE c) {
    if (c == '\n') {
      EndLine();
      return;
    }
    if (!in_value_) {
      if (c == '=') {
        in_value_ = true;
        name_matches_ = name_matches_ && name_pos_ == name_length_;
        return;
      }
      // The name is widened byte by byte.
      const WCHAR wide = static_cast<WCHAR>(c);
      if (name_matches_ && name_pos_ < name_length_ && towlower(wide) == towlower(name_[name_pos_]))
        ++name_pos_;
      else
        name_matches_ = false;
      return;
    }
    if (name_matches_ && raw_length_ < kValueBytesKept) raw_[raw_length_++] = static_cast<char>(c);
  }

  void EndLine() {
    if (in_value_ && name_matches_) {
      int n = raw_length_;
      if (n > 0 && raw_[n - 1] == '\r') --n;
      WCHAR wide[kValueBytesKept + 1];
      int chars = n > 0 ? MultiByteToWideChar(CP_ACP, 0, raw_, n, wide, kValueBytesKept) : 0;
      if (chars > kValueChars - 1) chars = kValueChars - 1;
      for (int i = 0; i < chars; ++i) value_[i] = wide[i];
      value_[chars] = 0;
      found_ = true;
    }
    in_value_ = false;
    name_matches_ = true;
    name_pos_ = 0;
    raw_length_ = 0;
  }

  const WCHAR* name_;
  std::size_t name_length_;
  std::size_t name_pos_ = 0;
  bool name_matches_ = true;
  bool in_value_ = false;
  char raw_[kValueBytesKept];
  int raw_length_ = 0;
  WCHAR value_[kValueChars] = {};
  bool found_ = false;
};

}  // namespace

extern "C" int DameParametroArchivoString(LPCWSTR file, LPCWSTR name, LPWSTR value) {
  if (file == nullptr || name == nullptr || value == nullptr) return 0;
  if (GetFileAttributesW(file) == INVALID_FILE_ATTRIBUTES) {
    LogFormateado(2, u"No Existe");
    return 0;
  }
  LogFormateado(2, u"Si Existe");
  HANDLE handle = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  LineMatcher matcher(name);
  BYTE block[kBlockBytes];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(handle, block, kBlockBytes, &read, nullptr)) break;
    matcher.Feed(block, read);
    if (read == 0) break;
  }
  matcher.Finish();
  CloseHandle(handle);
  if (!matcher.found()) return 0;
  wcscpy(value, matcher.value());
  return 1;
}
