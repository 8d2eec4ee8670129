// The message, question and text boxes: each formats its text, shows it and then logs it.
#include <cstdarg>
#include <string>

#include "platform/text/format.h"
#include "teskautils/TeskaUtils.h"
#include "teskautils/library_state.h"
#include "teskautils/message_box.h"

namespace {

constexpr std::size_t kErrorBoxChars = 512;
constexpr std::size_t kQuestionBoxChars = 512;
constexpr std::size_t kTextBoxChars = 256;

void ShowError(HWND owner, const std::u16string& text) {
  teskautils::ShowMessageBox(owner, text, u"Error", teskautils::kBoxIconHand | teskautils::kBoxSetForeground);
  Log(4, text.c_str());
}

int AskQuestion(HWND owner, const std::u16string& text) {
  const int answer = teskautils::ShowMessageBox(
      owner, text, u"", teskautils::kBoxYesNo | teskautils::kBoxIconQuestion | teskautils::kBoxSetForeground);
  Log(4, text.c_str());
  return answer;
}

void ShowText(HWND owner, const std::u16string& text) {
  teskautils::ShowMessageBox(owner, text, teskautils::State().program_name,
                             teskautils::kBoxSetForeground | teskautils::kBoxTopmost);
  Log(0, text.c_str());
}

std::u16string FormatVaBounded(LPCWSTR format, va_list args, std::size_t capacity) {
  std::u16string text = ce::text::FormatV(ce::text::WideView(format), args);
  teskautils::CutTo(text, capacity);
  return text;
}

}  // namespace

extern "C" void ErrorBoxArgs(HWND owner, LPCWSTR format, const ce::text::FormatArg* args, std::size_t count) {
  ShowError(owner, teskautils::FormatBounded(format, {args, count}, kErrorBoxChars));
}

extern "C" int QuestionBoxArgs(HWND owner, LPCWSTR format, const ce::text::FormatArg* args, std::size_t count) {
  return AskQuestion(owner, teskautils::FormatBounded(format, {args, count}, kQuestionBoxChars));
}

extern "C" void TextBoxArgs(HWND owner, LPCWSTR format, const ce::text::FormatArg* args, std::size_t count) {
  ShowText(owner, teskautils::FormatBounded(format, {args, count}, kTextBoxChars));
}

extern "C" int Hello() { return teskautils::ShowMessageBox(nullptr, u"Dll1", u"Titulo", teskautils::kBoxOk); }

// The C-variadic exports, for callers that find them by name: they trust their format.
extern "C" void ErrorBox(HWND owner, LPCWSTR format, ...) {
  va_list args;
  va_start(args, format);
  const std::u16string text = FormatVaBounded(format, args, kErrorBoxChars);
  va_end(args);
  ShowError(owner, text);
}

extern "C" int QuestionBox(HWND owner, LPCWSTR format, ...) {
  va_list args;
  va_start(args, format);
  const std::u16string text = FormatVaBounded(format, args, kQuestionBoxChars);
  va_end(args);
  return AskQuestion(owner, text);
}

extern "C" void TextBox(HWND owner, LPCWSTR format, ...) {
  va_list args;
  va_start(args, format);
  const std::u16string text = FormatVaBounded(format, args, kTextBoxChars);
  va_end(args);
  ShowText(owner, text);
}
