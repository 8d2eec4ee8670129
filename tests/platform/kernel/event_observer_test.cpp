// The named-event observer: told the name of each named event that is set or pulsed, nothing else.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/kernel/event_observer.h"
#include "platform/kernel/sync.h"

namespace {

std::vector<std::u16string> g_seen;

void Remember(std::u16string_view name) { g_seen.emplace_back(name); }

TEST(NamedEventObserver, SeesSetAndPulseOfNamedEventsOnly) {
  g_seen.clear();
  ce::kernel::SetNamedEventObserver(Remember);
  HANDLE named = CreateEventW(nullptr, FALSE, FALSE, u"ObservedEvent");
  HANDLE again = CreateEventW(nullptr, FALSE, FALSE, u"ObservedEvent");  // the same event
  HANDLE unnamed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ASSERT_NE(named, nullptr);
  SetEvent(named);
  ResetEvent(named);
  PulseEvent(again);
  SetEvent(unnamed);
  ce::kernel::SetNamedEventObserver(nullptr);
  SetEvent(named);
  EXPECT_EQ(g_seen, (std::vector<std::u16string>{u"ObservedEvent", u"ObservedEvent"}));
  CloseHandle(named);
  CloseHandle(again);
  CloseHandle(unnamed);
}

}  // namespace
