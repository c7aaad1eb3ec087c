#pragma once
// One host per profile, as Outlook runs once per profile. A command that
// runs the add-in (start, generate, delete, imsakyya, options, uninstall,
// dialog) becomes the profile's host for as long as it works: it takes the
// profile's lock (host/run/ProfileLock.h). When another orvane holds it,
// the command hands itself to that one if it is a staying host (`orvane
// start --stay`, which answers with the command's output and exit status),
// else waits for it to end; after a second of waiting it says so on
// standard error, and it gives up after the waiting limit, naming the busy
// process. Commands that only read never come here.

#include <functional>
#include <string>
#include <vector>

namespace host {

// From the command line: the words to hand over (the command and its
// options, without those that only this process can apply, such as --home)
// and how long to wait for a busy profile, in seconds.
void SetHandOverWords(std::vector<std::string> words);
void SetWaitLimit(double seconds);
inline constexpr double kDefaultWaitSeconds = 120.0;

enum class WhenHosted {
  kHandOver,    // the staying host runs the command
  kSayRunning,  // the command is to stay itself: one staying host is enough
};

// Runs `work` as the profile's host and answers its exit status; or the
// staying host's answer; or 1, said on standard error, when the wait was
// given up or the staying host ended before answering. `command` names the
// command for others' messages ("generate", "start --stay").
int RunAsProfileHost(const std::string& command, const std::function<int()>& work,
                     WhenHosted whenHosted = WhenHosted::kHandOver);

// Whether this process is the profile's host right now (a staying host
// running a command handed to it, for one).
bool IsProfileHost();

}  // namespace host
