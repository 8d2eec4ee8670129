// The state notification broker: one readable message queue "BROKER_QUEUE_NAME" to which the
// registry state notifications are written, and a reader thread that hands each message's
// registration handle to the listeners (or, for callback registrations, the registry's watcher
// thread does). Listeners must hand the work over themselves.
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/base/types.h"
#include "platform/registry/registry_notify.h"

class IBrokerListener {
 public:
  // `notification`: the registration handle (its low 32 bits) of the value that changed.
  virtual void OnStateChanged(DWORD notification) = 0;

 protected:
  ~IBrokerListener() = default;
};

class CBroker {
 public:
  // Creates the queue and starts the reader; throws CBaseException when either fails.
  CBroker();
  // Stops the reader (it leaves its read at once on the closed queue) and waits for it.
  ~CBroker();
  CBroker(const CBroker&) = delete;
  CBroker& operator=(const CBroker&) = delete;

  static CBroker* GetBroker();

  void AddListener(IBrokerListener* listener);
  // A listener that goes away removes itself; once this returns it is not called again.
  void RemoveListener(IBrokerListener* listener);
  // Registers a notification on a registry value (any change of the bits in `mask`), written to
  // the queue, or with `use_callback` delivered on the registry's watcher thread. Answers the
  // registry's result (S_OK on success); a failure is reported.
  HRESULT RegisterNotification(HKEY key, const WCHAR* sub_key, const WCHAR* value_name, DWORD mask,
                               HREGNOTIFY* notification, int use_callback);
  void NotifyListeners(DWORD notification);

 private:
  static DWORD ReaderThread(LPVOID self);
  static void Callback(HREGNOTIFY notification, DWORD user_data, const BYTE* data, UINT size);
  void Read();

  HANDLE m_queue = nullptr;
  HANDLE m_reader = nullptr;
  HANDLE m_stop = nullptr;          // set when the reader must end
  std::atomic<bool> m_running{false};
  std::recursive_mutex m_listenersLock;      // held while listeners are called: removal waits for them
  std::vector<IBrokerListener*> m_listeners;
};
