// The registry and CEDB volumes on a device folder that cannot be written (full, or read-only):
// opening them writes nothing, so what they hold still reads, and each change is refused with the
// folder's reason. Run in processes of their own, for which the folder is in that state.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "platform/testing/device_test.h"
#include "platform/testing/folder_states.h"
#include "tests/platform/peer/peer_process.h"

namespace {

using ce::testing::FolderState;
using ce::testing::PeerProcess;

class UnwritableFolderTest : public ce::testing::DeviceTest {
 protected:
  // What the peer prints for `args` when the folder is in `state`; skips where that cannot be made.
  std::string Run(FolderState state, std::vector<std::string> args) {
    args.insert(args.begin(), device_folder().string());
    auto run = ce::testing::RunWithFolderState(state, device_folder(), DEVICE_PEER_PATH, args);
    if (!run.available) return "<unavailable> " + run.output;
    EXPECT_EQ(0, run.signal);
    return run.output;
  }

  // The registry as a cleanly closed database leaves it: everything in its file, no log beside it.
  void CloseRegistryCleanly() {
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open((device_folder() / "registry.db").c_str(), &db));
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_FALSE(std::filesystem::exists(device_folder() / "registry.db-shm"));
  }
};

TEST_F(UnwritableFolderTest, StoredDataReadsAndChangesAreRefusedWithTheReason) {
  {
    PeerProcess writer(device_folder(), {"reg-write", "Software\\Velomar", "language", "es"});
    ASSERT_EQ("ok", writer.Line());
    PeerProcess volume(device_folder(), {"cedb-list", "\\places.db", "new"});
    ASSERT_EQ("create ok", volume.Line());
  }
  const struct {
    const char* what;
    FolderState state;
    bool clean;            // the registry closed cleanly (no log or shared-memory file left)
    const char* refusal;   // the registry's HRESULT and the volume's error for a change
    const char* cedb_refusal;
  } cases[] = {
      {"full, files left by a running device", FolderState::kFull, false, "80070070", "112"},
      {"read-only, files left by a running device", FolderState::kReadOnly, false, "80070005", "5"},
      {"full, closed cleanly", FolderState::kFull, true, "80070070", "112"},
      {"read-only, closed cleanly", FolderState::kReadOnly, true, "80070005", "5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.clean) CloseRegistryCleanly();
    const std::string read = Run(c.state, {"reg-read", "Software\\Velomar", "language"});
    if (read.rfind("<unavailable>", 0) == 0) GTEST_SKIP() << "cannot make a full or read-only folder here: " << read;
    EXPECT_EQ("value es\n", read);
    EXPECT_EQ(std::string("error ") + c.refusal + "\n",
              Run(c.state, {"reg-write", "Software\\Velomar", "language", "en"}));
    EXPECT_EQ(std::string("added\ncreate error ") + c.cedb_refusal + "\n", Run(c.state, {"cedb-list", "\\places.db"}));
  }
  // Nothing changed meanwhile.
  PeerProcess reader(device_folder(), {"reg-read", "Software\\Velomar", "language"});
  EXPECT_EQ("value es", reader.Line());
}

}  // namespace
