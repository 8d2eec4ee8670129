// XML document load and 1,000 XPath lookups on a 200-element language file.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/kernel/device_folder.h"
#include "platform/text/utf.h"
#include "platform/xml/msxml.h"

namespace {

double Ms(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  const auto folder = std::filesystem::temp_directory_path() / ("xml_bench_" + std::to_string(getpid()));
  ce::SetDeviceFolder(folder);
  std::filesystem::create_directories(ce::DeviceRootFolder());
  {
    std::ofstream out(ce::DeviceRootFolder() / "texts.xml");
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<velomar><languages><language name=\"English\" tag=\"en\" "
           "author=\"bench\" default=\"yes\"/></languages><texts>\n";
    for (int i = 0; i < 200; ++i) out << "  <text id=\"TEXT_ID_" << i << "\">Translated text number " << i << "</text>\n";
    out << "</texts></velomar>\n";
  }
  const int kLoads = 100;
  const auto load_start = std::chrono::steady_clock::now();
  IXMLDOMDocument* doc = nullptr;
  for (int i = 0; i < kLoads; ++i) {
    if (doc) doc->Release();
    CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument, reinterpret_cast<void**>(&doc));
    VARIANT path;
    VariantInit(&path);
    path.vt = VT_BSTR;
    path.bstrVal = SysAllocString(u"\\texts.xml");
    VARIANT_BOOL ok = VARIANT_FALSE;
    doc->load(path, &ok);
    VariantClear(&path);
    if (ok != VARIANT_TRUE) {
      std::fprintf(stderr, "load failed\n");
      return 1;
    }
  }
  const double load_ms = Ms(load_start) / kLoads;

  const auto query_start = std::chrono::steady_clock::now();
  int found = 0;
  for (int i = 0; i < 1000; ++i) {
    const std::u16string q = u"/velomar/texts/text[@id='TEXT_ID_" + ce::text::FromUtf8(std::to_string(i % 200)) + u"']";
    BSTR query = SysAllocString(q.c_str());
    IXMLDOMNode* node = nullptr;
    if (doc->selectSingleNode(query, &node) == S_OK) {
      BSTR text = nullptr;
      node->get_text(&text);
      SysFreeString(text);
      node->Release();
      ++found;
    }
    SysFreeString(query);
  }
  const double query_ms = Ms(query_start);
  doc->Release();
  std::printf("load of a 200-element document: %.3f ms\n", load_ms);
  std::printf("1000 XPath lookups with text: %.3f ms (%d found, %.1f us each)\n", query_ms, found, query_ms);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return found == 1000 ? 0 : 1;
}
