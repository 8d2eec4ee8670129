// GpsPort: the one GPS and flight-recorder input object of the application record. It owns the
// serial port, the fix being assembled, the current navigation values (GpsStatus), the fix history
// and the two input threads.
//
// The reader thread alone works on `fix`, `status` and the flags below. What other threads see is
// published under `dataLock`: the status copy handed to the callback and the fix history. Readers
// take copies (GetGpsStatus, GetFixBuffer), never pointers into the live records.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/app/base/geo_point.h"
#include "cumulor/nav/gps/comm_port.h"
#include "cumulor/nav/gps/gps_fix.h"
#include "platform/base/types.h"

namespace cumulor {

struct EngineContext;

struct GpsStatus {
  std::uint32_t timeOfDay = 0;        // set by the simulator and the replay only
  std::int32_t positionValid = 0;
  GeoPoint position;
  float groundSpeedMs = 0.0f;         // m/s
  float groundSpeedKn = 0.0f;         // knots
  std::uint16_t track = 45;           // 0..359
  std::int32_t variation = 0;         // whole degrees, east negative
  std::int32_t altitudeValid = 0;
  std::int32_t mark = 0;
  std::int32_t altitude = 0;          // metres: pressure altitude when a device reports one
  // The pressure altitude (metres, standard atmosphere) of the last pressure sentence, binary
  // packet or replayed record that carried one; pressureValid once the input has given one.
  std::int32_t pressureValid = 0;
  std::int32_t pressureAltitude = 0;
};

// Called on the notify thread with result 0 and the current status; returns 1.
using GpsCallback = int (*)(HRESULT result, const GpsStatus* status);

inline constexpr std::int32_t kLineBufferSize = 3520;
inline constexpr std::int32_t kSentenceMax = 120;
inline constexpr std::int32_t kMinFixHistory = 180;
// Result of RMC and GGA for a void or no-fix sentence.
inline constexpr HRESULT kVoidFix = static_cast<HRESULT>(0x80070005u);

struct GpsPort {
  CommPort port;
  EngineContext* app = nullptr;              // the owner, for its settings and flags
  std::atomic<std::int32_t> mode{0};      // 0 serial input, 1 simulator or replay ("SIM")
  std::uint8_t instrumentSeen = 0;
  std::uint8_t pgcsSeen = 0;
  std::uint8_t rmcSeen = 0;
  std::uint32_t lastTimeOfDay = 0;
  GpsCallback callback = nullptr;
  WCHAR portName[64] = {};
  std::int32_t logOpened = 0;
  char line[kLineBufferSize] = {};
  WCHAR text[256] = {};
  std::uint8_t pressureSentence = 0;
  std::atomic<std::int32_t> nonFirstPort{0};  // written by a reopen while the reader runs
  std::atomic<std::int32_t> bRecordCountdown{0};
  HWND owner = nullptr;
  char utcText[7] = {};
  char dateText[7] = {};
  HANDLE readerThread = nullptr;
  HANDLE notifyThread = nullptr;
  HANDLE fixEvent = nullptr;
  HANDLE stopEvent = nullptr;             // set by GpsStop: ends the notify thread's wait
  GpsStatus status;
  GpsFix fix;
  // Set from the UI (and waypoint options) while the reader parses: atomic.
  std::atomic<std::int32_t> manualVariation{0};
  std::atomic<std::uint8_t> trueNorth{0};
  std::atomic<std::int32_t> replayActive{0};
  std::atomic<std::int32_t> stepTime{500};
  std::int32_t newSecond = 1;
  std::atomic<float> compassHeading{0.0f};  // written by the reader, read by the new-fix handling
  std::int32_t externalAltitude = 0;
  std::atomic<std::int32_t> running{0};
  float instrument[3] = {};
  std::atomic<std::int32_t> binaryMode{0};
  std::int32_t binaryAllowed = 1;
  std::atomic<std::int32_t> recorderRequest{0};
  // Recorder device command 1..3 and the window of its progress messages, set by the UI and
  // cleared by the mode loop.
  std::atomic<std::int32_t> deviceCommand{0};
  std::atomic<HWND> commandWindow{nullptr};

  // Remembered marks of the PGCS sentence and the binary packet.
  std::uint8_t pgcsMarkPending = 0;
  std::uint8_t packetMarkPending = 0;
  // The first RMC after start does not set the event on the first port.
  std::uint8_t firstRmcDone = 0;
  // The last read failed (a closed, missing or unplugged port), not just timed out.
  std::uint8_t readFailed = 0;

  // Simulator input from the UI (a new speed and track, the glider moved to a point), taken by the
  // mode loop at its next pass. Under dataLock.
  struct SimulatorInput {
    std::uint8_t course = 0;        // speedMs and track are new
    std::uint8_t position = 0;      // point is new
    std::uint8_t altitude = 0;      // metres is new
    float speedMs = 0.0f;
    std::int32_t metres = 0;
    std::int32_t track = 0;
    GeoPoint point;
  } simulatorInput;

  // Published to the other threads under dataLock.
  std::mutex dataLock;
  GpsStatus publishedStatus;
  // The fix history: a ring of historyCapacity slots; the newest fix is at historyHead, the i-th
  // newest at (historyHead + i) % historyCapacity, historyCount of them.
  DynArray<GpsFix> history;
  std::int32_t historyCapacity = 0;
  std::int32_t historyHead = 0;
  std::int32_t historyCount = 0;
};

// Builds the record (track 45, new-second flag 1, binary allowed, step time 500 ms) and its fix
// event; opens nothing.
void GpsPortInit(GpsPort& gps, EngineContext* app);
// Stops nothing: call GpsStop first. Frees the history, closes the port and the events.
void GpsPortTerm(GpsPort& gps);
// "SIM" selects mode 1 and returns 0; otherwise opens the device at `baud` with a 2 s read
// time-out, then sends each line of "\GPS_SETUP.TXT" followed by a line feed. The result is that
// of the open.
HRESULT GpsPortOpen(GpsPort& gps, const WCHAR* name, std::uint32_t baud);
HRESULT GpsPortClose(GpsPort& gps);

// Copies of the published data. GetFixBuffer copies at most `max` fixes, newest first, and
// returns the number copied (the history's count when `out` is null).
std::int32_t GetFixBuffer(GpsPort& gps, GpsFix* out, std::int32_t max);
GpsStatus GetGpsStatus(GpsPort& gps);
// Copies the reader's status into the published one.
void PublishStatus(GpsPort& gps);
// Puts the own position where the UI chose it (a default place, the simulated glider's start): the
// published status at once, and the reader's own status while no reader thread runs (else the mode
// loop takes it at its next pass).
void SetGpsPosition(GpsPort& gps, const GeoPoint& position);
// The simulated glider's altitude (metres), taken the same way as SetGpsPosition's position.
void SetSimulatorAltitude(GpsPort& gps, std::int32_t metres);

}  // namespace cumulor
