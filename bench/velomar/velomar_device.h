// The device every Velomar benchmark starts from: a fresh temporary device folder, the program
// placed at "\Program Files\Velomar\Velomar.exe", its settings key and the installed data files.
#pragma once

#include "bench/support/side_by_side.h"
#include "platform/files/module_path.h"
#include "platform/registry/registry.h"
#include "teskautils/teskautils_seam.h"
#include "velomar/data/DataInstall.h"

namespace bench {

inline constexpr const char16_t* kVelomarKey = u"\\SOFTWARE\\Morvane\\Velomar";

// `settings` writes into the settings key before the library attaches (null writes nothing).
inline void PrepareVelomarDevice(void (*settings)() = nullptr) {
  TemporaryDeviceFolder();
  teskautils::seam::DetachLibrary();
  ce::files::SetModulePath(u"\\Program Files\\Velomar\\Velomar.exe");
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kVelomarKey, 0, nullptr, 0, 0, nullptr, &key, nullptr);
  RegCloseKey(key);
  if (settings) settings();
  teskautils::seam::AttachLibrary();
  velomar::InstallDataFiles();
}

}  // namespace bench
