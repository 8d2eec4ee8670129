// The block protocol's port wired straight to the Filser/LX emulator, in process.
#pragma once

#include "tests/tools/recorder_emulator_io.h"
#include "tools/lxemu/lx_emulator.h"

namespace lxemu_test {

using LxEmulatorIo = recorder_test::RecorderEmulatorIo<lxemu::LxEmulator>;

}  // namespace lxemu_test
