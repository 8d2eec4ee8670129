// One data connection of the phonebook: its entry name, the path of its Connection Manager
// provider key (below HKEY_LOCAL_MACHINE), and the flags the connections manager keeps for it:
// connected (as last refreshed), enabled and always on (values "enabled" and "AlwaysOn" of the
// provider key), preferred. The traffic is bytes sent plus received on the active connection.
//
// The name and key path never change after construction; the flags and counts may be read from
// any thread. The active connection record is changed only under the connections manager's list
// lock.
#pragma once

#include <atomic>
#include <string>

#include "platform/connections/ras.h"

class CRasConnection {
 public:
  CRasConnection(std::u16string name, std::u16string key_path);
  virtual ~CRasConnection() = default;
  CRasConnection(const CRasConnection&) = delete;
  CRasConnection& operator=(const CRasConnection&) = delete;

  const std::u16string& GetName() const { return m_name; }
  const std::u16string& GetKeyPath() const { return m_keyPath; }
  bool IsName(const std::u16string& name) const { return m_name == name; }
  bool IsKeyPath(const std::u16string& path) const { return m_keyPath == path; }

  int IsConnected() const { return m_connected.load(); }
  void SetConnected(int flag) { m_connected = flag; }
  int IsEnabled() const { return m_enabled.load(); }
  void SetEnabled(int flag) { m_enabled = flag; }
  int IsAlwaysOn() const { return m_alwaysOn.load(); }
  void SetAlwaysOn(int flag) { m_alwaysOn = flag; }
  int IsPreferred() const { return m_preferred.load(); }
  // A connection that becomes preferred stores its name as the setting "connection_prefered".
  void SetPreferred(int flag);

  DWORD GetTraffic() const { return m_traffic.load(); }
  void SetTraffic(DWORD bytes) { m_traffic = bytes; }
  // 0xFFFFFFFF after a hang-up, a failed statistics read, and before the first sample.
  DWORD GetPreviousTraffic() const { return m_previousTraffic.load(); }

  // The platform's record of the active connection (copied when the entry is found active).
  void SetActiveRecord(const RASCONN& record) { m_record = record; }

  // Ends the active connection by its handle; the traffic restarts (previous unknown, current 0).
  void HangUp();
  // Samples the link statistics of sub-entry 1: the current traffic becomes the previous one.
  // A failed read gives traffic 0 and previous unknown.
  void RefreshDataTraffic();
  // More than 1024 bytes since the previous sample. A previous sample of 0 bytes counts as no
  // traffic.
  bool HaHabidoTrafico() const;
  // Writes "enabled" and "AlwaysOn" to the provider key.
  void WriteToRegistry();
  // Asks the Connection Manager for this entry's destination network ("ConnectionGUID" of the
  // provider key). A failure is not reported.
  void Connect();

 private:
  const std::u16string m_name;
  const std::u16string m_keyPath;
  std::atomic<int> m_connected{0};
  std::atomic<int> m_enabled{0};
  std::atomic<int> m_alwaysOn{0};
  std::atomic<int> m_preferred{1};
  std::atomic<DWORD> m_traffic{0};
  std::atomic<DWORD> m_previousTraffic{0xFFFFFFFFu};
  RASCONN m_record{};
};
