// Every page of the options sheet at 240 x 320, 320 x 240 and 240 x 240, and at twice those sizes:
// pictured (in the build's screenshots folder), its soft keys translated, and no control outside
// its page (above the sheet's tabs) or under the sheet's caption band.
#include <gtest/gtest.h>

#include "tests/velomar/dialogs/option_pages_fixture.h"

namespace dialogs_test {
namespace {

class OptionPagesShotsTest : public OptionPagesTest {};

TEST_F(OptionPagesShotsTest, EveryPageFitsEveryScreen) {
  MoveTo(100);
  const int work = AddPlace(u"Work", 100);
  AddPeriod(work, u"Office", 11, 0, 13, 0);
  CEventLog::AddEvent(0, 2, u"shown", u"an event");
  const struct {
    ce::display::ScreenSize size;
    const char* name;
  } screens[] = {{ce::display::kPortrait, "portrait"}, {ce::display::kLandscape, "landscape"}, {ce::display::kSquare, "square"},
                 {ce::display::kVga, "vga"}, {ce::display::kVgaLandscape, "vga_landscape"}, {ce::display::kVgaSquare, "vga_square"}};
  for (const auto& screen : screens) {
    SCOPED_TRACE(screen.name);
    ASSERT_TRUE(ce::display::SetScreenSize(screen.size));
    CPropertySheetOptions sheet(nullptr);
    SheetShots shots(sheet, DIALOG_SCREENSHOT_DIR, std::string("option_pages_") + screen.name);
    User().HoldUnanswered(true);
    sheet.DoModal(0);
    User().HoldUnanswered(false);
    ASSERT_EQ(shots.pages.size(), sheet.GetPages().size());
    for (std::size_t i = 0; i < shots.pages.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_TRUE(shots.pages[i].cutControls.empty()) << shots.pages[i].cutControls.front();
      ASSERT_FALSE(shots.pages[i].keyTexts.empty());
      EXPECT_EQ(shots.pages[i].keyTexts.front(), T(u"CANCEL"));
    }
  }
}

}  // namespace
}  // namespace dialogs_test
