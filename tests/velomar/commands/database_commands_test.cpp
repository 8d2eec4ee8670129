// The database maintenance of the main window's menu: an import that cannot read its file, a
// restore of a file that is no volume, a backup that cannot be written and a delete that fails
// all leave the data as it was, open, and tell the user; the integrity check tells its count.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <atomic>
#include <mutex>
#include <thread>
#include <filesystem>
#include <iostream>
#include <fstream>
#include <string>
#include <vector>

#include "platform/cedb/cedb_faults.h"
#include "platform/files/files.h"
#include "platform/testing/child_process.h"
#include "platform/testing/folder_states.h"
#include "platform/kernel/device_folder.h"
#include "platform/scripted/scripted_user.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"
#include "tests/velomar/places/places_fixture.h"
#include "velomar/ui/DatabaseCommands.h"
#include "velomar/ui/ImportProgress.h"

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

// ---- The import, whole or not at all -----------------------------------------------------------

// An exchange file of `count` places named "<prefix> <n>", each with a cell and a period with an
// action.
std::string ExchangeFile(const std::string& prefix, int count) {
  std::ostringstream xml;
  xml << "<Velomar>";
  for (int i = 1; i <= count; ++i) {
    xml << "<place name=\"" << prefix << ' ' << i << "\" description=\"d\" image=\"\" id=\"" << i << "\">"
        << "<cell id=\"" << 1000 + i << "\"/><schedule name=\"Day\" begin_hour=\"8\" begin_minute=\"0\" end_hour=\"18\""
        << " end_minute=\"0\"><action id=\"2\" type=\"0\" arg_int_1=\"1\"/></schedule></place>";
  }
  xml << "</Velomar>";
  return xml.str();
}

// "Unknown" and "<prefix> 1" .. "<prefix> <count>", sorted as PlaceNames gives them.
std::vector<std::string> NamesOf(const std::string& prefix, int count) {
  std::vector<std::string> names{"Unknown"};
  for (int i = 1; i <= count; ++i) names.push_back(prefix + " " + std::to_string(i));
  std::sort(names.begin(), names.end());
  return names;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ",") + name;
  return list;
}

TEST_F(DatabaseCommandsTest, AnImportThatCannotBeWrittenKeepsTheOldPlacesAndSaysSo) {
  for (int i = 1; i <= 3; ++i) AddLocation(cells(), i, AddPlace(u"Old " + ce::text::FromUtf8(std::to_string(i))).GetIdPlace());
  const std::vector<std::string> before = PlaceNames();
  WriteFile("Velomar.xml", ExchangeFile("New", 8));
  const struct {
    const char* what;
    ce::cedb::CedbCall call;
    DWORD error;
    unsigned times;
    const char* reason;  // the second line of the box, or null for none
  } cases[] = {
      {"full while writing records", ce::cedb::CedbCall::kWrite, ERROR_DISK_FULL, 0, nullptr},
      {"no room for a new volume", ce::cedb::CedbCall::kMount, ERROR_DISK_FULL, 1,
       "The database volume could not be opened (error 112)."},
      {"read-only folder", ce::cedb::CedbCall::kCreateDatabase, ERROR_ACCESS_DENIED, 1, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    teskautils::seam::SetBoxAnswer(kYes);
    ce::cedb::FailCalls(c.call, c.error, c.times);
    EXPECT_FALSE(velomar::ui::ImportExchangeFile(db(), nullptr));
    ce::cedb::ClearFailures();
    const std::vector<std::string> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    const std::string writing = "Error box: The file \\Program Files\\Velomar\\quarn.db could not be written.";
    EXPECT_EQ(boxes[1].substr(0, writing.size()), writing) << boxes[1];
    if (c.reason) {
      EXPECT_EQ(boxes[1], writing + "\n" + c.reason);
    }
    EXPECT_EQ(PlaceNames(), before);
    EXPECT_EQ(cells().CountRecords(), 3);
    for (const char* left : {"quarn.db.import", "quarn.db.import-wal", "quarn.db.import-shm"})
      EXPECT_FALSE(std::filesystem::exists(Host(std::string("Program Files/Velomar/") + left))) << left;
  }
  teskautils::seam::SetBoxAnswer(kYes);
  EXPECT_TRUE(velomar::ui::ImportExchangeFile(db(), nullptr));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{kQuestion, "Data imported from \\Velomar.xml"}));
  EXPECT_EQ(PlaceNames(), NamesOf("New", 8));
  EXPECT_EQ(cells().CountRecords(), 8);
}

// The menu's import of a long file with a few rows it cannot store: a window shows how far it got
// while it runs (read from another thread, as a person sees it), the rows are skipped and the
// success box says how many.
TEST_F(DatabaseCommandsTest, AnImportShowsItsProgressAndSaysHowManyRowsItSkipped) {
  std::string file = ExchangeFile("New", 300);
  file.insert(file.size() - std::string("</Velomar>").size(),
              "<place name=\"Bad\" id=\"301\"><cell id=\"abc\"/><cell id=\"-5\"/><cell id=\"7\"/>"
              "<schedule name=\"Late\" begin_hour=\"99\" end_minute=\"61\"><action id=\"2\"/></schedule></place>");
  WriteFile("Velomar.xml", file);
  std::atomic<bool> done{false};
  std::vector<std::string> shown;
  std::thread watcher([&] {
    while (!done.load()) {
      if (HWND window = FindWindowW(velomar::ui::kImportProgressClass, nullptr)) {
        WCHAR text[128] = {};
        GetWindowTextW(window, text, 128);
        const std::string now = ce::text::ToUtf8(text);
        if (!now.empty() && (shown.empty() || shown.back() != now)) shown.push_back(now);
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  teskautils::seam::SetBoxAnswer(kYes);
  const bool imported = velomar::ui::ImportExchangeFile(db(), nullptr);
  done = true;
  watcher.join();
  EXPECT_TRUE(imported);
  EXPECT_EQ(FindWindowW(velomar::ui::kImportProgressClass, nullptr), nullptr);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{kQuestion, "Data imported from \\Velomar.xml\n"
                                                          "3 rows with a value out of range were skipped."}));
  EXPECT_EQ(cells().CountRecords(), 301);
  EXPECT_EQ(periods().CountRecords(), 300);
  // Several steps seen, each "Importing places: <done> of 301", done never going back.
  ASSERT_GE(shown.size(), 2u) << Joined(shown);
  int last = -1;
  for (const std::string& text : shown) {
    int done_count = -1, total = -1;
    ASSERT_EQ(std::sscanf(text.c_str(), "Importing places: %d of %d", &done_count, &total), 2) << text;
    EXPECT_EQ(total, 301);
    EXPECT_GE(done_count, last);
    last = done_count;
  }
}

TEST_F(DatabaseCommandsTest, AnImportOnAFullFolderKeepsTheOldPlaces) {
  for (int i = 1; i <= 3; ++i) AddPlace(u"Old " + ce::text::FromUtf8(std::to_string(i)));
  db().CloseDB();
  WriteFile("Velomar.xml", ExchangeFile("New", 40));
  const ce::testing::FolderRun run =
      ce::testing::RunWithFolderState(ce::testing::FolderState::kFull, device_folder(), IMPORT_RUN_PATH, {});
  if (!run.available) GTEST_SKIP() << "no full folder here: " << run.output;
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_NE(run.output.find("box: The file \\Program Files\\Velomar\\quarn.db could not be written."), std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("could not be read"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("places: " + Joined(NamesOf("Old", 3)) + "\n"), std::string::npos) << run.output;
  db().OpenDB();
}

TEST_F(DatabaseCommandsTest, AnImportKilledAtAnyMomentLeavesTheOldOrTheNewPlaces) {
  // VELOMAR_IMPORT_KILLS sets the number of kills (8 by default, to keep the test short).
  const char* env = std::getenv("VELOMAR_IMPORT_KILLS");
  const int kills = env ? std::max(1, std::atoi(env)) : 8;
  for (int i = 1; i <= 5; ++i) AddLocation(cells(), i, AddPlace(u"Old " + ce::text::FromUtf8(std::to_string(i))).GetIdPlace());
  db().CloseDB();
  const std::filesystem::path volume = Host("Program Files/Velomar/quarn.db");
  const std::filesystem::path saved = device_folder() / "old-quarn.db";
  std::filesystem::copy_file(volume, saved);
  WriteFile("Velomar.xml", ExchangeFile("New", 40));
  const std::string old_places = Joined(NamesOf("Old", 5)), new_places = Joined(NamesOf("New", 40));

  const auto restore_old = [&] {
    for (const char* suffix : {"-wal", "-shm"}) std::filesystem::remove(volume.string() + suffix);
    std::filesystem::copy_file(saved, volume, std::filesystem::copy_options::overwrite_existing);
  };
  // What the volume holds now, as "places|cells".
  const auto stored = [&] {
    db().OpenDB();
    const std::string what = Joined(PlaceNames()) + "|" + std::to_string(cells().CountRecords());
    db().CloseDB();
    return what;
  };

  // One whole run times the import (from the volume's opening to the end).
  std::chrono::steady_clock::duration span{};
  {
    ce::testing::ChildProcess child(IMPORT_RUN_PATH, {IMPORT_RUN_PATH, "--device", device_folder().string()});
    ASSERT_EQ(child.ReadLine(60000), "open");  // a loaded machine starts a sanitized program slowly
    const auto opened = std::chrono::steady_clock::now();
    while (child.ReadLine()) {
    }
    span = std::chrono::steady_clock::now() - opened;
    ASSERT_EQ(child.Wait(), 0);
  }
  ASSERT_EQ(stored(), new_places + "|40");

  std::mt19937 random(20261211);
  int old_seen = 0, new_seen = 0;
  for (int k = 0; k < kills; ++k) {
    SCOPED_TRACE("kill " + std::to_string(k));
    restore_old();
    ce::testing::ChildProcess child(IMPORT_RUN_PATH, {IMPORT_RUN_PATH, "--device", device_folder().string()});
    ASSERT_EQ(child.ReadLine(60000), "open");  // a loaded machine starts a sanitized program slowly
    // Spread over the import's span, each kill at a random point of its own slice.
    const double at = (k + std::uniform_real_distribution<double>(0, 1)(random)) / kills;
    std::this_thread::sleep_for(std::chrono::duration_cast<std::chrono::microseconds>(span * at));
    child.Kill();
    child.Wait();
    const std::string what = stored();
    if (what == old_places + "|5") {
      ++old_seen;
    } else if (what == new_places + "|40") {
      ++new_seen;
    } else {
      ADD_FAILURE() << "a mixed volume: " << what;
    }
    EXPECT_FALSE(std::filesystem::exists(Host("Program Files/Velomar/quarn.db.import")));
  }
  EXPECT_EQ(old_seen + new_seen, kills);
  std::cout << "killed " << kills << " imports: " << old_seen << " left the old places, " << new_seen << " the new\n";
  db().OpenDB();
}

}  // namespace
