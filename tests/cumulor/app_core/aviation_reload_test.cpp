// Command 40090 in the test process: the aeronautical database of the selected files and countries.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cumulor/app/core/aviation_reload.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/points/point_db.h"
#include "tests/cumulor/app_core/app_fixture.h"

using namespace cumulor;
using cumulor_test::AppTest;

namespace {

class AviationReload : public AppTest {
 protected:
  void TearDown() override {
    for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) SelectedDataFiles()[c].selected.SetSize(0);
    AeroData().Clear();
    AeroData().selectedRegions.SetSize(0);
    AppTest::TearDown();
  }
};

TEST_F(AviationReload, TheCommandLoadsTheSelectedRegionsOfTheSelectedFiles) {
  ASSERT_TRUE(cumulor_test::WriteGeneratedKa1(device_folder() / "root" / "Aero" / "alps.ka1",
                                              "region Switzerland||CH|1\n"
                                              "airport LSZH|307764|1708488|1416|0|Zurich||\n"
                                              "region Austria||AT|2\n"
                                              "airport LOWI|40000|1700000|1906|0|Innsbruck||\n"));
  SetDataFilesFolder(u"\\Aero");
  DataFileEntry file = NewDataFileEntry();
  SetEntryText(file.name, u"alps.ka1");
  SelectedDataFiles()[kFilesAviationDb].selected.Append(file);
  DataFileEntry country = NewDataFileEntry();
  SetEntryText(country.name, u"Austria");
  SelectedDataFiles()[kFilesCountries].selected.Append(country);

  OnCommand(*app, kCmdReloadAviationData, 100);
  ASSERT_EQ(AeroData().airports.Size(), 2);
  EXPECT_STREQ(PointRefName(PointRef{kPointAirport, 1}), "Innsbruck");
  EXPECT_EQ(PointTableOf(kPointAirport).Count(), 2);
  EXPECT_EQ(app->dialogActive, 0);
  EXPECT_EQ(AvailableDataFiles()[kFilesCountries].Size(), 2);
}

}  // namespace
