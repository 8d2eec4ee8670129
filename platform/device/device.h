// The simulated phone's hardware state: one model per device folder, shared by every process of
// the device. Values are named ("radio.cell", "battery.percent", ...; see Settings()) and are
// integers or texts. Every committed change wakes the watchers of every process (device_watch.h)
// and updates the registry state values that mirror it ("System\State\Phone" "Status", ...).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ce::device {

struct Setting {
  const char* name;
  bool is_text;
  const char* initial;  // the value of a new device
  const char* help;     // one line for the control tool
  long long min;        // the accepted values (texts: their length in bytes)
  long long max;
};
// Every value of the model, in the order the control tool shows them.
const std::vector<Setting>& Settings();
const Setting* FindSetting(std::string_view name);

std::int64_t GetInt(std::string_view name);
std::string GetText(std::string_view name);
// Writes one value (committed, mirrored, announced). Unknown names and values outside the
// setting's range are refused (false).
bool SetInt(std::string_view name, std::int64_t value);
bool SetText(std::string_view name, std::string_view value);

// False when the model cannot be opened (a damaged or unreadable hardware.db): reads then give a
// new device's values and changes are refused.
bool Available();
// Why this thread's last call on the model could not do its work (it could not open, read or
// change hardware.db: damaged, read-only, full), as a text naming the file; empty after a call that
// worked. Readers fall back to a new device's values when they fail, so a caller that must not
// show those as current asks this after reading.
const std::string& LastFailure();

// A read-modify-write in one transaction, for changes that must not interleave with another
// process (the SIM's attempt counter). Inside, use the transaction's own accessors.
class Transaction {
 public:
  virtual ~Transaction() = default;
  virtual std::int64_t GetInt(std::string_view name) = 0;
  virtual std::string GetText(std::string_view name) = 0;
  virtual void SetInt(std::string_view name, std::int64_t value) = 0;
  virtual void SetText(std::string_view name, std::string_view value) = 0;
};
// False when the model cannot be opened (the change is then not made).
bool Update(const std::function<void(Transaction&)>& change);

// Data connections of the phonebook.
struct Connection {
  std::string name;
  std::string guid;        // "{...}", the Connection Manager's destination network
  int state = 0;           // 0 disconnected, 1 connecting, 2 connected
  std::uint32_t sent = 0;  // bytes on the active connection
  std::uint32_t received = 0;
};
std::vector<Connection> Connections();
// Adds or replaces the entry of that name (and its Connection Manager provider key).
bool PutConnection(const Connection& c);
bool RemoveConnection(std::string_view name);

// Outward effects the device would have had on the world: messages sent, power requests, ...
struct Effect {
  std::int64_t id = 0;
  std::string kind;     // "sms", "mail", "power", "device-power", "forward", "obex", "modem", ...
  std::string target;   // recipients, number, device name
  std::string subject;
  std::string body;
  std::string account;
  std::int64_t value = 0;
  std::int64_t time = 0;  // device time (UTC, FILETIME units) when it happened
};
void Record(const Effect& e);
// Every effect of that kind (all kinds when empty), oldest first.
std::vector<Effect> Effects(std::string_view kind = {});
bool ClearEffects();

// Scripted answers of asynchronous and refusable requests, by operation name ("sim.unlock",
// "line.equipment", "ril.celltower", ...).
struct Reply {
  std::uint32_t delay_ms = 0;  // before the answer arrives
  bool refused = false;
  std::int64_t code = 0;       // the error the refusal answers with
  bool immediate = false;      // refused at once by the call instead of in its answer
};
// The answer for one request of `op`; a scripted refusal is used up by it.
Reply TakeReply(std::string_view op);
// A refusal's code for calls that answer an HRESULT (or a negative 32-bit value): the scripted
// code when it is a failure, else `fallback`.
inline std::int32_t FailureCode(const Reply& r, std::int32_t fallback) {
  auto code = static_cast<std::int32_t>(static_cast<std::uint32_t>(r.code));
  return code < 0 ? code : fallback;
}
// A refusal's code for calls that answer an error number: the scripted code unless 0.
inline std::uint32_t ErrorCode(const Reply& r, std::uint32_t fallback) {
  auto code = static_cast<std::uint32_t>(r.code);
  return code ? code : fallback;
}
struct ScriptEntry {
  std::string op;
  std::uint32_t delay_ms = 0;
  int refusals = 0;  // how many of the next requests are refused
  std::int64_t code = 0;
  bool immediate = false;
};
// Whether `op` is an operation the stand-in libraries ask the script about ("ril.init",
// "mapi.logon", ...); a script for any other name would never be used.
bool IsScriptedOperation(std::string_view op);
bool ScriptRefusal(std::string_view op, std::int64_t code, bool immediate, int times = 1);
bool ScriptDelay(std::string_view op, std::uint32_t delay_ms);
std::vector<ScriptEntry> Script();
bool ClearScript();

// Device time now (UTC, FILETIME units), from the kernel clock.
std::int64_t Now();

}  // namespace ce::device
