// DispatchSentence: the parser of each address and the rules that store fixes and set the event.
#include "cumulor/nav/engine/engine_context.h"
#include "cumulor/nav/flarm/flarm_traffic.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/gps/sentence_parsers.h"
#include "cumulor/nav/igc/igc_log.h"
#include "platform/kernel/kernel.h"

namespace cumulor {
namespace {

bool Is(const char* address, const char* pattern) {
  for (int i = 0; i < 5; ++i)
    if (pattern[i] != '?' && address[i] != pattern[i]) return false;
  return true;
}

void StoreCurrentFix(GpsPort& gps) {
  const GpsFix fix = gps.fix;
  StoreFix(gps, fix);
}

void RmcRule(GpsPort& gps, HRESULT parsed) {
  if (gps.instrumentSeen || gps.nonFirstPort) gps.newSecond = 1;
  if (!gps.pgcsSeen) {
    if (gps.status.positionValid) StoreCurrentFix(gps);
    gps.newSecond = 1;
  } else if (gps.status.positionValid && gps.newSecond) {
    StoreCurrentFix(gps);
  }
  PublishStatus(gps);
  if (!gps.nonFirstPort) {
    if (gps.firstRmcDone) SetEvent(gps.fixEvent);
    gps.firstRmcDone = 1;
  } else if (parsed == S_OK) {
    SetEvent(gps.fixEvent);
  }
  gps.rmcSeen = 1;
}

void VtgRule(GpsPort& gps) {
  if (!(!gps.pgcsSeen && gps.rmcSeen) && gps.status.positionValid && gps.newSecond) StoreCurrentFix(gps);
  PublishStatus(gps);
  SetEvent(gps.fixEvent);
}

}  // namespace

void DispatchSentence(GpsPort& gps) {
  bool published = false;  // a rule that publishes leaves nothing to publish at the end
  const char* a = gps.line + 1;
  for (int i = 0; i < 5; ++i)
    if (a[i] == '\0') return;
  switch (a[0]) {
    case 'G': {
      EngineContext* app = gps.app;
      if (!gps.logOpened && gps.mode == 0 && app && app->igcLogging && gps.dateText[0] != '\0') {
        gps.logOpened = 1;
        IgcLogOpen(*app, gps.dateText, gps.utcText);
      }
      if (Is(a, "G?RMC")) {
        const HRESULT hr = ParseRMC(gps);
        if (hr != E_FAIL) {
          RmcRule(gps, hr);
          published = true;
        }
      } else if (Is(a, "G?GGA")) {
        ParseGGA(gps);
      } else if (Is(a, "G?VTG")) {
        if (ParseVTG(gps) == S_OK) {
          VtgRule(gps);
          published = true;
        }
      } else if (Is(a, "G?QCM")) {
        ParseQcmAltitude(gps, a[5] == ',' ? a + 6 : a + 5);
      } else {
        return;  // not read: the status is as it was published
      }
      break;
    }
    case 'H':
      if (!Is(a, "HC??G")) return;
      ParseHeading(gps);
      break;
    case 'L':
      if (!Is(a, "LX?P?")) return;
      gps.instrumentSeen = 1;
      if (a[4] == '0') ParseLXWP0(gps);
      break;
    case 'P':
      if (Is(a, "PGCS?")) {
        ParsePGCS1(gps);
      } else if (Is(a, "PFLAU")) {
        ParsePFLAU(gps);
      } else if (Is(a, "PFLAA")) {
        ParsePFLAA(gps);
      } else if (Is(a, "PFSR?")) {
        gps.instrumentSeen = 1;
        ParsePFSR(gps);
      } else if (Is(a, "PPG1?")) {
        gps.instrumentSeen = 1;
        ParseQcmAltitude(gps, a + 4);
      } else if (Is(a, "P?RMZ")) {
        if (!gps.externalAltitude) ParseRMZ(gps);
      } else if (Is(a, "PZA?1")) {
        ParsePZAN1(gps);
      } else if (Is(a, "PCA?D")) {
        ParsePCAID(gps);
      } else {
        return;
      }
      break;
    default:
      return;
  }
  if (!published) PublishStatus(gps);
}

}  // namespace cumulor
