// Wireless device services over the device model.
#include "platform/wireless/wireless.h"

#include <cstring>
#include <string>

#include "platform/device/device.h"
#include "platform/libraries/builtin_libraries.h"
#include "platform/text/utf.h"
#include "platform/text/wide_string.h"

namespace {

LPWSTR Copy(const char16_t* text) {
  std::size_t n = std::char_traits<char16_t>::length(text);
  auto copy = new WCHAR[n + 1];
  std::memcpy(copy, text, (n + 1) * sizeof(WCHAR));
  return copy;
}

HRESULT Refusal(const char* op) {
  ce::device::Reply reply = ce::device::TakeReply(op);
  return reply.refused ? ce::device::FailureCode(reply, E_FAIL) : S_OK;
}

}  // namespace

HRESULT GetWirelessDevices(RDD** devices, DWORD) {
  if (!devices) return E_INVALIDARG;
  *devices = nullptr;
  if (HRESULT hr = Refusal("ossvcs.list"); hr != S_OK) return hr;
  struct Entry {
    const char16_t* name;
    const char16_t* display;
    RADIODEVTYPE type;
    DWORD state;
  } entries[] = {
      {u"WLAN1", u"Wi-Fi", RADIODEVICES_MANAGED, ce::device::GetInt("wifi.radio") ? 1u : 0u},
      {u"Phone", u"Phone", RADIODEVICES_PHONE, ce::device::GetInt("radio.power") ? 1u : 0u},
      {u"Bluetooth", u"Bluetooth", RADIODEVICES_BLUETOOTH, ce::device::GetInt("bluetooth.mode") ? 1u : 0u},
  };
  RDD* head = nullptr;
  for (int i = 2; i >= 0; --i) {
    const Entry& e = entries[i];
    head = new RDD{Copy(e.name), Copy(e.display), e.state, e.state, e.type, head};
  }
  *devices = head;
  return S_OK;
}

HRESULT ChangeRadioState(RDD* device, DWORD state, SAVEACTION save) {
  if (!device || state > 1 || save > RADIODEVICES_POST_SAVE) return E_INVALIDARG;
  if (HRESULT hr = Refusal("ossvcs.change"); hr != S_OK) return hr;
  switch (device->DeviceType) {
    case RADIODEVICES_MANAGED:
      ce::device::Update([&](ce::device::Transaction& t) {
        t.SetInt("wifi.radio", state);
        if (state) t.SetInt("wifi.adapter", 0);
      });
      break;
    case RADIODEVICES_PHONE:
      ce::device::SetInt("radio.power", state);
      break;
    case RADIODEVICES_BLUETOOTH:
      ce::device::SetInt("bluetooth.mode", state);
      break;
    default:
      return E_INVALIDARG;
  }
  device->dwState = state;
  ce::device::Effect e;
  e.kind = "radio-state";
  e.target = device->pszDeviceName ? ce::text::ToUtf8(ce::text::WideView(device->pszDeviceName)) : std::string();
  e.value = state;
  ce::device::Record(e);
  return S_OK;
}

HRESULT FreeDeviceList(RDD* devices) {
  while (devices) {
    RDD* next = devices->pNext;
    delete[] devices->pszDeviceName;
    delete[] devices->pszDisplayName;
    delete devices;
    devices = next;
  }
  return S_OK;
}

namespace {
const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(u"ossvcs.dll", {.by_name = {},
                                                 .by_ordinal = {{276, Export(&GetWirelessDevices)},
                                                                {273, Export(&ChangeRadioState)},
                                                                {280, Export(&FreeDeviceList)}}});
  return true;
}();
}  // namespace
