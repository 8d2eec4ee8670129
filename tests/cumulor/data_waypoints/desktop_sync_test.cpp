#include <gtest/gtest.h>

#include "cumulor/data/sync/desktop_sync.h"
#include "waypoint_fixture.h"

namespace cumulor {
namespace {

// "KVSync_Files.bin" written from its layout: per category a 32-bit count, then 260-byte entries.
class SyncFile {
 public:
  SyncFile& List(const std::vector<std::pair<std::u16string, std::u16string>>& entries) {
    AppendInt(static_cast<std::int32_t>(entries.size()));
    for (const auto& [name, folder] : entries) {
      std::u16string n = name, f = folder;
      n.resize(64, u'\0');
      f.resize(64, u'\0');
      for (char16_t c : n) AppendChar(c);
      for (char16_t c : f) AppendChar(c);
      AppendInt(0x1234);  // the handle slot as the desktop leaves it
    }
    return *this;
  }
  SyncFile& Raw(const std::string& bytes) {
    bytes_ += bytes;
    return *this;
  }
  SyncFile& Count(std::int32_t n) {
    AppendInt(n);
    return *this;
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  void AppendInt(std::int32_t v) {
    for (int i = 0; i < 4; ++i) bytes_ += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  }
  void AppendChar(char16_t c) {
    bytes_ += static_cast<char>(c & 0xFF);
    bytes_ += static_cast<char>(c >> 8);
  }
  std::string bytes_;
};

class DesktopSync : public WaypointTest {
 protected:
  void SetUp() override {
    WaypointTest::SetUp();
    reloads.clear();
    loaded.clear();
    SyncHooks& hooks = SyncHooksInstalled();
    hooks = SyncHooks{};
    hooks.reload = [this](std::int32_t type) { reloads.push_back(type); };
    hooks.status = [this](const WCHAR* t) { loaded.push_back(std::u16string(u"status ") + t); };
    hooks.loadSettingsDocument = [this](const WCHAR* p) { loaded.push_back(p); };
    hooks.loadTasksDocument = [this](const WCHAR* p) { loaded.push_back(p); };
    hooks.clearTaskNavigation = [this] { loaded.push_back(u"clear"); };
  }
  void TearDown() override {
    SyncHooksInstalled() = SyncHooks{};
    WaypointTest::TearDown();
  }
  static SyncFile NineLists() {
    SyncFile f;
    f.List({{u"t.kv3", u""}})
        .List({{u"w.dat", u""}})
        .List({{u"a.txt", u""}, {u"b.txt", u"\\Storage Card"}})
        .List({{u"ls8.plr", u""}})
        .List({})
        .List({{u"europe.ka1", u""}})
        .List({{u"Germany", u""}})
        .List({{u"th.kt1", u""}})
        .List({{u"English", u""}});
    return f;
  }
  static std::u16string Selected(std::int32_t category) {
    std::u16string out;
    for (const DataFileEntry& e : SelectedDataFiles()[category].selected) out += std::u16string(e.folder) + e.name + u";";
    return out;
  }
  std::vector<std::int32_t> reloads;
  std::vector<std::u16string> loaded;
};

TEST_F(DesktopSync, ListBitsReplaceSelectionsAndReloadInOrder) {
  WriteFile("KVSync_Files.bin", NineLists().Bytes());
  EXPECT_EQ(SynchronizeFiles(0x3), S_OK);
  EXPECT_EQ(reloads, (std::vector<std::int32_t>{15}));  // the database is reloaded once
  EXPECT_EQ(Selected(kFilesAviationDb), u"europe.ka1;");
  EXPECT_EQ(Selected(kFilesCountries), u"Germany;");
  EXPECT_EQ(SelectedDataFiles()[kFilesAviationDb].selected[0].handle, -1);
  EXPECT_EQ(loaded, (std::vector<std::u16string>{u"status Av Db", u"status Countries"}));

  reloads.clear();
  EXPECT_EQ(SynchronizeFiles(0x1 | 0x4 | 0x8 | 0x10 | 0x20 | 0x40 | 0x400), S_OK);
  EXPECT_EQ(reloads, (std::vector<std::int32_t>{14, 9, 11, 10, 16, 12}));
  EXPECT_EQ(Selected(kFilesUserAirspace), u"a.txt;\\Storage Cardb.txt;");
  EXPECT_EQ(Selected(kFilesPolar), u"ls8.plr;");
  EXPECT_EQ(Selected(kFilesShape), u"");
  EXPECT_EQ(Selected(kFilesLanguages), u"");  // read, never applied
  EXPECT_EQ(loaded.back(), u"\\KV_SETTINGS_FROMDESKTOP.xml");
}

TEST_F(DesktopSync, ASuccessfulImportSkipsTheTasksDocumentAndKeepsTheFileAsOld) {
  WriteFile("KVSync_Files.bin", NineLists().Bytes());
  WriteFile("Cumulor.cup", "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\r\n\"A\",,,4800.000N,01100.000E,1m,1,,,,\r\n");
  EXPECT_EQ(SynchronizeFiles(0x100 | 0x200 | 0x80), S_OK);
  EXPECT_EQ(Count(), 1);
  EXPECT_FALSE(std::filesystem::exists(Root() / "Cumulor.cup"));
  EXPECT_EQ(ReadFile("Cumulor_OLD.cup").substr(0, 4), "name");
  EXPECT_TRUE(loaded.empty());

  // A declined import leaves the file and loads the tasks document.
  WriteFile("Cumulor.ste", "point 1 A\r\n}\r\n");
  Rec().answer = false;
  EXPECT_EQ(SynchronizeFiles(0x100 | 0x80), S_OK);
  EXPECT_TRUE(std::filesystem::exists(Root() / "Cumulor.ste"));
  EXPECT_EQ(loaded, (std::vector<std::u16string>{u"\\KV_TASKS_FROMDESKTOP.xml", u"clear"}));
}

TEST_F(DesktopSync, MissingOrDamagedListsChangeNoSelectionFromTheDamageOn) {
  SetDataFileName(kFilesTerrain, u"old.kv3");
  SetDataFileName(kFilesUserWaypoints, u"old.dat");
  SetDataFileName(kFilesAviationDb, u"old.ka1");
  EXPECT_EQ(SynchronizeFiles(0x7F), E_FAIL);
  EXPECT_EQ(LastMessage(), u"Synchronization failed.");
  EXPECT_TRUE(reloads.empty());

  struct Case {
    std::string bytes;
    HRESULT result;
  } cases[] = {
      {SyncFile().List({{u"t.kv3", u""}}).Count(50001).Bytes(), E_ABORT},
      {SyncFile().List({{u"t.kv3", u""}}).Count(-1).Bytes(), E_ABORT},
      {SyncFile().List({{u"t.kv3", u""}}).Count(2).Raw(std::string(300, 'x')).Bytes(), E_FAIL},
      {SyncFile().List({{u"t.kv3", u""}}).Raw("\x01\x00").Bytes(), E_FAIL},
  };
  for (const Case& c : cases) {
    Rec().messages.clear();
    reloads.clear();
    WriteFile("KVSync_Files.bin", c.bytes);
    EXPECT_EQ(SynchronizeFiles(0x7F), c.result);
    EXPECT_EQ(LastMessage(), u"Synchronization failed.");
    EXPECT_EQ(Selected(kFilesTerrain), u"t.kv3;");  // read before the damage
    EXPECT_EQ(Selected(kFilesUserWaypoints), u"old.dat;");
    EXPECT_EQ(Selected(kFilesAviationDb), u"old.ka1;");
    EXPECT_EQ(reloads, (std::vector<std::int32_t>{9}));
  }

  // A name that fills all 64 characters is cut to 63 and terminated.
  std::u16string longName(64, u'n');
  WriteFile("KVSync_Files.bin", SyncFile().List({{longName, u""}}).Bytes());
  SynchronizeFiles(0x4);
  EXPECT_EQ(Selected(kFilesTerrain), std::u16string(63, u'n') + u";");
}

}  // namespace
}  // namespace cumulor
