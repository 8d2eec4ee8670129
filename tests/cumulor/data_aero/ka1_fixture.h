// Generated KA1 databases in a test device, and the loads that read them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cumulor/data/aero/ka1_reader.h"
#include "platform/testing/device_test.h"
#include "tools/ka1gen/ka1_writer.h"

namespace cumulor::testing {

class Ka1Test : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::filesystem::create_directories(device_folder() / "root");
    ui.status = [this](const std::u16string& s) { statuses.push_back(s); };
    ui.messageBox = [this](const std::u16string& text, const std::u16string& caption) {
      messages.push_back(text);
      captions.push_back(caption);
    };
    ui.pumpWait = [this](DWORD ms) { waits.push_back(ms); };
    AeroData().Clear();
    AeroData().selectedRegions.SetSize(0);
    AeroData().loadedIds.SetSize(0);
  }
  void TearDown() override {
    AeroData().Clear();
    AeroData().selectedRegions.SetSize(0);
    DeviceTest::TearDown();
  }

  // Parses a description that holds one or more files.
  static std::vector<ka1gen::File> Describe(const std::string& text) {
    std::vector<ka1gen::File> files;
    std::string error;
    EXPECT_TRUE(ka1gen::ParseDescription(text, files, error)) << error;
    return files;
  }
  // Writes bytes as "\<name>" and answers the device path.
  std::u16string Put(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(device_folder() / "root" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return u"\\" + std::u16string(name.begin(), name.end());
  }
  std::u16string Put(const std::string& name, const ka1gen::File& file, const ka1gen::Damage& damage = {}) {
    return Put(name, ka1gen::WriteKa1(file, damage));
  }
  // Lists the regions of the files, selects the entries and reloads.
  void LoadSelected(const std::vector<std::u16string>& files, const std::vector<std::u16string>& entries) {
    AeroData().allRegions.SetSize(0);
    ASSERT_EQ(AeroRegionListAll(AeroData(), files, ui), S_OK);
    AeroRegionSelect(AeroData(), entries);
    AeroDbReload(AeroData(), tiles, files, ui);
  }

  AeroUi ui;
  TileCache tiles;
  std::vector<std::u16string> statuses, messages, captions;
  std::vector<DWORD> waits;
};

}  // namespace cumulor::testing
