#pragma once
// Which process is the host of a profile, as Outlook runs once per profile:
// the one holding the exclusive lock of the profile's "host.lock". The lock
// is the kernel's (flock), so it goes with its process however that ends: a
// host that was killed never blocks the next. The file holds a line naming
// the holder ("orvane generate (pid 4242)"), for the messages of those who
// find it busy.

#include <filesystem>
#include <string>

namespace host {

class ProfileLock {
 public:
  explicit ProfileLock(std::filesystem::path file);
  ~ProfileLock();  // lets go of the lock when held
  ProfileLock(const ProfileLock&) = delete;
  ProfileLock& operator=(const ProfileLock&) = delete;

  // Takes the lock when nobody holds it, and writes `holder` into the file.
  // False when another holds it; throws std::system_error when the file
  // cannot be opened at all (a read-only profile, say).
  bool TryAcquire(const std::string& holder);
  void Release();
  bool Held() const { return fd_ >= 0; }

  // The line the holder wrote; empty when there is none (being written, or
  // the file is missing).
  static std::string Holder(const std::filesystem::path& file);

 private:
  std::filesystem::path file_;
  int fd_ = -1;
};

}  // namespace host
