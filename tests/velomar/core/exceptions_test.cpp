// Exceptions: their messages, the error box, and the vibration in debug mode.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/sound/sound_effects.h"
#include "teskautils/teskautils_seam.h"
#include "tests/velomar/velomar_fixture.h"
#include "velomar/core/Exceptions.h"

namespace {

class ExceptionsTest : public velomar_test::VelomarTest {};

TEST_F(ExceptionsTest, MessagesAreCopiedOrFormattedFromTheirArguments) {
  const WCHAR* name = u"quarn.db";
  const struct {
    const char* name;
    CBaseException exception;
    std::u16string message;
  } cases[] = {
      {"empty", CBaseException(), u""},
      {"copied, % kept", CBaseException(u"100% sure"), u"100% sure"},
      {"formatted", CBaseException(u"ERROR OPENING VOLUME %d %s", 87, name), u"ERROR OPENING VOLUME 87 quarn.db"},
      {"format not fitting", CBaseException(u"count %d", name), u"count %d"},
      {"database, formatted", CExceptionDB(u"code %#x", 0x10u), u"code 0x10"},
      {"not found", CFindNotFoundDB(u"no %s", name), u"no quarn.db"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.exception.GetMessage(), c.message);
  }
}

TEST_F(ExceptionsTest, TheFamilyIsCaughtAsItsBaseAndShownInAnErrorBox) {
  try {
    throw CFindNotFoundDB(u"Place %d not found", 4);
  } catch (CBaseException& e) {
    e.ShowError();
  }
  const auto boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"Error:Place 4 not found");
  EXPECT_EQ(boxes[0].caption, u"Error");
}

int VibratorSwitches() {
  int count = 0;
  for (const auto& e : ce::sound::RecordedEffects())
    if (e.kind == ce::sound::Effect::kLed && e.index == 1) ++count;
  return count;
}

TEST_F(ExceptionsTest, DebugModeVibratesThreeSecondsForEveryException) {
  ce::sound::ClearRecordedEffects();
  { CExceptionDB quiet(u"no vibration"); }
  EXPECT_EQ(VibratorSwitches(), 0);

  SetSetting(u"debug_info", 1);
  std::atomic<bool> built{false};
  std::thread thrower([&] {
    try {
      throw CExceptionDB(u"volume %d", 3);  // its base is built once: one vibration
    } catch (const CBaseException&) {
      built = true;
    }
  });
  ASSERT_TRUE(AwaitThreadsInWait(1));
  EXPECT_TRUE(ce::sound::IsVibrating());
  AdvanceClock(2999);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(built.load());
  EXPECT_TRUE(ce::sound::IsVibrating());
  AdvanceClock(1);
  thrower.join();
  EXPECT_TRUE(built.load());
  EXPECT_FALSE(ce::sound::IsVibrating());
  EXPECT_EQ(VibratorSwitches(), 2);  // on, then off
}

}  // namespace
