// The log channel: record layout, the reader rule, the switches, over-long texts, many threads.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/last_error.h"
#include "platform/libraries/libraries.h"
#include "platform/testing/folder_states.h"
#include "platform/text/utf.h"
#include "tests/teskautils/log_queue_reader.h"
#include "tests/teskautils/teskautils_fixture.h"

namespace {

using teskautils_test::Expected;
using teskautils_test::LogQueueReader;
using teskautils_test::RecordBytes;
using teskautils_test::SeedLong;

class LogChannel : public teskautils_test::TeskaUtilsTest {};

TEST_F(LogChannel, RecordsAreLaidOutByteForByte) {
  LogQueueReader reader;
  ASSERT_TRUE(reader.created_new());  // the attach left no queue behind
  SetLastError(1234);
  LogFormateado(-7, u"n=%d %s", 42, u"ñ");
  Log(2, u"segundo");
  LogCompleto(4, u"Otro.exe", u"01:02:03", u"a|||b");
  EXPECT_EQ(GetLastError(), 1234u);  // logging keeps the caller's last error
  const auto records = reader.TakeBytes();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0], RecordBytes(-7, Expected(u"n=42 ñ")));
  EXPECT_EQ(records[1], RecordBytes(2, Expected(u"segundo")));
  EXPECT_EQ(records[2], RecordBytes(4, u"Otro.exe|||01:02:03|||a|||b|||"));
}

TEST_F(LogChannel, OnlyAReaderReceivesRecords) {
  Log(2, u"perdido");  // no reader: nothing is kept, and no queue is left behind
  {
    LogQueueReader reader;
    EXPECT_TRUE(reader.created_new());
    Log(2, u"recibido");
    const auto records = reader.Take();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, Expected(u"recibido"));
  }
  // The library keeps the queue it found; a later reader gets what was sent meanwhile.
  Log(2, u"guardado");
  LogQueueReader later;
  ASSERT_TRUE(later.ok());
  const auto records = later.Take();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].text, Expected(u"guardado"));
}

// With no reader the library makes no queue at all, not even one it removes again: each would
// reserve the queue's whole ring on the device.
TEST_F(LogChannel, NoQueueIsMadeWhileNoReaderHoldsIt) {
  const auto folder = device_folder() / "run" / "msgq";
  std::filesystem::create_directories(folder);
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, folder.c_str(), IN_CREATE | IN_MOVED_TO), 0);
  Log(2, u"nadie lee");
  LogFormateado(1, u"%s", u"tampoco");
  char events[4096];
  EXPECT_LE(read(watch, events, sizeof events), 0);  // no file appeared
  close(watch);
}

// On a full device the library's program still logs, starts and ends threads, and exits 0.
TEST_F(LogChannel, AProgramRunsToItsEndOnAFullDevice) {
  auto run = ce::testing::RunWithFolderState(ce::testing::FolderState::kFull, device_folder(),
                                             TESKAUTILS_CLIENT_PATH, {});
  if (!run.available) GTEST_SKIP() << "cannot make a full folder here: " << run.output;
  EXPECT_EQ(0, run.signal);
  EXPECT_EQ(0, run.exit_code);
  EXPECT_EQ("done\n", run.output);
}

TEST_F(LogChannel, ConvertsFormatsThatDoNotMatchAndCutsLongResults) {
  LogQueueReader reader;
  LogFormateado(2, u"%s tiene %d", 5);  // a translated format with other conversions
  LogFormateado(2, u"%s", std::u16string(3000, u'x'));
  LogFormateado(2, u"sin argumentos %d");
  const auto records = reader.Take();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].text, Expected(u"%s tiene %d"));
  EXPECT_EQ(records[1].text, Expected(std::u16string(999, u'x')));
  EXPECT_EQ(records[2].text, Expected(u"sin argumentos %d"));
}

TEST_F(LogChannel, ManyThreadsLogWholeRecords) {
  LogQueueReader reader;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 50; ++i) LogFormateado(1, u"hilo %d linea %d", t, i);
    });
  for (auto& th : threads) th.join();
  const auto records = reader.Take();
  ASSERT_EQ(records.size(), 200u);
  std::vector<int> per_thread(4, 0);
  for (const auto& r : records) {
    int t = -1, i = -1;
    ASSERT_EQ(r.text.rfind(u"Velomar.exe|||12:00:00|||hilo ", 0), 0u);
    const std::string tail(r.text.begin() + 30, r.text.end());
    ASSERT_EQ(std::sscanf(tail.c_str(), "%d linea %d|||", &t, &i), 2);
    ASSERT_EQ(i, per_thread.at(t)++);  // each thread's lines in order
  }
}

TEST_F(LogChannel, AFullQueueLosesRecordsWithoutWaiting) {
  LogQueueReader reader;  // reads nothing until the end
  for (int i = 0; i < 1100; ++i) LogFormateado(2, u"linea %d", i);
  const auto records = reader.Take();
  ASSERT_EQ(records.size(), 1000u);
  EXPECT_EQ(records.back().text, Expected(u"linea 999"));
}

class DisabledLog : public LogChannel {
  void SeedRegistry() override { SeedLong(u"log_habilitado", 0); }
};

TEST_F(DisabledLog, NothingIsSentAndNoLockIsHeld) {
  LogQueueReader reader;
  LogFormateado(2, u"oculto");
  Log(4, u"oculto");
  std::thread other([] { LogFormateado(2, u"desde otro hilo"); });
  other.join();
  EXPECT_TRUE(reader.Take().empty());
}

// Records against a maximum size of 400 bytes: the text alone must stay under it, and the whole
// record (4 + 2 x (name, time, text, three separators)) must fit it.
class SmallRecords : public LogChannel {
  void SeedRegistry() override { SeedLong(u"log_tamanio_maximo_registro", 400); }
};

TEST_F(SmallRecords, OverLongTextsAreDroppedWithAWarning) {
  LogQueueReader reader;
  const std::size_t fits = (400 - 4) / 2 - (11 + 8 + 9);  // 170 characters: exactly 400 bytes
  struct Case {
    std::size_t chars;
    bool sent;
  } cases[] = {{fits, true}, {fits + 1, false}, {199, false}, {200, false}, {1000, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chars);
    Log(2, std::u16string(c.chars, u'a').c_str());
    const auto records = reader.Take();
    ASSERT_EQ(records.size(), 1u);
    if (c.sent) {
      EXPECT_EQ(records[0].level, 2);
      EXPECT_EQ(records[0].text, Expected(std::u16string(c.chars, u'a')));
    } else {
      EXPECT_EQ(records[0].level, 3);
      EXPECT_EQ(records[0].text, Expected(u"Despreciando mensaje por longitud excesiva:" +
                                          ce::text::FromUtf8(std::to_string(2 * c.chars)) + u" bytes"));
    }
  }
}

class TinyRecords : public LogChannel {
  void SeedRegistry() override { SeedLong(u"log_tamanio_maximo_registro", 40); }
};

TEST_F(TinyRecords, AWarningThatDoesNotFitItselfIsDroppedSilently) {
  LogQueueReader reader;
  Log(2, u"demasiado para cuarenta bytes");
  Log(2, u"");  // 4 + 2 x 20 = 44 bytes: over the size too
  EXPECT_TRUE(reader.Take().empty());
}

class UnusableSizes : public LogChannel {
 protected:
  void SeedRegistry() override { SeedLong(u"log_tamanio_maximo_registro", size_); }
  DWORD size_ = 0;
};

TEST_F(UnusableSizes, ZeroOrHugeSizesActAsTheDefault) {
  for (DWORD size : {0u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(size);
    teskautils::seam::DetachLibrary();
    size_ = size;
    SeedRegistry();
    teskautils::seam::AttachLibrary();
    LogQueueReader reader;
    Log(2, std::u16string(2400, u'a').c_str());  // 4848 bytes: fits the default
    Log(2, std::u16string(2500, u'a').c_str());  // 5000 bytes of text: dropped
    const auto records = reader.Take();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].level, 2);
    EXPECT_EQ(records[1].text, Expected(u"Despreciando mensaje por longitud excesiva:5000 bytes"));
  }
}

}  // namespace

namespace {

TEST_F(LogChannel, EntryWritesTheThreadLinesAndAttachesOnce) {
  LogQueueReader reader;
  EXPECT_EQ(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr), TRUE);  // already attached: nothing
  EXPECT_EQ(DllMain(nullptr, DLL_THREAD_ATTACH, nullptr), TRUE);
  EXPECT_EQ(DllMain(nullptr, DLL_THREAD_DETACH, nullptr), TRUE);
  const auto records = reader.Take();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].level, 1);
  EXPECT_TRUE(records[0].text.starts_with(u"Velomar.exe|||12:00:00|||DLL_THREAD_ATTACH Velomar.exe:"));
  EXPECT_TRUE(records[1].text.starts_with(u"Velomar.exe|||12:00:00|||DLL_THREAD_DETACH Velomar.exe:"));
}

}  // namespace

namespace {

// The library may be detached (unloaded at the process's end) while another thread still logs:
// that thread's lines are dropped, never sent through freed state.
TEST_F(LogChannel, DetachWhileAnotherThreadLogs) {
  std::atomic<bool> stop{false};
  std::thread logger([&] {
    while (!stop) Log(2, u"linea");
  });
  for (int i = 0; i < 50; ++i) {
    teskautils::seam::DetachLibrary();
    teskautils::seam::AttachLibrary();
  }
  stop = true;
  logger.join();
}

}  // namespace
