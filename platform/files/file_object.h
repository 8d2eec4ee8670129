// What stands behind a file handle: a file of the device folder or a device opened by name
// ("COM1:", "OBX0:"). Device drivers derive from FileObject and register a factory for their names;
// ReadFile, WriteFile, FlushFileBuffers and DeviceIoControl reach them through this interface, and a
// driver finds its own object again with ce::kernel::LookupAs<ItsClass>(handle).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/base/errors.h"
#include "platform/kernel/handle_table.h"

namespace ce::files {

// Every operation answers 0 (ERROR_SUCCESS) or the error code that the calling function leaves
// in the thread's last error.
class FileObject : public ce::kernel::KernelObject {
 public:
  virtual DWORD Read(void* buffer, DWORD size, DWORD* done) = 0;
  virtual DWORD Write(const void* data, DWORD size, DWORD* done) = 0;
  virtual DWORD Flush() { return ERROR_SUCCESS; }
  // DeviceIoControl; also the way in for driver-specific calls that take the handle.
  virtual DWORD Control(DWORD /*code*/, const void* /*in*/, DWORD /*in_size*/, void* /*out*/, DWORD /*out_size*/,
                        DWORD* /*returned*/) {
    return ERROR_INVALID_FUNCTION;
  }
  // File positioning and size; devices have none.
  virtual DWORD Seek(std::int64_t /*distance*/, DWORD /*method*/, std::uint64_t* /*position*/) {
    return ERROR_INVALID_FUNCTION;
  }
  virtual DWORD Size(std::uint64_t* /*size*/) { return ERROR_INVALID_FUNCTION; }
  virtual DWORD Truncate() { return ERROR_INVALID_FUNCTION; }
  // Times as FILETIME values (100 ns since 1601, UTC); null pointers are left alone.
  virtual DWORD GetTimes(std::int64_t* /*creation*/, std::int64_t* /*access*/, std::int64_t* /*write*/) {
    return ERROR_INVALID_FUNCTION;
  }
  virtual DWORD SetTimes(const std::int64_t* /*creation*/, const std::int64_t* /*access*/,
                         const std::int64_t* /*write*/) {
    return ERROR_INVALID_FUNCTION;
  }
};

// Opens a device. `name` is the whole device name as given ("COM1:"); access and share mode are
// CreateFileW's. Returns the device's object, or null with *error set.
using DeviceFactory =
    std::function<std::shared_ptr<FileObject>(std::u16string_view name, DWORD access, DWORD share, DWORD* error)>;

// Device names are names that end in ':' and hold no path separator. A driver registered for a
// prefix ("COM", "OBX0:", matched without regard to case) receives every device name that starts
// with it; the longest matching prefix wins. Registering a prefix again replaces its factory.
void RegisterDeviceDriver(std::u16string_view prefix, DeviceFactory factory);
void UnregisterDeviceDriver(std::u16string_view prefix);

}  // namespace ce::files
