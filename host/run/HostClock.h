#pragma once
// The clock of a host that stays running for days: local time, a clock
// that stops while the machine sleeps, and the machine's time zone. Behind
// an interface so that tests can walk a staying host through nights,
// suspends and zone changes without waiting for them.

#include <chrono>
#include <string>

#include "platform/com/WinTypes.h"

namespace host {

class HostClock {
 public:
  virtual ~HostClock() = default;
  // Local time now (an OLE date).
  virtual DATE Now() = 0;
  // Seconds on a clock that does not move while the machine is suspended.
  virtual double AwakeSeconds() = 0;
  // The machine's time zone as it is now: its name and offset. Changes
  // when the user or the system changes the zone.
  virtual std::string Zone() = 0;
};

// The machine's clocks. Local time follows a change of the machine's zone
// (the zone is looked up again on every reading of Zone). With ORVANE_NOW
// set, "now" starts there and runs on with real time, suspends included.
class SystemClock final : public HostClock {
 public:
  SystemClock();
  DATE Now() override;
  double AwakeSeconds() override;
  std::string Zone() override;

 private:
  bool fixed_ = false;
  DATE fixedStart_ = 0;
  double bootStart_ = 0;  // CLOCK_BOOTTIME seconds when fixedStart_ was read
};

}  // namespace host
