// cumulor_install: installs Cumulor into the device folder $CE_DEVICE_DIR (see cumulor_install.h).
#include <cstdio>

#include "cumulor/app/program/cumulor_install.h"

int main() {
  if (!cumulor::InstallCumulor()) {
    std::fprintf(stderr, "cumulor_install: some files could not be installed\n");
    return 1;
  }
  return 0;
}
