#include "cumulor/nav/gps/gps_port.h"

#include "cumulor/app/base/text_file.h"
#include "platform/base/errors.h"
#include "platform/kernel/kernel.h"

namespace cumulor {

void GpsPortInit(GpsPort& gps, EngineContext* app) {
  CommPortInit(gps.port);
  gps.app = app;
  gps.mode = 0;
  gps.instrumentSeen = gps.pgcsSeen = gps.rmcSeen = 0;
  gps.lastTimeOfDay = 0;
  gps.callback = nullptr;
  gps.portName[0] = 0;
  gps.logOpened = 0;
  gps.line[0] = '\0';
  gps.pressureSentence = 0;
  gps.nonFirstPort = 0;
  gps.bRecordCountdown = 0;
  gps.utcText[0] = gps.dateText[0] = '\0';
  gps.status = GpsStatus{};
  gps.fix = GpsFix{};
  gps.manualVariation = 0;
  gps.newSecond = 1;
  gps.binaryAllowed = 1;
  gps.stepTime = 500;
  gps.externalAltitude = 0;
  gps.running = 0;
  gps.binaryMode = 0;
  gps.pgcsMarkPending = gps.packetMarkPending = gps.firstRmcDone = 0;
  gps.publishedStatus = GpsStatus{};
  gps.simulatorInput = GpsPort::SimulatorInput{};
  gps.deviceCommand = 0;
  gps.commandWindow = nullptr;
  gps.fixEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  gps.stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

void GpsPortTerm(GpsPort& gps) {
  {
    std::lock_guard<std::mutex> lock(gps.dataLock);
    gps.history.FreeData();
    gps.historyCapacity = 0;
    gps.historyHead = 0;
    gps.historyCount = 0;
  }
  SerialClose(gps.port);
  if (gps.fixEvent) CloseHandle(gps.fixEvent);
  if (gps.stopEvent) CloseHandle(gps.stopEvent);
  gps.fixEvent = gps.stopEvent = nullptr;
}

HRESULT GpsPortOpen(GpsPort& gps, const WCHAR* name, std::uint32_t baud) {
  gps.bRecordCountdown = 0;
  const WCHAR kSim[] = u"SIM";
  bool sim = true;
  for (int i = 0; i < 4; ++i) sim = sim && name[i] == kSim[i];
  if (sim) {
    gps.mode = 1;
    return S_OK;
  }
  gps.mode = 0;
  int n = 0;
  for (; n < 63 && name[n] != 0; ++n) gps.portName[n] = name[n];
  gps.portName[n] = 0;
  gps.nonFirstPort = (n < 4 || gps.portName[3] != u'1') ? 1 : 0;
  const HRESULT result = SerialOpen(gps.port, gps.portName, baud, 2);
  const TextLines setup = ReadWholeFile(u"\\GPS_SETUP.TXT");
  if (setup.Result() == S_OK) {
    for (std::int32_t i = 0; i < setup.LineCount(); ++i) {
      SerialWrite(gps.port, setup.LineText(i), static_cast<std::uint32_t>(setup.LineLength(i)));
      SerialWriteByte(gps.port, 10);
    }
  }
  return result;
}

HRESULT GpsPortClose(GpsPort& gps) { return SerialClose(gps.port); }

std::int32_t GetFixBuffer(GpsPort& gps, GpsFix* out, std::int32_t max) {
  std::lock_guard<std::mutex> lock(gps.dataLock);
  const std::int32_t count = gps.historyCount;
  if (out == nullptr) return count;
  const std::int32_t n = count < max ? count : max;
  for (std::int32_t i = 0; i < n; ++i) out[i] = gps.history[(gps.historyHead + i) % gps.historyCapacity];
  return n < 0 ? 0 : n;
}

GpsStatus GetGpsStatus(GpsPort& gps) {
  std::lock_guard<std::mutex> lock(gps.dataLock);
  return gps.publishedStatus;
}

void PublishStatus(GpsPort& gps) {
  std::lock_guard<std::mutex> lock(gps.dataLock);
  gps.publishedStatus = gps.status;
}

void SetGpsPosition(GpsPort& gps, const GeoPoint& position) {
  std::lock_guard<std::mutex> lock(gps.dataLock);
  gps.publishedStatus.position = position;
  if (!gps.running) {
    gps.status.position = position;
  } else {
    // The mode loop takes it at its next pass (the simulator flies on from there).
    gps.simulatorInput.point = position;
    gps.simulatorInput.position = 1;
  }
}

void SetSimulatorAltitude(GpsPort& gps, std::int32_t metres) {
  std::lock_guard<std::mutex> lock(gps.dataLock);
  gps.publishedStatus.altitude = metres;
  if (!gps.running) {
    gps.status.altitude = metres;
    gps.fix.gpsAltitude = gps.fix.pressureAltitude = static_cast<std::int16_t>(metres);
  } else {
    gps.simulatorInput.metres = metres;
    gps.simulatorInput.altitude = 1;
  }
}

}  // namespace cumulor
