// The exchange-file import of the main window's menu in a process of its own, for tests that kill
// it or give it a full folder:
//   velomar_import_run [--device <folder>]     (without it: $CE_DEVICE_DIR)
// The device must hold the language files and "\Velomar.xml". The question is answered Yes. It
// prints "open" once the volume is open, then each box shown as "box: <text>", then
// "places: <name>,<name>,..." (sorted) and "cells: <count>", and exits 0.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "platform/files/module_path.h"
#include "platform/kernel/device_folder.h"
#include "platform/text/utf.h"
#include "teskautils/TeskaUtils.h"
#include "teskautils/teskautils_seam.h"
#include "velomar/places/DB.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/DatabaseCommands.h"
#include "velomar/ui/Translator.h"

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--device") {
    ce::SetDeviceFolder(argv[2]);
  } else if (argc != 1) {
    std::cerr << "usage: velomar_import_run [--device <folder>]\n";
    return 2;
  }
  ce::files::SetModulePath(u"\\Program Files\\Velomar\\Velomar.exe");
  teskautils::seam::AttachLibrary();
  teskautils::seam::RecordBoxes(true);
  teskautils::seam::SetBoxAnswer(6);
  CTranslator translator;
  CDB db;
  db.OpenDB();
  std::cout << "open" << std::endl;
  velomar::ui::ImportExchangeFile(db, nullptr);
  for (const auto& box : teskautils::seam::TakeShownBoxes()) std::cout << "box: " << ce::text::ToUtf8(box.text) << '\n';
  std::vector<CStrPlace> all;
  db.GetPlacesTable()->GetAllRecords(all);
  std::vector<std::string> names;
  for (const CStrPlace& place : all) names.push_back(ce::text::ToUtf8(place.GetName()));
  std::sort(names.begin(), names.end());
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ",") + name;
  std::cout << "places: " << list << '\n' << "cells: " << db.GetCellsTable()->CountRecords() << std::endl;
  db.CloseDB();
  teskautils::seam::DetachLibrary();
  return 0;
}
