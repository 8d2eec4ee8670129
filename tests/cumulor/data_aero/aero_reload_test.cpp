#include <gtest/gtest.h>

#include "cumulor/data/aero/aero_reload.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/points/point_db.h"
#include "tests/cumulor/data_aero/ka1_fixture.h"

namespace cumulor {
namespace {

const char kDatabase[] = R"(header 6|1
region USA|Texas|US|48
airport KAUS|-351000|1083000|542|0|Austin||
region USA|Ohio|US|39
airport KCMH|-297000|1440000|815|0|Columbus||
file
region Germany||DE|1
airport EDNY|34000|1710000|1367|0|Friedrichshafen||
)";

class AeroReload : public testing::Ka1Test {
 protected:
  void SetUp() override {
    Ka1Test::SetUp();
    for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) SelectedDataFiles()[c].selected.SetSize(0);
    SetDataFilesFolder(u"");
  }
  static void Select(std::int32_t category, const char16_t* name, const char16_t* folder = u"") {
    DataFileEntry e = NewDataFileEntry();
    SetEntryText(e.name, name);
    SetEntryText(e.folder, folder);
    SelectedDataFiles()[category].selected.Append(e);
  }
};

TEST_F(AeroReload, SelectedFilesAndCountriesFillTheTablesAndPointIndexes) {
  auto files = Describe(kDatabase);
  Put("us.ka1", files[0]);
  std::filesystem::create_directories(device_folder() / "root" / "Storage Card");
  Put("Storage Card/eu.ka1", files[1]);
  Select(kFilesAviationDb, u"us.ka1");
  Select(kFilesAviationDb, u"eu.ka1", u"\\Storage Card");
  Select(kFilesCountries, u"Germany");
  Select(kFilesCountries, u"Atlantis");  // no longer offered: dropped
  Select(kFilesCountries, u"USA, Ohio");
  ReloadAviationData(AeroData(), tiles, ui);
  const PathList& available = AvailableDataFiles()[kFilesCountries];
  ASSERT_EQ(available.Size(), 3);
  EXPECT_EQ(std::u16string(available[0].name), u"USA, Texas");
  EXPECT_EQ(std::u16string(available[2].name), u"Germany");
  ASSERT_EQ(SelectedDataFiles()[kFilesCountries].selected.Size(), 2);
  ASSERT_EQ(AeroData().airports.Size(), 3);
  EXPECT_STREQ(AeroData().airports[1].code, "KCMH");
  EXPECT_STREQ(AeroData().airports[2].code, "EDNY");
  EXPECT_EQ(PointTableOf(kPointAirport).Count(), 3);
  EXPECT_EQ(PointTableOf(kPointAirport).reference, GeoPoint{});
}

}  // namespace
}  // namespace cumulor
