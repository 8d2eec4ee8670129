// The settings document of about 5 MB: written to text and parsed into the tree (then freed), in
// memory beside pugixml doing the same, and saved and parsed through files of a device folder.
#include <malloc.h>
#include <pugixml.hpp>

#include <cstdint>
#include <string>

#include "bench/support/side_by_side.h"
#include "cumulor/app/base/xml_reader.h"
#include "cumulor/app/base/xml_writer.h"

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

struct Document {
  XmlNode top = XmlNode::ConstructTop();
  std::string text;
  double megabytes = 0;
  Document() {
    XmlNode* settings = top.AddChild("Settings");
    for (int n = 0; text.size() < 5'000'000; n += 1000) {
      for (int i = 0; i < 1000; ++i) AddSection(*settings, n + i);
      text.clear();
      XmlWriteDocument(top, text);
    }
    megabytes = text.size() / 1e6;
  }
};

Document& Doc() {
  static Document doc = [] {
    // The heap keeps what is freed (no trimming, no separate mappings for the 5 MB buffers): each
    // side then runs on memory already in the process, whatever the other side left at the top of
    // the heap, instead of faulting its pages in again on some runs and not on others.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    return Document();
  }();
  return doc;
}

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

void BM_XmlParseAndFree(benchmark::State& state) {
  Document& doc = Doc();
  bench::SideBySide side(state, "MB/s");
  for (auto _ : state) {
    side.Ours(doc.megabytes, [&] {
      XmlNode back = XmlNode::ConstructTop();
      if (XmlParseBytes(doc.text.data(), static_cast<std::int32_t>(doc.text.size()), back) != kXmlParsed)
        state.SkipWithError("parse failed");
    });
    side.Peer(doc.megabytes, [&] {
      pugi::xml_document peer;
      if (!peer.load_buffer(doc.text.data(), doc.text.size())) state.SkipWithError("pugixml parse failed");
    });
  }
}
BENCH(BM_XmlParseAndFree);

void BM_XmlWrite(benchmark::State& state) {
  Document& doc = Doc();
  pugi::xml_document peer;
  peer.load_buffer(doc.text.data(), doc.text.size());
  bench::SideBySide side(state, "MB/s");
  std::string text;
  for (auto _ : state) {
    side.Ours(doc.megabytes, [&] {
      text.clear();
      XmlWriteDocument(doc.top, text);
    });
    side.Peer(doc.megabytes, [&] {
      StringWriter writer;
      writer.out.reserve(text.capacity());
      peer.save(writer, "\t", pugi::format_default, pugi::encoding_latin1);
      benchmark::DoNotOptimize(writer.out.data());
    });
  }
}
BENCH(BM_XmlWrite);

void BM_XmlSaveAndParseFile(benchmark::State& state) {
  Document& doc = Doc();
  bench::TemporaryDeviceFolder();
  bench::SideBySide side(state, "MB/s");
  for (auto _ : state) {
    side.Ours(2 * doc.megabytes, [&] {
      if (XmlSaveFile(doc.top, u"\\KV_SETTINGS.xml", nullptr) != 1) state.SkipWithError("save failed");
      XmlNode back = XmlNode::ConstructTop();
      if (XmlParseFile(u"\\KV_SETTINGS.xml", back) != kXmlParsed) state.SkipWithError("file parse failed");
    });
  }
}
BENCH(BM_XmlSaveAndParseFile);

}  // namespace
