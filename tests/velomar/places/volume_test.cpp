// The database volume: created with its five databases and the default place on first open, kept
// on reopen, a database deleted from it recreated, and a file that is no volume refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/kernel/device_folder.h"
#include "platform/kernel/kernel.h"
#include "tests/velomar/places/places_fixture.h"

namespace {

using places_test::PlacesTest;

class VolumeTest : public PlacesTest {
 protected:
  static std::filesystem::path VolumeFile() { return ce::DeviceRootFolder() / "Program Files/Velomar/quarn.db"; }

  // The names of the databases in the (unmounted) volume.
  std::set<std::u16string> DatabaseNames() {
    CEGUID guid{};
    std::set<std::u16string> names;
    if (!CeMountDBVolEx(&guid, db().GetVolumePath().c_str(), nullptr, OPEN_EXISTING)) return names;
    HANDLE find = CeFindFirstDatabaseEx(&guid, 0);
    for (CEOID oid; (oid = CeFindNextDatabaseEx(find, &guid)) != 0;) {
      CEDBASEINFOEX info{};
      if (CeGetDatabaseInfoEx(&guid, oid, &info)) names.insert(info.szDbaseName);
    }
    CloseHandle(find);
    CeUnmountDBVol(&guid);
    return names;
  }

  // Deletes one database from the (unmounted) volume.
  void DeleteDatabase(const std::u16string& name) {
    CEGUID guid{};
    ASSERT_TRUE(CeMountDBVolEx(&guid, db().GetVolumePath().c_str(), nullptr, OPEN_EXISTING));
    HANDLE find = CeFindFirstDatabaseEx(&guid, 0);
    for (CEOID oid; (oid = CeFindNextDatabaseEx(find, &guid)) != 0;) {
      CEDBASEINFOEX info{};
      if (CeGetDatabaseInfoEx(&guid, oid, &info) && name == info.szDbaseName) {
        EXPECT_TRUE(CeDeleteDatabase(&guid, oid));
      }
    }
    CloseHandle(find);
    CeUnmountDBVol(&guid);
  }

  std::vector<CStrPlace> AllPlaces() {
    std::vector<CStrPlace> all;
    places().GetAllRecords(all);
    return all;
  }
};

TEST_F(VolumeTest, FirstOpenCreatesTheVolumeWithTheDefaultPlaceAndReopenKeepsIt) {
  EXPECT_EQ(db().GetVolumePath(), u"\\Program Files\\Velomar\\quarn.db");
  ASSERT_FALSE(std::filesystem::exists(VolumeFile()));
  db().OpenDB();
  EXPECT_TRUE(std::filesystem::exists(VolumeFile()));
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    const auto all = AllPlaces();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].GetName(), u"Unknown");
    EXPECT_EQ(all[0].GetDescription(), u"Default place");
    EXPECT_EQ(all[0].GetImage(), u"place_unknown.png");
    EXPECT_EQ(all[0].GetIdPlace(), 0);
    EXPECT_EQ(db().CountRecords(), 1);
    db().CloseDB();
    db().OpenDB();
  }
  db().CloseDB();
  EXPECT_EQ(DatabaseNames(), (std::set<std::u16string>{u"places", u"lacs", u"cells", u"periods", u"actions"}));
  EXPECT_TRUE(teskautils::seam::TakeShownBoxes().empty());
}

TEST_F(VolumeTest, TheDefaultPlaceIsInTheLanguageActiveAtCreation) {
  translator_.reset();
  SetSetting(u"language", std::u16string(u"es"));
  translator_ = std::make_unique<CTranslator>();
  db().OpenDB();
  const auto all = AllPlaces();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].GetName(), u"Desconocido");
  EXPECT_EQ(all[0].GetDescription(), u"Lugar por defecto");
}

TEST_F(VolumeTest, ADatabaseDeletedFromTheVolumeComesBackWithItsDefaultRecords) {
  for (const std::u16string name : {u"places", u"lacs", u"cells", u"periods", u"actions"}) {
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    db().OpenDB();
    const CStrPlace work = AddPlace(u"Work");
    const CStrPeriod day = AddPeriod(work.GetIdPlace(), u"Day", 8, 0, 17, 0);
    AddAction(day.GetKey(), 2);
    AddLocation(cells(), 1001, work.GetIdPlace());
    AddLocation(lacs(), 2001, work.GetIdPlace());
    db().CloseDB();

    DeleteDatabase(name);
    EXPECT_EQ(DatabaseNames().count(name), 0u);
    EXPECT_NO_THROW(db().OpenDB());
    const int expected[] = {name == u"places" ? 1 : 2, name == u"lacs" ? 0 : 1, name == u"cells" ? 0 : 1,
                            name == u"periods" ? 0 : 1, name == u"actions" ? 0 : 1};
    EXPECT_EQ(places().CountRecords(), expected[0]);
    EXPECT_EQ(lacs().CountRecords(), expected[1]);
    EXPECT_EQ(cells().CountRecords(), expected[2]);
    EXPECT_EQ(periods().CountRecords(), expected[3]);
    EXPECT_EQ(actions().CountRecords(), expected[4]);
    if (name == u"places") {
      CStrPlace unknown;
      unknown.SetIdPlace(0);
      EXPECT_TRUE(places().FindAndFill(unknown));
      EXPECT_EQ(unknown.GetImage(), u"place_unknown.png");
    }
    db().CloseDB();
    std::filesystem::remove(VolumeFile());
  }
}

TEST_F(VolumeTest, AVolumeThatCannotBeMountedRaisesTheTranslatedError) {
  const struct {
    const char* name;
    bool folder;
    std::u16string text;
  } cases[] = {{"a file that is no volume", false, u"The database volume could not be opened (error 11)."},
               {"a folder", true, u"The database volume could not be opened (error 5)."}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(VolumeFile());
    std::filesystem::create_directories(VolumeFile().parent_path());
    if (c.folder) {
      std::filesystem::create_directory(VolumeFile());
    } else {
      std::ofstream(VolumeFile(), std::ios::binary) << std::string(4096, 'x');
    }
    EXPECT_EQ(RaisedText([&] { db().OpenDB(); }), c.text);
    EXPECT_EQ(db().GetVolumeGuid()->Data1, 0xFFFFFFFFu);
    EXPECT_FALSE(places().IsOpen());
  }
}

TEST_F(VolumeTest, TheLocationTableFollowsTheSettingAtEachCall) {
  EXPECT_EQ(db().GetLocationTable(), static_cast<CTableLocation*>(&lacs()));
  SetSetting(u"location_mode", 1);
  EXPECT_EQ(db().GetLocationTable(), static_cast<CTableLocation*>(&cells()));
  EXPECT_NE(dynamic_cast<CStrCell*>(CreateLocationRecord().get()), nullptr);
  SetSetting(u"location_mode", 0);
  EXPECT_EQ(db().GetLocationTable(), static_cast<CTableLocation*>(&lacs()));
  EXPECT_NE(dynamic_cast<CStrLAC*>(CreateLocationRecord().get()), nullptr);
}

TEST_F(VolumeTest, TheInstanceIsTheLastDatabaseObjectMade) {
  EXPECT_EQ(CDB::GetInstance(), db_.get());
  db_.reset();
  EXPECT_EQ(CDB::GetInstance(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(VolumeFile()));  // never opened: nothing was mounted
}

}  // namespace
