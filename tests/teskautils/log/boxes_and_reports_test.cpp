// Message boxes, error reports and fault reports: what is shown and what is logged.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/base/errors.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/threads.h"
#include "platform/scripted/scripted_user.h"
#include "platform/text/format.h"
#include "tests/teskautils/log_queue_reader.h"
#include "tests/teskautils/teskautils_fixture.h"

namespace {

using teskautils_test::Expected;
using teskautils_test::LogQueueReader;
namespace seam = teskautils::seam;

class Boxes : public teskautils_test::TeskaUtilsTest {};

HWND Window() { return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x1234)); }

TEST_F(Boxes, EachBoxShowsThenLogs) {
  LogQueueReader reader;
  struct Case {
    const char* name;
    int (*show)();
    const char16_t* text;
    const char16_t* caption;
    UINT flags;
    int level;  // -1: not logged
    int answer;
  } cases[] = {
      {"error", [] { ErrorBox(Window(), u"fallo %d", 3); return 0; }, u"fallo 3", u"Error", 0x10010, 4, 0},
      {"question", [] { return QuestionBox(nullptr, u"¿seguro %s?", u"sí"); }, u"¿seguro sí?", u"", 0x10024, 4, 7},
      {"text", [] { TextBox(nullptr, u"%d%%", 50); return 0; }, u"50%", u"Velomar.exe", 0x50000, 0, 0},
      {"hello", [] { return Hello(); }, u"Dll1", u"Titulo", 0, -1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.show(), c.answer);
    const auto boxes = seam::TakeShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.text);
    EXPECT_EQ(boxes[0].caption, c.caption);
    EXPECT_EQ(boxes[0].flags, c.flags);
    const auto records = reader.Take();
    if (c.level < 0) {
      EXPECT_TRUE(records.empty());
    } else {
      ASSERT_EQ(records.size(), 1u);
      EXPECT_EQ(records[0].level, c.level);
      EXPECT_EQ(records[0].text, Expected(c.text));
    }
  }
  seam::SetBoxAnswer(6);
  EXPECT_EQ(QuestionBox(nullptr, u"¿otra vez?"), 6);
}

TEST_F(Boxes, TextsAreCutToTheirBuffersAndBadFormatsShownAsWritten) {
  TextBox(nullptr, u"%s", std::u16string(300, u't'));
  ErrorBox(nullptr, u"%s", std::u16string(600, u'e'));
  ErrorBox(nullptr, u"ERROR WITH STRING PARAM %s %d", 5);
  const auto boxes = seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, std::u16string(255, u't'));
  EXPECT_EQ(boxes[1].text, std::u16string(511, u'e'));
  EXPECT_EQ(boxes[2].text, u"ERROR WITH STRING PARAM %s %d");
}

TEST_F(Boxes, ProcesarErrorLogsTheCodeAndItsSystemText) {
  LogQueueReader reader;
  WCHAR system_text[256];
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 ERROR_FILE_NOT_FOUND, 0, system_text, 256, nullptr);
  ASSERT_GT(n, 0u);
  SetLastError(ERROR_FILE_NOT_FOUND);
  ProcesarError(u"Error loading %s", u"\\Windows\\icono.png");
  SetLastError(0x12345);  // a code without a system text
  ProcesarError(u"Error creando ventana");
  const auto records = reader.Take();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].level, 4);
  EXPECT_EQ(records[0].text, Expected(u"Error loading \\Windows\\icono.png.Cod:2." + std::u16string(system_text, n)));
  EXPECT_EQ(records[1].text, Expected(u"Error creando ventana.Cod:74565."));
  EXPECT_TRUE(seam::TakeShownBoxes().empty());
}

TEST_F(Boxes, ProcesarExcepcionDescribesTheFault) {
  LogQueueReader reader;
  EXCEPTION_RECORD record{};
  record.ExceptionCode = 0xC0000094;
  record.ExceptionAddress = reinterpret_cast<PVOID>(static_cast<ULONG_PTR>(0xABC0));
  EXCEPTION_POINTERS pointers{&record, nullptr};
  ProcesarExcepcion(&pointers);
  const std::u16string expected = ce::text::Format(
      std::u16string_view(u"Se ha producido una excepcion grave..Codigo Exception1:0XC0000094.Thread:0X%08X"
                          u".Direccion:0X0000ABC0.The thread tried to divide an integer value by an integer divisor "
                          u"of zero...El sistema se detendra"),
      GetCurrentThreadId());
  auto boxes = seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, expected);
  EXPECT_EQ(boxes[0].caption, u"Velomar.exe");
  const auto records = reader.Take();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].level, 0);

  // Every description fits the text box whole; unknown codes are "Otros".
  const DWORD codes[] = {0xC0000005, 0xC000008C, 0x80000003, 0x80000002, 0xC000008D, 0xC000008E, 0xC000008F,
                         0xC0000090, 0xC0000091, 0xC0000092, 0xC0000093, 0xC000001D, 0xC0000006, 0xC0000094,
                         0xC0000095, 0xC0000026, 0xC0000025, 0xC0000096, 0x80000004, 0xC00000FD, 0x12345678};
  std::vector<std::u16string> texts;
  for (DWORD code : codes) {
    record.ExceptionCode = code;
    ProcesarExcepcion(&pointers);
    boxes = seam::TakeShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    const std::u16string& text = boxes[0].text;
    EXPECT_LE(text.size(), 255u);
    EXPECT_TRUE(text.ends_with(u"..El sistema se detendra")) << std::hex << code;
    const std::u16string description = text.substr(105, text.size() - 129);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), description), 0) << std::hex << code;  // all differ
    texts.push_back(description);
  }
  EXPECT_EQ(texts.back(), u"Otros");
  ProcesarExcepcion(nullptr);  // no record: reported as an unknown fault
  boxes = seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].text.ends_with(u".Otros..El sistema se detendra"));
}

}  // namespace

namespace {

// Without recording, the boxes are the platform's, answered by its scripted user.
TEST_F(Boxes, PlatformBoxesAreShownAndAnswered) {
  seam::RecordBoxes(false);
  ce::scripted::User& user = ce::scripted::User::Get();
  user.Reset();
  user.AnswerBox(6);
  EXPECT_EQ(QuestionBox(nullptr, u"¿Borrar %s?", u"todo"), 6);
  TextBox(nullptr, u"aviso");
  const auto shown = user.shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].kind, ce::scripted::Kind::kBox);
  EXPECT_EQ(shown[0].title, u"");
  ASSERT_FALSE(shown[0].texts.empty());
  EXPECT_EQ(shown[0].texts[0], u"¿Borrar todo?");
  EXPECT_TRUE(shown[0].scripted);
  EXPECT_EQ(shown[1].title, u"Velomar.exe");
  EXPECT_EQ(shown[1].texts[0], u"aviso");
  EXPECT_TRUE(seam::TakeShownBoxes().empty());
  user.Reset();
}

}  // namespace
