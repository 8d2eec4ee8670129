// The database maintenance of the main window's menu: an import that cannot read its file, a
// restore of a file that is no volume, a backup that cannot be written and a delete that fails
// all leave the data as it was, open, and tell the user; the integrity check tells its count.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files/files.h"
#include "platform/kernel/device_folder.h"
#include "platform/scripted/scripted_user.h"
#include "platform/text/utf.h"
#include "tests/velomar/places/places_fixture.h"
#include "velomar/ui/DatabaseCommands.h"

namespace {

constexpr int kYes = 6;

class DatabaseCommandsTest : public places_test::PlacesTest {
 protected:
  void SetUp() override {
    PlacesTest::SetUp();
    db().OpenDB();
    std::filesystem::create_directories(Host("My Documents"));
  }

  static std::filesystem::path Host(const std::string& relative) { return ce::DeviceRootFolder() / relative; }
  static void WriteFile(const std::string& relative, const std::string& bytes) {
    std::ofstream(Host(relative), std::ios::binary) << bytes;
  }

  // The place names, sorted ("Unknown" is the default place).
  std::vector<std::string> PlaceNames() {
    std::vector<CStrPlace> all;
    places().GetAllRecords(all);
    std::vector<std::string> names;
    for (const CStrPlace& place : all) names.push_back(ce::text::ToUtf8(place.GetName()));
    std::sort(names.begin(), names.end());
    return names;
  }

  // The boxes shown since the last call, as "text" or "Error box: text".
  static std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (const auto& box : teskautils::seam::TakeShownBoxes())
      texts.push_back((box.caption == u"Error" ? "Error box: " : "") + ce::text::ToUtf8(box.text));
    return texts;
  }

  static const std::string kQuestion;
};

const std::string DatabaseCommandsTest::kQuestion =
    "This operation deletes the places, periods and actions stored now. Go on?";

TEST_F(DatabaseCommandsTest, AnImportReadsTheFileBeforeDeletingAnything) {
  AddLocation(cells(), 4711, AddPlace(u"Home").GetIdPlace());
  const std::vector<std::string> before = PlaceNames();
  const struct {
    const char* what;
    const char* file;  // null: no file
    const char* box;
  } cases[] = {
      {"no file", nullptr, "Error box: The file \\Velomar.xml does not exist."},
      {"cut short", "<Velomar><place name=\"Beach\" id=\"3\"><cell id=\"5\"/>", "Error box: The file could not be read."},
      {"not XML", "\x01\x02 quarn", "Error box: The file could not be read."},
      {"empty", "", "Error box: The file could not be read."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(Host("Velomar.xml"));
    if (c.file) WriteFile("Velomar.xml", c.file);
    teskautils::seam::SetBoxAnswer(kYes);
    EXPECT_FALSE(velomar::ui::ImportExchangeFile(db(), nullptr));
    EXPECT_EQ(Boxes(), (std::vector<std::string>{kQuestion, c.box}));
    EXPECT_EQ(PlaceNames(), before);
    EXPECT_EQ(cells().CountRecords(), 1);
  }

  // Answered No, even a good file changes nothing; answered Yes it replaces the tables.
  WriteFile("Velomar.xml", "<Velomar><place name=\"Beach\" description=\"\" image=\"\" id=\"3\"><cell id=\"5\"/></place></Velomar>");
  teskautils::seam::SetBoxAnswer(7);
  EXPECT_FALSE(velomar::ui::ImportExchangeFile(db(), nullptr));
  EXPECT_EQ(PlaceNames(), before);
  Boxes();
  teskautils::seam::SetBoxAnswer(kYes);
  EXPECT_TRUE(velomar::ui::ImportExchangeFile(db(), nullptr));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{kQuestion, "Data imported from \\Velomar.xml"}));
  EXPECT_EQ(PlaceNames(), (std::vector<std::string>{"Beach", "Unknown"}));
  EXPECT_EQ(cells().CountRecords(), 1);
}

TEST_F(DatabaseCommandsTest, BackupAndRestoreKeepTheDataWhenTheyFail) {
  auto& user = ce::scripted::User::Get();
  AddPlace(u"Home");

  // A backup into a folder that does not exist is told, and the volume is open again.
  user.AnswerSaveFile(u"\\No Such Folder\\quarn.db");
  velomar::ui::BackupDatabase(db(), nullptr);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Error box: The database could not be copied (error 3)."}));
  AddPlace(u"Work");
  EXPECT_EQ(PlaceNames(), (std::vector<std::string>{"Home", "Unknown", "Work"}));

  // A good backup is silent.
  user.AnswerSaveFile(u"\\My Documents\\quarn.db");
  velomar::ui::BackupDatabase(db(), nullptr);
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
  AddPlace(u"Beach");

  // A file that is not a volume: the previous data is put back and open.
  WriteFile("My Documents/notes.db", "these are notes, not a database");
  teskautils::seam::SetBoxAnswer(kYes);
  user.AnswerOpenFile(u"\\My Documents\\notes.db");
  EXPECT_FALSE(velomar::ui::RestoreDatabase(db(), nullptr));
  std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], kQuestion);
  EXPECT_EQ(boxes[1].rfind("Error box: The file is not a Velomar database; the data was kept as it was.", 0), 0u)
      << boxes[1];
  EXPECT_EQ(PlaceNames(), (std::vector<std::string>{"Beach", "Home", "Unknown", "Work"}));
  EXPECT_FALSE(std::filesystem::exists(Host("Program Files/Velomar/quarn.db.previous")));

  // The backup restores.
  user.AnswerOpenFile(u"\\My Documents\\quarn.db");
  EXPECT_TRUE(velomar::ui::RestoreDatabase(db(), nullptr));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{kQuestion}));
  EXPECT_EQ(PlaceNames(), (std::vector<std::string>{"Home", "Unknown", "Work"}));
}

TEST_F(DatabaseCommandsTest, AFailedDeleteLeavesTheVolumeOpenAndAFormatEmptiesIt) {
  AddPlace(u"Home");
  const std::u16string volume = db().GetVolumePath();
  ASSERT_TRUE(SetFileAttributesW(volume.c_str(), FILE_ATTRIBUTE_READONLY));
  teskautils::seam::SetBoxAnswer(kYes);
  EXPECT_FALSE(velomar::ui::FormatDatabase(db(), nullptr));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{kQuestion, "Error box: The database could not be deleted (error 5)."}));
  EXPECT_EQ(PlaceNames(), (std::vector<std::string>{"Home", "Unknown"}));
  ASSERT_TRUE(SetFileAttributesW(volume.c_str(), FILE_ATTRIBUTE_NORMAL));

  EXPECT_TRUE(velomar::ui::FormatDatabase(db(), nullptr));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{kQuestion}));
  EXPECT_EQ(PlaceNames(), (std::vector<std::string>{"Unknown"}));
}

TEST_F(DatabaseCommandsTest, AReaderHoldingTheDatabaseLockNeverSeesTheVolumeClosed) {
  // The schedule engine holds the database lock around its table work; a format in between closes,
  // deletes and reopens the volume under that lock, so the reader always finds the default place.
  std::atomic<bool> done{false};
  std::atomic<int> reads{0}, empty{0};
  std::thread reader([&] {
    for (int i = 0; i < 2000 && !done.load(); ++i) {
      {
        std::lock_guard<std::recursive_mutex> lock(db().GetLock());
        std::vector<CStrPlace> all;
        places().GetAllRecords(all);
        if (all.empty()) ++empty;
      }
      ++reads;
      std::this_thread::yield();
    }
  });
  teskautils::seam::SetBoxAnswer(kYes);
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(velomar::ui::FormatDatabase(db(), nullptr));
  done = true;
  reader.join();
  EXPECT_GT(reads.load(), 0);
  EXPECT_EQ(empty.load(), 0);
  Boxes();
}

TEST_F(DatabaseCommandsTest, TheIntegrityCheckTellsTheCount) {
  const int home = AddPlace(u"Home").GetIdPlace();
  AddLocation(cells(), 4711, home);
  AddLocation(lacs(), 12, home);
  const int total = db().CountRecords();
  velomar::ui::CheckDatabaseIntegrity(db(), nullptr);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"The database has no errors (" + std::to_string(total) + " records)."}));

  // A cell of a place that is gone fails its table, which is not counted.
  AddLocation(cells(), 99, 77);
  velomar::ui::CheckDatabaseIntegrity(db(), nullptr);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Error box: The database has errors (" + std::to_string(total - 1) +
                                               " records checked)."}));
}

}  // namespace
