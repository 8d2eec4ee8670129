// The interfaces through which the managers tell others of changes, and the record the schedule
// engine queues when told.
#pragma once

#include <string>

// Told of every status change of a manager it registered with, on the thread that made the
// change: it must only post or store. `event` is 10 after a refresh that changed the status (or
// was forced); managers that fire by themselves use their own numbers.
class IStatusListener {
 public:
  virtual void StatusChanged(int status, int mgr_id, int event) = 0;
  virtual std::u16string GetName() = 0;

 protected:
  ~IStatusListener() = default;
};

// A target of the timer notifications that the running instance receives as WM_USER+200 from a
// relaunch with "timer_notification_<manager>_<notification>".
class ITimerNotificationListener {
 public:
  virtual ~ITimerNotificationListener() = default;
  virtual void OnTimerNotification(int mgr_id, int notification_id) = 0;
};

// {status, manager id, event}: a listener call handed over to another thread.
class CStatusChange {
 public:
  CStatusChange(int status, int mgr_id, int event) : m_status(status), m_mgrId(mgr_id), m_event(event) {}
  virtual ~CStatusChange() = default;
  int m_status;
  int m_mgrId;
  int m_event;
};
