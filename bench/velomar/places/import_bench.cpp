// The menu's import of an exchange file of 100,000 places (each with a cell and a period with an
// action): the whole replacement of the volume, from the loaded document to the new volume in
// place (wall clock, one run: the work is the file, not a loop).
#include <fstream>
#include <memory>
#include <string>

#include "bench/velomar/velomar_device.h"
#include "platform/files/module_path.h"
#include "platform/kernel/device_folder.h"
#include "platform/registry/registry.h"
#include "platform/xml/msxml.h"
#include "teskautils/teskautils_seam.h"
#include "velomar/data/DataInstall.h"
#include "velomar/places/DB.h"
#include "velomar/ui/Translator.h"

namespace {

constexpr int kPlaces = 100'000;

struct Device {
  std::unique_ptr<CTranslator> translator;
  std::unique_ptr<CDB> db;

  Device() {
    bench::PrepareVelomarDevice();
    teskautils::seam::RecordBoxes(true);
    std::ofstream xml(ce::DeviceRootFolder() / "Velomar.xml", std::ios::binary);
    xml << "<Velomar>";
    for (int i = 1; i <= kPlaces; ++i) {
      xml << "<place name=\"Place " << i << "\" description=\"d\" image=\"\" id=\"" << i << "\"><cell id=\""
          << 1000 + i << "\"/><schedule name=\"Day\" begin_hour=\"8\" begin_minute=\"0\" end_hour=\"18\""
          << " end_minute=\"0\"><action id=\"2\" type=\"0\" arg_int_1=\"1\"/></schedule></place>";
    }
    xml << "</Velomar>";
    xml.close();
    translator = std::make_unique<CTranslator>();
    db = std::make_unique<CDB>();
    db->OpenDB();
  }
};

Device& TheDevice() {
  static Device* device = new Device();  // kept to the end of the process
  return *device;
}

void BM_Import100000Places(benchmark::State& state) {
  Device& d = TheDevice();
  IXMLDOMDocument* document = CDB::LoadExchangeFile();
  if (!document) {
    state.SkipWithError("the exchange file does not load");
    return;
  }
  bench::SideBySide side(state, "places/s", bench::kWallClock);
  for (auto _ : state) {
    std::u16string failure;
    int skipped = 0;
    bool replaced = false;
    side.Ours(kPlaces, [&] { replaced = d.db->ReplaceFromExchange(document, failure, skipped); });
    if (!replaced) state.SkipWithError("the import failed");
  }
  document->Release();
}
BENCHMARK(BM_Import100000Places)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
