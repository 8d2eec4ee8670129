#include "cumulor/nav/recorder/recorder_hooks.h"

#include <atomic>

#include "cumulor/nav/engine/engine_context.h"
#include "cumulor/nav/filser/lx_link.h"
#include "cumulor/nav/gps/gps_mode_loop.h"
#include "cumulor/nav/gps/gps_port.h"
#include "cumulor/nav/recorder/comm_port_io.h"
#include "cumulor/nav/recorder/logger_session.h"
#include "platform/kernel/sync.h"

namespace cumulor {
namespace {

constexpr WCHAR kRecorderPort[] = u"COM1:";

std::atomic<DeviceProgressPost>& ProgressPost() {
  static std::atomic<DeviceProgressPost> post{nullptr};
  return post;
}

void PostProgress(HWND window, int code, int parameter) {
  if (DeviceProgressPost post = ProgressPost().load()) post(window, code, parameter);
}

}  // namespace

void SetDeviceProgressPost(DeviceProgressPost post) { ProgressPost() = post; }

void RecorderExchange(GpsPort& gps) {
  EngineContext* app = gps.app;
  if (!app || !app->loggerSession.created) return;
  LoggerSession& session = app->loggerSession;
  const bool serialInput = gps.mode == 0;
  const std::uint32_t gpsBaud = gps.port.baudRate;
  if (FAILED(SerialOpen(gps.port, kRecorderPort, 9600, 2))) {
    SerialClose(gps.port);
    SetLoggerStatus(session, 100, 100, u"Serial Port Is Busy!");
  } else {
    CommPortIo io(gps.port, app->abortEvent, session.events[kEventStop]);
    RunLoggerDownload(session, io);
    SerialClose(gps.port);
  }
  // Serial input reads its GPS device again.
  if (serialInput && gps.running) SerialOpen(gps.port, gps.portName, gpsBaud, 2);
}

void RunDeviceCommand(GpsPort& gps, LoggerIo& io, std::int32_t command, HWND window) {
  EngineContext* app = gps.app;
  if (!app) return;
  DeviceLink link;
  link.io = &io;
  link.post = [window](int code, int parameter) { PostProgress(window, code, parameter); };
  // The dialog ends the command by clearing the window; the program's stop ends it too.
  link.cancelled = [&gps, window, app] {
    return gps.commandWindow.load() != window || gps.running == 0 ||
           (app->abortEvent && WaitForSingleObject(app->abortEvent, 0) == WAIT_OBJECT_0);
  };
  std::uint8_t* block = app->loggerSession.lxBlock;
  switch (command) {
    case 1: DeviceReadBlock(link, block); break;
    case 2: DeviceWriteBlock(link, block); break;
    case 3: DeviceReadFlight(link); break;
    default: break;
  }
}

void RecorderDeviceCommand(GpsPort& gps, std::int32_t command, HWND window) {
  EngineContext* app = gps.app;
  if (!app) return;
  if (command < 1 || command > 3) {
    SerialClose(gps.port);
    return;
  }
  // Writing needs the port the read opened; reading opens it when it is closed.
  if (command == 2 && !SerialIsOpen(gps.port)) return;
  if (!SerialIsOpen(gps.port) && FAILED(SerialOpen(gps.port, kRecorderPort, app->baudRate, 2))) {
    SerialClose(gps.port);
    PostProgress(window, lxcode::kError, lxcode::kPortBusy);
    return;
  }
  CommPortIo io(gps.port, app->abortEvent, nullptr);
  RunDeviceCommand(gps, io, command, window);
}

void InstallRecorderHooks() {
  ModeLoopRecorderHooks hooks;
  hooks.recorderExchange = RecorderExchange;
  hooks.deviceCommand = RecorderDeviceCommand;
  SetModeLoopRecorderHooks(hooks);
}

}  // namespace cumulor
