#include "host/run/HandOver.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace host {
namespace {

constexpr char kGreeting[] = "orvane-handover-1";  // sent with its terminating zero
constexpr std::uint32_t kMaxWords = 256;
constexpr std::uint32_t kMaxWordBytes = 64 * 1024;
// A caller sends its whole command at once and answers 'A' at once: one
// that takes longer is stuck, and must not hold up the host.
constexpr int kCallerMilliseconds = 5000;

// sun_path holds 108 bytes; a profile deeper than that is reached through
// a descriptor of its folder.
class SocketAddress {
 public:
  explicit SocketAddress(const std::filesystem::path& file) {
    addr_.sun_family = AF_UNIX;
    std::string path = file.string();
    if (path.size() >= sizeof addr_.sun_path) {
      folder_ = open(file.parent_path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      if (folder_ < 0) return;
      path = "/proc/self/fd/" + std::to_string(folder_) + "/" + file.filename().string();
      if (path.size() >= sizeof addr_.sun_path) return;
    }
    std::memcpy(addr_.sun_path, path.c_str(), path.size() + 1);
    valid_ = true;
  }
  ~SocketAddress() {
    if (folder_ >= 0) close(folder_);
  }
  SocketAddress(const SocketAddress&) = delete;
  SocketAddress& operator=(const SocketAddress&) = delete;

  bool Valid() const { return valid_; }
  const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&addr_); }
  socklen_t Size() const { return sizeof addr_; }

 private:
  sockaddr_un addr_{};
  int folder_ = -1;
  bool valid_ = false;
};

bool WaitFor(int fd, short events, int milliseconds) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int n = poll(&p, 1, milliseconds);
    if (n > 0) return true;
    if (n == 0 || errno != EINTR) return false;
  }
}

// Reads exactly `size` bytes, each part within the time allowed.
bool ReadExactly(int fd, void* data, std::size_t size, int milliseconds) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    if (!WaitFor(fd, POLLIN, milliseconds)) return false;
    const ssize_t n = read(fd, bytes, size);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    if (!WaitFor(fd, POLLOUT, kCallerMilliseconds)) return false;
    // MSG_NOSIGNAL: a caller that went away is no reason for SIGPIPE.
    const ssize_t n = send(fd, bytes, size, MSG_NOSIGNAL);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool SameUser(int fd, pid_t* pid) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return false;
  if (pid != nullptr) *pid = credentials.pid;
  return credentials.uid == getuid();
}

void CloseIf(int fd) {
  if (fd >= 0) close(fd);
}

}  // namespace

HandedCommand::HandedCommand(int connection, int out, int err, std::vector<std::string> words)
    : connection_(connection), out_(out), err_(err), words_(std::move(words)) {}

HandedCommand::~HandedCommand() {
  CloseIf(connection_);
  CloseIf(out_);
  CloseIf(err_);
}

pid_t HandedCommand::CallerPid() const {
  pid_t pid = 0;
  SameUser(connection_, &pid);
  return pid;
}

bool HandedCommand::Begin() {
  char go = 0;
  return WriteAll(connection_, "A", 1) && ReadExactly(connection_, &go, 1, kCallerMilliseconds) && go == 'G';
}

void HandedCommand::Finish(int status) {
  char answer[1 + sizeof(std::int32_t)] = {'S'};
  const std::int32_t value = status;
  std::memcpy(answer + 1, &value, sizeof value);
  WriteAll(connection_, answer, sizeof answer);  // a caller that has gone hears nothing
}

HandOverListener::HandOverListener(std::filesystem::path socketFile) : file_(std::move(socketFile)) {
  const SocketAddress address(file_);
  if (!address.Valid()) throw std::system_error(ENAMETOOLONG, std::generic_category(), file_.string());
  fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "socket");
  // Whoever listened here before has ended: the caller of this holds the
  // profile's lock, which a listening host keeps while it lives.
  unlink(file_.c_str());
  const mode_t mask = umask(0077);
  const int bound = bind(fd_, address.Get(), address.Size());
  umask(mask);
  if (bound != 0 || listen(fd_, 64) != 0) {
    const int error = errno;
    close(fd_);
    fd_ = -1;
    throw std::system_error(error, std::generic_category(), "cannot listen on " + file_.string());
  }
}

HandOverListener::~HandOverListener() {
  if (fd_ < 0) return;
  // Callers still queued find the connection closed, see that their
  // command was not taken, and carry on without this host.
  unlink(file_.c_str());
  close(fd_);
}

std::unique_ptr<HandedCommand> HandOverListener::Accept() {
  const int connection = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (connection < 0) return nullptr;
  // Blocking from here on, each wait bounded by poll.
  fcntl(connection, F_SETFL, fcntl(connection, F_GETFL) & ~O_NONBLOCK);
  if (!SameUser(connection, nullptr) || !WaitFor(connection, POLLIN, kCallerMilliseconds)) {
    close(connection);
    return nullptr;
  }
  char header[sizeof kGreeting + sizeof(std::uint32_t)];
  iovec part{header, sizeof header};
  alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))];
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  ssize_t got = recvmsg(connection, &message, MSG_CMSG_CLOEXEC);
  int fds[2] = {-1, -1};
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS) {
      const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
      int* received = reinterpret_cast<int*>(CMSG_DATA(c));
      for (std::size_t i = 0; i < count; ++i) {
        if (i < 2 && fds[i] < 0) {
          fds[i] = received[i];
        } else {
          close(received[i]);
        }
      }
    }
  }
  auto drop = [&] {
    close(connection);
    CloseIf(fds[0]);
    CloseIf(fds[1]);
    return nullptr;
  };
  if (got <= 0 || (message.msg_flags & MSG_CTRUNC) != 0 || fds[0] < 0 || fds[1] < 0) return drop();
  if (static_cast<std::size_t>(got) < sizeof header &&
      !ReadExactly(connection, header + got, sizeof header - static_cast<std::size_t>(got), kCallerMilliseconds)) {
    return drop();
  }
  if (std::memcmp(header, kGreeting, sizeof kGreeting) != 0) return drop();
  std::uint32_t count = 0;
  std::memcpy(&count, header + sizeof kGreeting, sizeof count);
  if (count > kMaxWords) return drop();
  std::vector<std::string> words;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t length = 0;
    if (!ReadExactly(connection, &length, sizeof length, kCallerMilliseconds) || length > kMaxWordBytes) return drop();
    std::string word(length, '\0');
    if (!ReadExactly(connection, word.data(), length, kCallerMilliseconds)) return drop();
    words.push_back(std::move(word));
  }
  return std::make_unique<HandedCommand>(connection, fds[0], fds[1], std::move(words));
}

HandOverClient::~HandOverClient() { CloseIf(fd_); }

bool HandOverClient::Connect(const std::filesystem::path& socketFile) {
  CloseIf(fd_);
  fd_ = -1;
  const SocketAddress address(socketFile);
  if (!address.Valid()) return false;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  // Not blocking: a full queue (EAGAIN) is tried again later, like a busy host.
  if (connect(fd, address.Get(), address.Size()) != 0 || !SameUser(fd, nullptr)) {
    close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

pid_t HandOverClient::HostPid() const {
  pid_t pid = 0;
  if (fd_ >= 0) SameUser(fd_, &pid);
  return pid;
}

bool HandOverClient::Send(const std::vector<std::string>& words) {
  if (fd_ < 0 || words.size() > kMaxWords) return false;
  char header[sizeof kGreeting + sizeof(std::uint32_t)];
  std::memcpy(header, kGreeting, sizeof kGreeting);
  const std::uint32_t count = static_cast<std::uint32_t>(words.size());
  std::memcpy(header + sizeof kGreeting, &count, sizeof count);
  iovec part{header, sizeof header};
  alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  cmsghdr* c = CMSG_FIRSTHDR(&message);
  c->cmsg_level = SOL_SOCKET;
  c->cmsg_type = SCM_RIGHTS;
  c->cmsg_len = CMSG_LEN(2 * sizeof(int));
  const int fds[2] = {STDOUT_FILENO, STDERR_FILENO};
  std::memcpy(CMSG_DATA(c), fds, sizeof fds);
  if (!WaitFor(fd_, POLLOUT, kCallerMilliseconds)) return false;
  ssize_t sent;
  do {
    sent = sendmsg(fd_, &message, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  if (sent <= 0) return false;
  if (static_cast<std::size_t>(sent) < sizeof header &&
      !WriteAll(fd_, header + sent, sizeof header - static_cast<std::size_t>(sent))) {
    return false;
  }
  for (const std::string& word : words) {
    if (word.size() > kMaxWordBytes) return false;
    const std::uint32_t length = static_cast<std::uint32_t>(word.size());
    if (!WriteAll(fd_, &length, sizeof length) || !WriteAll(fd_, word.data(), word.size())) return false;
  }
  return true;
}

HandOverClient::Step HandOverClient::WaitTaken(std::chrono::milliseconds timeout) {
  if (!WaitFor(fd_, POLLIN, static_cast<int>(timeout.count()))) return Step::kWaiting;
  char taken = 0;
  ssize_t n;
  do {
    n = read(fd_, &taken, 1);
  } while (n < 0 && errno == EINTR);
  if (n < 0 && errno == EAGAIN) return Step::kWaiting;
  return n == 1 && taken == 'A' ? Step::kTaken : Step::kRefused;
}

std::optional<int> HandOverClient::Finish() {
  if (!WriteAll(fd_, "G", 1)) return std::nullopt;
  char answer[1 + sizeof(std::int32_t)];
  // The command may run as long as it needs (a dialog waits for a person).
  if (!ReadExactly(fd_, answer, sizeof answer, -1) || answer[0] != 'S') return std::nullopt;
  std::int32_t status = 0;
  std::memcpy(&status, answer + 1, sizeof status);
  return status;
}

}  // namespace host
