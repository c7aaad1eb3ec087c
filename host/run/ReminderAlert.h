#pragma once
// Telling the user that a reminder is due: a desktop notification through
// notify-send when there is one (ORVANE_NOTIFY names another program, or
// none when empty), else a line on standard error; and the item's sound
// when it asks for one, through the first player found (ORVANE_PLAY, else
// paplay, pw-play or aplay). Programs run without the host waiting for them.

#include <string>
#include <vector>

#include "host/store/Appointment.h"

namespace host {

class ReminderAlert {
 public:
  ReminderAlert();
  ~ReminderAlert();  // reaps the programs that have finished
  ReminderAlert(const ReminderAlert&) = delete;
  ReminderAlert& operator=(const ReminderAlert&) = delete;

  void Show(const Appointment& item);
  // Collects the programs that have finished.
  void Reap();

  // The line written when no notification program can be run.
  static std::string TextLine(const Appointment& item);

 private:
  bool Run(const std::vector<std::string>& command);
  // Runs the notifier and waits a moment for its answer: one that cannot
  // reach a desktop (no session bus) fails, and the line goes to stderr.
  bool Notify(const Appointment& item);

  std::string notifier_;  // empty: standard error only
  std::string player_;    // empty: no sound
  std::vector<int> children_;
};

// The path of an executable program: `name` itself when it holds a slash,
// else the first match on PATH; empty when there is none.
std::string FindProgram(const std::string& name);

}  // namespace host
