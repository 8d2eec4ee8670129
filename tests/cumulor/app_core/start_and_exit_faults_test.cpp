// Faults around the program's start and end: exit while the GPS thread reads a large airspace file
// (the shutdown waits until that thread has really stopped before the application record goes, and
// the reader ends early once its thread was told to end), and copies a kill cut short.
#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <thread>

#include "program_fixture.h"
#include "cumulor/data/files/data_files.h"

namespace {

using cumulor_test::ProgramTest;

// An OpenAir file of `areas` small restricted areas around 47 N 11 E.
void WriteAirspaceFile(const std::filesystem::path& file, int areas) {
  std::ofstream out(file);
  for (int i = 0; i < areas; ++i) {
    const int minute = i % 50, second = (i / 50) % 50;
    out << "AC R\nAN AREA " << i << "\nAL SFC\nAH FL100\n";
    for (int k = 0; k < 8; ++k)
      out << "DP 47:" << (minute + k % 2) << ":" << second << " N 011:" << (minute + k / 2) << ":" << second << " E\n";
  }
}

TEST_F(ProgramTest, ExitDuringAnAirspaceLoadOnTheGpsThreadEndsSoonAndSafely) {
  StartProgram();
  // The device's time runs on while the test waits: the simulator's fixes and the shutdown's
  // time-outs follow it.
  std::atomic<bool> ticking{true};
  std::thread clock([&] {
    while (ticking) {
      AdvanceClock(100);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  // The desktop puts a large airspace file in place of the selected one after the start: the next
  // first fix reads it on the GPS thread.
  WriteAirspaceFile(device_folder() / "root" / "large.txt", 150000);
  cumulor::DataFileEntry entry = cumulor::NewDataFileEntry();
  cumulor::SetEntryText(entry.name, u"large.txt");
  cumulor::SetEntryText(entry.folder, u"\\");
  cumulor::PathList& selected = cumulor::SelectedDataFiles()[cumulor::kFilesUserAirspace].selected;
  std::mutex& loadLock = app->airspace.loadLock;
  {
    std::lock_guard guard(loadLock);  // the GPS thread compares the list under it
    selected.SetSize(0);
    ASSERT_EQ(selected.Append(entry), S_OK);
  }
  app->firstFixAwaited = 1;
  const bool loading = PumpUntil([&] {
    if (!loadLock.try_lock()) return true;
    loadLock.unlock();
    return false;
  });
  // The GPS thread gets its five seconds of device time to end, then stops at the reader's next
  // check; the record goes only after that.
  if (loading) StopProgram();
  ticking = false;
  clock.join();
  ASSERT_TRUE(loading);
}

// Copies into the documents folder or the root that a kill cut short are gone after the start;
// other hidden files stay.
TEST_F(ProgramTest, CopiesCutShortByAKillAreRemovedAtStart) {
  const auto docs = device_folder() / "root" / "My Documents";
  const auto root = device_folder() / "root";
  std::ofstream(docs / ".Cumulor.xml.old.copy-x1Y2z3") << "cut";
  std::ofstream(root / ".Cumulor_OLD.cup.copy-AAAAAA") << "cut";
  std::ofstream(docs / ".Cumulor.xml.old.copy-x1Y2") << "kept";
  // Documents written aside and never renamed: removed; a user's own ".tmp" file stays.
  std::ofstream(docs / "Cumulor.xml.tmp") << "<cut";
  std::ofstream(docs / "MyCumulor.dat.tmp") << "cut";
  std::ofstream(root / "CumulorTask0.cup.tmp") << "cut";
  std::ofstream(docs / "notes.tmp") << "kept";
  StartProgram();
  EXPECT_FALSE(std::filesystem::exists(docs / ".Cumulor.xml.old.copy-x1Y2z3"));
  EXPECT_FALSE(std::filesystem::exists(root / ".Cumulor_OLD.cup.copy-AAAAAA"));
  EXPECT_TRUE(std::filesystem::exists(docs / ".Cumulor.xml.old.copy-x1Y2"));
  for (const auto& cut : {docs / "Cumulor.xml.tmp", docs / "MyCumulor.dat.tmp", root / "CumulorTask0.cup.tmp"})
    EXPECT_FALSE(std::filesystem::exists(cut)) << cut;
  EXPECT_TRUE(std::filesystem::exists(docs / "notes.tmp"));
}

}  // namespace
