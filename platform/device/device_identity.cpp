#include "platform/device/device_identity.h"

#include <cstring>

#include "platform/base/errors.h"
#include "platform/device/device.h"
#include "platform/kernel/last_error.h"
#include "platform/text/utf.h"

BOOL SystemParametersInfoW(UINT action, UINT ui, PVOID pv, UINT) {
  if (action != SPI_GETOEMINFO || !pv) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string text = ce::text::FromUtf8(ce::device::GetText("device.oem"));
  std::size_t bytes = (text.size() + 1) * sizeof(WCHAR);
  if (ui < bytes) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(pv, text.c_str(), bytes);
  return TRUE;
}
