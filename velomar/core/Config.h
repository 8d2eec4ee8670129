// The program's settings: registry values under HKEY_LOCAL_MACHINE "\SOFTWARE\Morvane\Velomar".
// No value has a default here: an absent value reads as 0 or as empty text, and each reader
// decides what that means.
#pragma once

#include "velomar/core/RegistryKey.h"

class CConfig : public CRegistryKey {
 public:
  // Registers the object as the current settings object, then reads "debug_info": 1 switches the
  // process-wide debug flag on (any other value leaves it as it is).
  CConfig();
  // Unregisters the object: GetInstance then answers the one it made itself, or makes one.
  ~CConfig() override;
  CConfig(const CConfig&) = delete;
  CConfig& operator=(const CConfig&) = delete;

  // The current settings object; made on the heap (and kept for the rest of the process) when
  // none is registered. Any thread.
  static CConfig* GetInstance();

  // The process-wide debug flag ("debug_info" was 1 when a settings object was made).
  static bool IsDebug();
};

namespace velomar::seam {
// Clears the process-wide debug flag, so that a test sees what one settings object does to it.
void ClearDebugFlag();
}  // namespace velomar::seam
