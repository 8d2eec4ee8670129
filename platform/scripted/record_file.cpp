#include "platform/scripted/record_file.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/text/utf.h"

namespace ce::scripted {
namespace {

std::string Quoted(const std::u16string& text) {
  std::string out = "\"";
  for (char c : ce::text::ToUtf8(ce::text::WideView(text.c_str()))) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// One line appended and the file closed again, so a reader in another process sees it at once.
void Append(const std::string& line) {
  const char* file = std::getenv("CE_USER_RECORD");
  if (file == nullptr || *file == 0) return;
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  if (FILE* out = std::fopen(file, "a")) {
    std::fputs((line + "\n").c_str(), out);
    std::fclose(out);
  }
}

}  // namespace

void RecordShown(const Shown& shown) {
  std::string line = std::string("shown ") + KindName(shown.kind) + " " + Quoted(shown.title);
  for (const std::u16string& text : shown.texts) line += " " + Quoted(text);
  Append(line);
}

void RecordAnswered(const Shown& shown, int result, bool scripted) {
  Append(std::string("answered ") + KindName(shown.kind) + " " + Quoted(shown.title) + " " + std::to_string(result) +
         (scripted ? " scripted" : " default"));
}

}  // namespace ce::scripted
