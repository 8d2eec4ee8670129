// A 200-element language file: documents loaded per second, and XPath lookups (with the text of
// the node found) per second.
#include <fstream>
#include <string>

#include "bench/support/side_by_side.h"
#include "platform/kernel/device_folder.h"
#include "platform/text/utf.h"
#include "platform/xml/msxml.h"

namespace {

void WriteTexts() {
  static bool written = false;
  if (written) return;
  bench::TemporaryDeviceFolder();
  std::ofstream out(ce::DeviceRootFolder() / "texts.xml");
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<velomar><languages><language name=\"English\" tag=\"en\" "
         "author=\"bench\" default=\"yes\"/></languages><texts>\n";
  for (int i = 0; i < 200; ++i) out << "  <text id=\"TEXT_ID_" << i << "\">Translated text number " << i << "</text>\n";
  out << "</texts></velomar>\n";
  written = true;
}

IXMLDOMDocument* Load() {
  IXMLDOMDocument* doc = nullptr;
  CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument, reinterpret_cast<void**>(&doc));
  VARIANT path;
  VariantInit(&path);
  path.vt = VT_BSTR;
  path.bstrVal = SysAllocString(u"\\texts.xml");
  VARIANT_BOOL ok = VARIANT_FALSE;
  doc->load(path, &ok);
  VariantClear(&path);
  if (ok != VARIANT_TRUE) {
    doc->Release();
    return nullptr;
  }
  return doc;
}

void BM_XmlDocumentLoad(benchmark::State& state) {
  WriteTexts();
  bench::SideBySide side(state, "operations/s");
  for (auto _ : state) {
    side.Ours(100, [&] {
      for (int i = 0; i < 100; ++i) {
        IXMLDOMDocument* doc = Load();
        if (!doc) return state.SkipWithError("load failed");
        doc->Release();
      }
    });
  }
}
BENCH(BM_XmlDocumentLoad);

void BM_XPathLookup(benchmark::State& state) {
  WriteTexts();
  IXMLDOMDocument* doc = Load();
  if (!doc) return state.SkipWithError("load failed");
  std::vector<BSTR> queries;
  for (int i = 0; i < 200; ++i) {
    const std::u16string q = u"/velomar/texts/text[@id='TEXT_ID_" + ce::text::FromUtf8(std::to_string(i)) + u"']";
    queries.push_back(SysAllocString(q.c_str()));
  }
  bench::SideBySide side(state, "operations/s");
  for (auto _ : state) {
    side.Ours(static_cast<double>(queries.size()), [&] {
      for (BSTR query : queries) {
        IXMLDOMNode* node = nullptr;
        if (doc->selectSingleNode(query, &node) != S_OK) return state.SkipWithError("lookup failed");
        BSTR text = nullptr;
        node->get_text(&text);
        SysFreeString(text);
        node->Release();
      }
    });
  }
  for (BSTR q : queries) SysFreeString(q);
  doc->Release();
}
BENCH(BM_XPathLookup);

}  // namespace
