// The operations whose answers a script may refuse or delay: the names the stand-in libraries ask
// TakeReply about.
#include <algorithm>
#include <string_view>

#include "platform/device/device.h"

namespace ce::device {
namespace {

constexpr std::string_view kOperations[] = {
    "ril.init",     "ril.celltower",  "ril.signal",      "ril.devspecific", "sim.init",      "sim.unlock",
    "line.equipment", "line.register", "line.unregister", "line.forward",   "sms.open",      "sms.send",
    "bth.getmode",  "bth.setmode",    "ras.connect",     "ras.stats",       "power.set",     "power.status",
    "ossvcs.list",  "ossvcs.change",
};
// The steps of the message stores, each asked as "mapi.<step>".
constexpr std::string_view kMapiSteps[] = {"logon",   "storestable",   "queryrows",        "openstore",
                                           "getprops", "openentry",    "createmessage",    "modifyrecipients",
                                           "setprops", "openproperty", "write",            "submit"};

}  // namespace

bool IsScriptedOperation(std::string_view op) {
  if (std::find(std::begin(kOperations), std::end(kOperations), op) != std::end(kOperations)) return true;
  constexpr std::string_view kMapi = "mapi.";
  if (op.substr(0, kMapi.size()) != kMapi) return false;
  op.remove_prefix(kMapi.size());
  return std::find(std::begin(kMapiSteps), std::end(kMapiSteps), op) != std::end(kMapiSteps);
}

}  // namespace ce::device
