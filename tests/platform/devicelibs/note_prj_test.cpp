// note_prj.dll: the storage cards are the root folders the device folder names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/devicelibs/note_prj.h"
#include "platform/kernel/last_error.h"
#include "platform/libraries/libraries.h"
#include "platform/testing/device_test.h"
#include "platform/text/utf.h"

namespace {

using ce::libraries::ProcAs;

class NotePrjTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    lib_ = LoadLibraryW(u"note_prj.dll");
    ASSERT_NE(lib_, nullptr);
    first_ = ProcAs<decltype(FindFirstFlashCard)>(GetProcAddress(lib_, u"FindFirstFlashCard"));
    next_ = ProcAs<decltype(FindNextFlashCard)>(GetProcAddress(lib_, u"FindNextFlashCard"));
    ASSERT_TRUE(first_ && next_);
  }
  void TearDown() override {
    FreeLibrary(lib_);
    DeviceTest::TearDown();
  }
  void Folder(const char* name) { std::filesystem::create_directories(device_folder() / "root" / name); }
  void CardList(const std::string& text) { std::ofstream(device_folder() / "storage_cards.txt") << text; }
  // The card names in search order, closing the search as the programs do.
  std::vector<std::string> Cards() {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE search = first_(&data);
    if (search == INVALID_HANDLE_VALUE) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
      return names;
    }
    do names.push_back(ce::text::ToUtf8(ce::text::WideView(data.cFileName)));
    while (next_(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(search));
    return names;
  }

  HMODULE lib_ = nullptr;
  decltype(&FindFirstFlashCard) first_ = nullptr;
  decltype(&FindNextFlashCard) next_ = nullptr;
};

TEST_F(NotePrjTest, WithoutAListTheStorageCardFolderIsTheCard) {
  EXPECT_TRUE(Cards().empty());
  Folder("Storage Card");
  Folder("Temp");
  EXPECT_EQ(Cards(), (std::vector<std::string>{"Storage Card"}));
}

TEST_F(NotePrjTest, ListedFoldersThatExistAreTheCardsInRootOrder) {
  for (const char* name : {"SD2", "sd1", "Windows", "Card6", "Card5", "Card4"}) Folder(name);
  std::ofstream(device_folder() / "root" / "Plain") << "a file, not a card";
  CardList("  SD1 \r\nsd2\n\nGone\nPlain\ncard4\nCard5\nCard6\n");
  // Every card comes back; keeping at most five is the caller's business.
  EXPECT_EQ(Cards(), (std::vector<std::string>{"Card4", "Card5", "Card6", "sd1", "SD2"}));
  CardList("Gone\n");
  EXPECT_TRUE(Cards().empty());
}

TEST_F(NotePrjTest, BadArgumentsAreRefused) {
  Folder("Storage Card");
  EXPECT_EQ(first_(nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  WIN32_FIND_DATAW data;
  EXPECT_FALSE(next_(reinterpret_cast<HANDLE>(0x7777), &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  HANDLE search = first_(&data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(next_(search, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(FindClose(search));
}

}  // namespace
