// What the NMEA player sends: the sentences of an NMEA log grouped into epochs (one receiver
// second each), or the sentences made from the B records of an IGC file.
#pragma once

#include <string>
#include <vector>

namespace nmeaplayer {

// One epoch: the bytes sent together, then the player waits for the next one.
struct Epoch {
  std::string bytes;
};

// An NMEA log: comment lines ('#') and blank lines are left out; each sentence is sent with CR LF.
// A new epoch starts at each RMC or GGA whose time differs from the epoch's time.
std::vector<Epoch> EpochsFromNmeaLog(const std::string& text);

// An IGC file: for each valid B record a GGA, a PGRMZ (pressure altitude in feet) and an RMC
// sentence, the RMC last so that a receiver-side reader completes the fix with it. The date comes from HFDTE ("HFDTEddmmyy" or "HFDTEDATE:ddmmyy"); track and speed come from
// the TRT and GSP extensions when the I record declares them, else from the previous fix.
std::vector<Epoch> EpochsFromIgc(const std::string& text);

// True when the text looks like an IGC file (its first record is an A record).
bool LooksLikeIgc(const std::string& text);

// "$...," body -> body "*hh\r\n".
std::string WithChecksum(const std::string& body);

}  // namespace nmeaplayer
