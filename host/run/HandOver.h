#pragma once
// Handing a command to the profile's running `orvane start --stay`, as a
// second Outlook passes its command line to the first. A UNIX socket in the
// profile ("host.socket") carries the command's words and the caller's
// standard output and error, as descriptors: what the command prints goes
// straight to the caller's terminal, and the running host answers with the
// command's exit status. Only processes of the same user are listened to.
//
// The exchange: the caller connects and sends its words and descriptors;
// the host, when it comes to the command, says it takes it ('A'); the caller
// says go ('G'), or has gone (given up waiting), and then the host drops
// the command unrun; the host runs it and answers 'S' with the status.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace host {

// A command received by the running host. Owns the connection and the
// caller's descriptors, closed with it.
class HandedCommand {
 public:
  HandedCommand(int connection, int out, int err, std::vector<std::string> words);
  ~HandedCommand();
  HandedCommand(const HandedCommand&) = delete;
  HandedCommand& operator=(const HandedCommand&) = delete;

  const std::vector<std::string>& Words() const { return words_; }
  int Out() const { return out_; }  // the caller's standard output
  int Err() const { return err_; }  // the caller's standard error
  pid_t CallerPid() const;

  // Tells the caller the command is taken and waits for its go-ahead: false
  // when the caller has gone meanwhile, and the command must not run.
  bool Begin();
  // Answers with the command's exit status.
  void Finish(int status);

 private:
  int connection_;
  int out_;
  int err_;
  std::vector<std::string> words_;
};

class HandOverListener {
 public:
  // Listens on the socket file, replacing what a host before left there.
  // Throws std::system_error when it cannot.
  explicit HandOverListener(std::filesystem::path socketFile);
  ~HandOverListener();  // stops listening and removes the file
  HandOverListener(const HandOverListener&) = delete;
  HandOverListener& operator=(const HandOverListener&) = delete;

  // Readable (for poll) when a caller is waiting.
  int Descriptor() const { return fd_; }
  // The next waiting command, read in full; null when none is waiting, or
  // when what came was no command (another user, a caller that went away,
  // words past the limits).
  std::unique_ptr<HandedCommand> Accept();

 private:
  std::filesystem::path file_;
  int fd_ = -1;
};

class HandOverClient {
 public:
  enum class Step { kTaken, kWaiting, kRefused };

  HandOverClient() = default;
  ~HandOverClient();
  HandOverClient(const HandOverClient&) = delete;
  HandOverClient& operator=(const HandOverClient&) = delete;

  // Connects to the running host: false when none listens there (or its
  // queue is full for now).
  bool Connect(const std::filesystem::path& socketFile);
  // The host's process, as the kernel tells it.
  pid_t HostPid() const;
  // Sends the words with this process's standard output and error.
  bool Send(const std::vector<std::string>& words);
  // Waits up to `timeout` for the host to take the command: kRefused when it
  // closed the connection instead (it is stopping: the command did not run).
  Step WaitTaken(std::chrono::milliseconds timeout);
  // Once taken: lets the host run it and waits for its exit status; nothing
  // when the host ended before answering.
  std::optional<int> Finish();

 private:
  int fd_ = -1;
};

}  // namespace host
