// The task lists' columns in the settings document: chosen contents and widths written, read back
// after a restart; the desktop document leaves the leg and point list columns alone but brings
// the content widths; stored values outside their range show as their defaults.
#include <gtest/gtest.h>

#include <string>

#include "app_fixture.h"
#include "cumulor/app/base/xml_reader.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/data/task/task_columns.h"

namespace {

using namespace cumulor;

class ColumnSettings : public cumulor_test::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ResetKeptSettings();
  }
  void TearDown() override {
    ResetKeptSettings();
    AppTest::TearDown();
  }
  void Apply(const std::string& text, std::int32_t mode) {
    XmlNode top = XmlNode::ConstructTop();
    ASSERT_EQ(XmlParseBytes(text.data(), static_cast<std::int32_t>(text.size()), top), kXmlParsed);
    ApplySettingsDocument(*app, *top.Child(0), mode);
  }
  // A block of 32-bit values as the document writes it.
  static std::string Block(const char* name, std::initializer_list<std::uint32_t> values) {
    std::string text = "<" + std::string(name) + ">" + std::to_string(values.size() * 4);
    for (std::uint32_t v : values)
      for (int b = 0; b < 4; ++b) text += "," + std::to_string((v >> (8 * b)) & 0xFF);
    return text + "</" + name + ">";
  }
};

TEST_F(ColumnSettings, ChosenColumnsAndWidthsReadBackAfterARestart) {
  EXPECT_EQ(LegColumnContent(0), kLegCode);
  EXPECT_EQ(LegColumnContent(2), kLegTaskDistance);
  EXPECT_EQ(LegColumnContent(7), kLegNothing);
  EXPECT_EQ(LegContentWidth(kLegName), 84);
  EXPECT_EQ(LegContentWidth(kLegNothing), 24);
  EXPECT_EQ(PointListColumnWidth(3), 144);

  SetLegColumnContent(1, kLegArrival);
  SetLegColumnContent(7, kLegCourseMagnetic);
  SetLegColumnContent(6, 11);  // not a content: nothing changes
  SetLegColumnContent(8, kLegName);
  Apply("<Settings>" + Block("ColumnsTsk", {61, 85, 62, 63, 73, 74, 75, 76, 64, 65, 25}) +
            Block("ColumnsBr", {70, 50, 55, 150}) + "</Settings>",
        kSettingsMain);
  ASSERT_EQ(SaveSettingsFile(*app, nullptr, nullptr), 1);

  ResetKeptSettings();
  EXPECT_EQ(LegColumnContent(1), kLegName);
  ASSERT_EQ(LoadSettingsFile(*app, (app->dataFolder.Get() + u"\\KV_SETTINGS.xml").c_str(), kSettingsMain), 0);
  const std::int32_t contents[kLegColumns] = {0, kLegArrival, 5, 4, 9, 7, 10, kLegCourseMagnetic};
  for (std::int32_t c = 0; c < kLegColumns; ++c) EXPECT_EQ(LegColumnContent(c), contents[c]) << c;
  const std::int32_t widths[kLegContents] = {61, 85, 62, 63, 73, 74, 75, 76, 64, 65, 25};
  for (std::int32_t c = 0; c < kLegContents; ++c) EXPECT_EQ(LegContentWidth(c), widths[c]) << c;
  EXPECT_EQ(PointListColumnWidth(0), 70);
  EXPECT_EQ(PointListColumnWidth(3), 150);

  // From the desktop only the content widths are taken.
  ResetKeptSettings();
  Apply("<Settings>" + Block("Columns", {1, 1, 1, 1, 1, 1, 1, 1}) + Block("ColumnsBr", {9, 9, 9, 9}) +
            Block("ColumnsTsk", {30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30}) + "</Settings>",
        kSettingsDesktop);
  EXPECT_EQ(LegColumnContent(0), kLegCode);
  EXPECT_EQ(PointListColumnWidth(0), 72);
  EXPECT_EQ(LegContentWidth(kLegCode), 30);
}

TEST_F(ColumnSettings, StoredValuesOutsideTheirRangeShowAsDefaults) {
  Apply("<Settings>" + Block("Columns", {0, 11, 0xFFFFFFFF, 4, 9, 7, 10, 0x01020304}) +
            Block("ColumnsTsk", {60, 0xFFFFFFFF, 1001, 0, 72, 72, 72, 72, 60, 60, 24}) +
            Block("ColumnsBr", {72, 0x80000000, 60, 144}) + "</Settings>",
        kSettingsMain);
  EXPECT_EQ(LegColumnContent(1), kLegNothing);
  EXPECT_EQ(LegColumnContent(2), kLegNothing);
  EXPECT_EQ(LegColumnContent(3), kLegDistance);
  EXPECT_EQ(LegColumnContent(7), kLegNothing);
  EXPECT_EQ(LegContentWidth(kLegName), 84);
  EXPECT_EQ(LegContentWidth(kLegCourseTrue), 60);
  EXPECT_EQ(LegContentWidth(kLegCourseMagnetic), 0);  // a hidden column is a width like any other
  EXPECT_EQ(PointListColumnWidth(1), 60);
  EXPECT_EQ(LegContentWidth(-1), 0);
  EXPECT_EQ(LegContentWidth(kLegContents), 0);
  EXPECT_EQ(std::u16string(LegContentTitle(kLegNothing)), u"");
  EXPECT_EQ(std::u16string(LegContentChooserText(kLegArrival)), u"Arrival Time ETA");
  EXPECT_EQ(std::u16string(LegContentTitle(12)), u"");
}

}  // namespace
