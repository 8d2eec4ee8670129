// The rules for storing a period: overlaps refused, a period inside another splitting it once the
// user agrees, a whole day only as a place's only period, and splits that never leave a part
// starting where it ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/text/format.h"
#include "platform/text/utf.h"
#include "tests/velomar/places/places_fixture.h"
#include "velomar/places/PeriodRules.h"

namespace {

struct Frame {
  const char16_t* name;
  int begin_hour, begin_minute, end_hour, end_minute;
};

enum class Box { kNone, kWholeDay, kIntersects, kSplit };

class PeriodRulesTest : public places_test::PlacesTest {
 protected:
  void SetUp() override {
    PlacesTest::SetUp();
    db().OpenDB();
    place_ = AddPlace(u"Home").GetIdPlace();
  }

  CStrPeriod Store(const Frame& f) { return AddPeriod(place_, f.name, f.begin_hour, f.begin_minute, f.end_hour, f.end_minute); }

  static void SetTimes(CStrPeriod& period, const Frame& f) {
    SYSTEMTIME begin{}, end{};
    begin.wHour = static_cast<WORD>(f.begin_hour);
    begin.wMinute = static_cast<WORD>(f.begin_minute);
    end.wHour = static_cast<WORD>(f.end_hour);
    end.wMinute = static_cast<WORD>(f.end_minute);
    period.SetBegin(begin);
    period.SetEnd(end);
    period.SetName(f.name);
  }

  // "HH:MM-HH:MM name" of every period of the place, in begin order.
  std::vector<std::string> Periods() {
    std::vector<CStrPeriod> all;
    periods().GetAllRecordsForPlace(all, place_);
    std::vector<std::string> out;
    for (const CStrPeriod& p : all)
      out.push_back(ce::text::ToUtf8(ce::text::Format(u"%02d:%02d-%02d:%02d %s", p.GetBegin().wHour, p.GetBegin().wMinute,
                                                      p.GetEnd().wHour, p.GetEnd().wMinute, p.GetName().c_str())));
    std::sort(out.begin(), out.end());
    return out;
  }

  // The kind of the one box shown (kNone when none), checked against the translated texts.
  Box TakeBox(const std::u16string& other_name) {
    const auto boxes = teskautils::seam::TakeShownBoxes();
    if (boxes.empty()) return Box::kNone;
    EXPECT_EQ(boxes.size(), 1u);
    const std::u16string& text = boxes.front().text;
    if (text == translator_->GetText(u"FRAME 24 NOT POSSIBLE")) return Box::kWholeDay;
    if (text == translator_->GetFormatted(u"PERIOD INTERSECTS", other_name)) return Box::kIntersects;
    if (text == translator_->GetFormatted(u"CONFIRM PERIOD SPLIT", other_name, other_name)) return Box::kSplit;
    ADD_FAILURE() << "unexpected box: " << ce::text::ToUtf8(text);
    return Box::kNone;
  }

  int place_ = -1;
};

TEST_F(PeriodRulesTest, AddChecksAgainstEveryPeriodOfThePlace) {
  const struct {
    const char* what;
    std::vector<Frame> existing;
    Frame added;
    int answer;  // to the split question
    int stored;
    Box box;
    std::vector<std::string> after;
  } cases[] = {
      {"whole day as the first period", {}, {u"N", 10, 0, 10, 0}, 6, 1, Box::kNone, {"10:00-10:00 N"}},
      {"whole day beside another", {{u"P", 8, 0, 12, 0}}, {u"N", 10, 0, 10, 0}, 6, 0, Box::kWholeDay, {"08:00-12:00 P"}},
      {"inside: split in two", {{u"Work", 8, 0, 18, 0}}, {u"N", 12, 0, 13, 0}, 6, 1, Box::kSplit,
       {"08:00-12:00 Work", "12:00-13:00 N", "13:00-18:00 Work"}},
      {"partly over the end", {{u"Work", 8, 0, 18, 0}}, {u"N", 17, 0, 19, 0}, 6, 0, Box::kIntersects, {"08:00-18:00 Work"}},
      {"adjacent", {{u"P", 8, 0, 12, 0}}, {u"N", 12, 0, 14, 0}, 6, 1, Box::kNone, {"08:00-12:00 P", "12:00-14:00 N"}},
      {"split refused", {{u"Work", 8, 0, 18, 0}}, {u"N", 12, 0, 13, 0}, 7, 0, Box::kSplit, {"08:00-18:00 Work"}},
      // A new period at either end of the one it lies in only shortens it (no part from S to S).
      {"ends where it ends", {{u"P", 8, 0, 12, 0}}, {u"N", 11, 59, 12, 0}, 6, 1, Box::kSplit,
       {"08:00-11:59 P", "11:59-12:00 N"}},
      {"starts where it starts", {{u"Work", 8, 0, 18, 0}}, {u"N", 8, 0, 12, 0}, 6, 1, Box::kSplit,
       {"08:00-12:00 N", "12:00-18:00 Work"}},
      {"the very same times", {{u"Work", 8, 0, 18, 0}}, {u"N", 8, 0, 18, 0}, 6, 0, Box::kIntersects, {"08:00-18:00 Work"}},
      // A whole day from 06:00 holds everything that does not end at 06:00.
      {"inside a whole day", {{u"Day", 6, 0, 6, 0}}, {u"N", 10, 0, 12, 0}, 6, 1, Box::kSplit,
       {"06:00-10:00 Day", "10:00-12:00 N", "12:00-06:00 Day"}},
      {"ending where a whole day starts", {{u"Day", 6, 0, 6, 0}}, {u"N", 4, 0, 6, 0}, 6, 0, Box::kIntersects,
       {"06:00-06:00 Day"}},
      {"starting where a whole day starts", {{u"Day", 6, 0, 6, 0}}, {u"N", 6, 0, 8, 0}, 6, 1, Box::kSplit,
       {"06:00-08:00 N", "08:00-06:00 Day"}},
      // Past midnight: both ends inside is not enough, the new one must fit in.
      {"night holding both ends only", {{u"Night", 22, 0, 6, 0}}, {u"N", 5, 0, 23, 0}, 6, 0, Box::kIntersects,
       {"22:00-06:00 Night"}},
      {"inside the night", {{u"Night", 22, 0, 6, 0}}, {u"N", 23, 0, 1, 0}, 6, 1, Box::kSplit,
       {"01:00-06:00 Night", "22:00-23:00 Night", "23:00-01:00 N"}},
      // Past midnight, sharing the other's end: inside it, as 11:59-12:00 lies in 08:00-12:00.
      {"sharing an end at midnight", {{u"Evening", 18, 0, 0, 0}}, {u"N", 20, 0, 0, 0}, 6, 1, Box::kSplit,
       {"18:00-20:00 Evening", "20:00-00:00 N"}},
      {"sharing the night's end", {{u"Night", 22, 0, 6, 0}}, {u"N", 23, 0, 6, 0}, 7, 0, Box::kSplit,
       {"22:00-06:00 Night"}},
      {"over the night's end", {{u"Night", 22, 0, 6, 0}}, {u"N", 23, 0, 7, 0}, 6, 0, Box::kIntersects,
       {"22:00-06:00 Night"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    periods().DeleteAll();
    for (const Frame& f : c.existing) Store(f);
    teskautils::seam::SetBoxAnswer(c.answer);
    CStrPeriod added;
    added.SetIdPlace(place_);
    SetTimes(added, c.added);
    EXPECT_EQ(velomar::places::AddPeriod(db(), added), c.stored);
    EXPECT_EQ(TakeBox(c.existing.empty() ? u"" : c.existing.front().name), c.box);
    EXPECT_EQ(Periods(), c.after);
  }
}

TEST_F(PeriodRulesTest, ModifySkipsItselfAndRefusesAWholeDayBesideOthers) {
  const struct {
    const char* what;
    Frame changed;  // the new times of "B" (stored as 13:00-14:00 beside "A" 08:00-12:00)
    int stored;
    Box box;
    std::vector<std::string> after;
  } cases[] = {
      {"whole day beside another", {u"B", 10, 0, 10, 0}, 0, Box::kWholeDay, {"08:00-12:00 A", "13:00-14:00 B"}},
      {"own times overlap nothing", {u"B", 12, 0, 15, 0}, 1, Box::kNone, {"08:00-12:00 A", "12:00-15:00 B"}},
      {"over the other", {u"B", 11, 0, 14, 0}, 0, Box::kIntersects, {"08:00-12:00 A", "13:00-14:00 B"}},
      {"into the other", {u"B", 9, 0, 10, 0}, 1, Box::kSplit, {"08:00-09:00 A", "09:00-10:00 B", "10:00-12:00 A"}},
  };
  teskautils::seam::SetBoxAnswer(6);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    periods().DeleteAll();
    Store({u"A", 8, 0, 12, 0});
    CStrPeriod b = Store({u"B", 13, 0, 14, 0});
    SetTimes(b, c.changed);
    EXPECT_EQ(velomar::places::ModifyPeriod(db(), b), c.stored);
    EXPECT_EQ(TakeBox(u"A"), c.box);
    EXPECT_EQ(Periods(), c.after);
  }
  // The only period of a place may become a whole day.
  periods().DeleteAll();
  CStrPeriod only = Store({u"A", 8, 0, 12, 0});
  SetTimes(only, {u"A", 0, 0, 0, 0});
  EXPECT_EQ(velomar::places::ModifyPeriod(db(), only), 1);
  EXPECT_EQ(Periods(), std::vector<std::string>{"00:00-00:00 A"});
}

TEST_F(PeriodRulesTest, TheSecondPartOfASplitGetsANewKeyAndCopiesOfTheActions) {
  CStrPeriod work = Store({u"Work", 8, 0, 18, 0});
  AddAction(work.GetKey(), 2, 0);  // speaker
  AddAction(work.GetKey(), 0, 1);  // Wi-Fi
  teskautils::seam::SetBoxAnswer(6);
  CStrPeriod lunch;
  lunch.SetIdPlace(place_);
  SetTimes(lunch, {u"Lunch", 12, 0, 13, 0});
  ASSERT_EQ(velomar::places::AddPeriod(db(), lunch), 1);
  std::vector<CStrPeriod> all;
  periods().GetAllRecordsForPlace(all, place_);
  ASSERT_EQ(all.size(), 3u);
  const CStrPeriod& first = all[0];
  const CStrPeriod& second = all[2];
  EXPECT_EQ(first.GetKey(), work.GetKey());
  EXPECT_NE(second.GetKey(), work.GetKey());
  EXPECT_NE(second.GetKey(), lunch.GetKey());
  std::vector<CStrAction> kept, copied, none;
  actions().GetActionsOfPeriod(kept, first.GetKey());
  actions().GetActionsOfPeriod(copied, second.GetKey());
  actions().GetActionsOfPeriod(none, lunch.GetKey());
  ASSERT_EQ(kept.size(), 2u);
  ASSERT_EQ(copied.size(), 2u);
  EXPECT_TRUE(none.empty());
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(copied[i].GetKind(), kept[i].GetKind());
    EXPECT_EQ(copied[i].GetTrigger(), kept[i].GetTrigger());
    EXPECT_NE(copied[i].GetKey(), kept[i].GetKey());
  }
}

}  // namespace
