// User scripts for headless runs.
#include <gtest/gtest.h>

#include "platform/scripted/script_file.h"
#include "platform/scripted/scripted_user.h"

using namespace ce::scripted;

TEST(ScriptFile, AnswersGoToTheUserInOrder) {
  User::Get().Reset();
  ASSERT_EQ(LoadScript(R"(# a week of use
box IDYES
dialog
  settext 1001 "Anna \"A\""
  click 1008 2
  key VK_RETURN
  end 1
end
menu 40013
open "\\My Documents\\a.igc"
save
color 255 0 16
color cancel
hold on
)"), "");
  EXPECT_TRUE(User::Get().holding());
  EXPECT_EQ(User::Get().Take(Kind::kBox)->value, 6);
  auto d = User::Get().Take(Kind::kDialog);
  ASSERT_TRUE(d);
  ASSERT_EQ(d->steps.size(), 4u);
  EXPECT_EQ(d->steps[0].op, Step::kSetText);
  EXPECT_EQ(d->steps[0].text, u"Anna \"A\"");
  EXPECT_EQ(d->steps[1].value, 2);
  EXPECT_EQ(d->steps[2].value, 0x0D);
  EXPECT_EQ(d->steps[3].op, Step::kEnd);
  EXPECT_EQ(User::Get().Take(Kind::kMenu)->value, 40013);
  EXPECT_EQ(User::Get().Take(Kind::kOpenFile)->text, u"\\My Documents\\a.igc");
  EXPECT_EQ(User::Get().Take(Kind::kSaveFile)->value, 0);
  EXPECT_EQ(User::Get().Take(Kind::kColor)->color, RGB(255, 0, 16));
  EXPECT_EQ(User::Get().Take(Kind::kColor)->value, 0);
  EXPECT_FALSE(User::Get().Take(Kind::kColor));
  User::Get().Reset();
}

TEST(ScriptFile, FaultsNameTheirLineAndAddNothing) {
  User::Get().Reset();
  const std::pair<const char*, const char*> cases[] = {
      {"box 6\ntap 3\n", "line 2: unknown answer 'tap'"},
      {"dialog\n  click\nend\n", "line 2: click takes a control and an optional row"},
      {"dialog\n  click 5\n", "line 3: the dialog's steps have no 'end'"},
      {"color 300 0 0\n", "line 1: colour parts run from 0 to 255"},
      {"menu x\n", "line 1: 'x' is not a number"},
      {"open \"a\n", "line 1: unterminated text"},
      {"dialog\n  settext 5 plain\nend\n", "line 2: a quoted text is missing"},
  };
  for (auto& [text, error] : cases) EXPECT_EQ(LoadScript(text), error) << text;
  EXPECT_FALSE(User::Get().Take(Kind::kBox));
}

TEST(ScriptFile, ABackslashEscapesOnlyNewLineQuoteAndBackslash) {
  const std::pair<const char*, std::u16string> cases[] = {
      {R"(open "\My Documents\a.igc")", u"\\My Documents\\a.igc"},  // as the README writes a path
      {R"(open "\\My Documents\\a.igc")", u"\\My Documents\\a.igc"},  // doubled, as record files write it
      {R"(open "a\"b\nc\\d\te")", u"a\"b\nc\\d\\te"},
  };
  for (const auto& [text, path] : cases) {
    User::Get().Reset();
    ASSERT_EQ(LoadScript(text), "") << text;
    auto answer = User::Get().Take(Kind::kOpenFile);
    ASSERT_TRUE(answer) << text;
    EXPECT_EQ(answer->text, path) << text;
  }
  User::Get().Reset();
}
