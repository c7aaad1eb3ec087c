#pragma once
// How long the host waits for a profile database that another program holds
// locked (a backup tool, another orvane in the middle of a long fill, a
// program that locked the file whole): ORVANE_BUSY_WAIT seconds, 30 when
// unset, so that tests and scripts can choose to wait less. A wait that
// lasts a second is told on standard error; one that lasts the whole time
// fails, naming the file.

#include <optional>
#include <string>

namespace host {

inline constexpr const char* kBusyWaitVariable = "ORVANE_BUSY_WAIT";

// Sets the process's waiting (files::SetBusyWaitSettings) from the
// environment. One line saying what is wrong with the setting, or none.
std::optional<std::string> ApplyBusyWaitSetting();

// "after waiting 30 s" as the messages say it.
std::string BusyWaitText();

}  // namespace host
