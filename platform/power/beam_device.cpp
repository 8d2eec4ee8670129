// The beam receiver's service device "OBX0:": start, stop and status through DeviceIoControl.
#include "platform/device/device.h"
#include "platform/files/file_object.h"
#include "platform/power/power.h"

namespace {

class BeamService : public ce::files::FileObject {
 public:
  DWORD Read(void*, DWORD, DWORD*) override { return ERROR_INVALID_FUNCTION; }
  DWORD Write(const void*, DWORD, DWORD*) override { return ERROR_INVALID_FUNCTION; }
  DWORD Control(DWORD code, const void*, DWORD, void* out, DWORD out_size, DWORD* returned) override {
    if (returned) *returned = 0;
    switch (code) {
      case IOCTL_SERVICE_START:
      case IOCTL_SERVICE_STOP:
        ce::device::SetInt("beam.receive", code == IOCTL_SERVICE_START ? 1 : 0);
        break;
      case IOCTL_SERVICE_STATUS: {
        if (!out || out_size < 4) return ERROR_INSUFFICIENT_BUFFER;
        DWORD running = ce::device::GetInt("beam.receive") ? 1 : 0;
        auto bytes = static_cast<BYTE*>(out);
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<BYTE>(running >> (8 * i));
        if (returned) *returned = 4;
        break;
      }
      default:
        return ERROR_INVALID_FUNCTION;
    }
    ce::device::Effect e;
    e.kind = "obex";
    e.value = code;
    ce::device::Record(e);
    return ERROR_SUCCESS;
  }
};

const bool registered = [] {
  ce::files::RegisterDeviceDriver(u"OBX0:", [](std::u16string_view, DWORD, DWORD, DWORD*) {
    return std::shared_ptr<ce::files::FileObject>(std::make_shared<BeamService>());
  });
  return true;
}();

}  // namespace
