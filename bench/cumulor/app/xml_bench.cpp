// Writes and parses a settings-shaped document of about 5 MB, in memory and through files of a
// temporary device folder, and prints the speed of each in MB/s.
//
//   cumulor_xml_bench [megabytes]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "cumulor/app/base/xml_reader.h"
#include "cumulor/app/base/xml_writer.h"
#include "platform/kernel/device_folder.h"

using namespace cumulor;

namespace {

// Elements as the settings document holds them: flags, numbers, byte-block texts, fonts with
// attributes, the file lists and task points with names.
void AddSection(XmlNode& settings, int n) {
  XmlNode* group = settings.AddChild("NavBar");
  group->AddChildInt("Flags1", 0x2F01 + n);
  group->AddChildDouble("McCready", 1.5 + n * 0.001);
  group->AddChildString("Grid", "16,1,0,0,255,12,200,7,7,7,1,2,3,4,5,6,7");
  XmlNode* font = group->AddChild("Font");
  font->AddAttribute("Role", "3");
  font->AddAttribute("Height", "-14");
  font->SetText("Tahoma");
  XmlNode* files = group->AddChild("Files");
  files->AddChildString("Name", "\\Storage Card\\Cumulor\\Alpen S\xFC" "d.ka1");
  XmlNode* tp = group->AddChild("Turnpoint");
  tp->AddChildString("Name", "Gap <North> & \"Ridge\"");
  tp->AddChildLatLon(GeoPoint{-123456 - n, 1765432 + n});
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Report(const char* what, std::size_t bytes, int rounds, double seconds) {
  std::printf("%-22s %8.1f MB/s  (%zu bytes x %d in %.3f s)\n", what, bytes * rounds / seconds / 1e6, bytes, rounds,
              seconds);
}

}  // namespace

int main(int argc, char** argv) {
  double megabytes = argc > 1 ? std::atof(argv[1]) : 5.0;
  XmlNode top = XmlNode::ConstructTop();
  XmlNode* settings = top.AddChild("Settings");
  std::string text;
  for (int n = 0; text.size() < megabytes * 1e6; n += 1000) {
    for (int i = 0; i < 1000; ++i) AddSection(*settings, n + i);
    text.clear();
    XmlWriteDocument(top, text);
  }
  const std::size_t size = text.size();
  const int rounds = 5;

  auto start = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r) {
    text.clear();
    XmlWriteDocument(top, text);
  }
  Report("write (memory)", size, rounds, Seconds(start));

  start = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r) {
    XmlNode back = XmlNode::ConstructTop();
    if (XmlParseBytes(text.data(), static_cast<std::int32_t>(text.size()), back) != kXmlParsed) {
      std::fprintf(stderr, "parse failed\n");
      return 1;
    }
  }
  Report("parse (memory)", size, rounds, Seconds(start));

  std::filesystem::path device = std::filesystem::temp_directory_path() / ("cumulor_xml_bench_" + std::to_string(::getpid()));
  ce::SetDeviceFolder(device);
  std::filesystem::create_directories(ce::DeviceRootFolder());
  start = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r) {
    if (XmlSaveFile(top, u"\\KV_SETTINGS.xml", nullptr) != 1) {
      std::fprintf(stderr, "save failed\n");
      return 1;
    }
  }
  Report("save (file)", size, rounds, Seconds(start));
  start = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r) {
    XmlNode back = XmlNode::ConstructTop();
    if (XmlParseFile(u"\\KV_SETTINGS.xml", back) != kXmlParsed) {
      std::fprintf(stderr, "file parse failed\n");
      return 1;
    }
  }
  Report("parse (file)", size, rounds, Seconds(start));
  std::filesystem::remove_all(device);
  return 0;
}
