// Named events set in this process, seen by another area of the platform (the device model records
// some of them as the device's effects). One observer per process.
#pragma once

#include <string_view>

namespace ce::kernel {

// Called on the setting thread, outside the kernel's lock, after SetEvent or PulseEvent on an
// event that has a name. Null removes the observer.
using NamedEventObserver = void (*)(std::u16string_view name);
void SetNamedEventObserver(NamedEventObserver observer);

}  // namespace ce::kernel
