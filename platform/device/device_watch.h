// Change notification across the device's processes. Every committed change of the model wakes
// the watcher thread of every process that subscribed; it calls each subscriber, which reads the
// model and compares it with what it saw before (a subscriber may also be called when nothing it
// cares about changed, at least once a second).
#pragma once

#include <functional>

namespace ce::device {

using WatchId = int;
WatchId Subscribe(std::function<void()> on_change);
// Once it returns, the subscriber is not running (unless it unsubscribes itself) and is not called
// again.
void Unsubscribe(WatchId id);

}  // namespace ce::device
