// Rewriting calendar.ics: a subscriber, or the disk after a crash, sees the
// old mirror or the new one, never part of one, and a failure says so.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "platform/fs/AtomicFile.h"
#include "platform/fs/Profile.h"
#include "tests/ical/MirrorTest.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> Listing(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Real system calls, except the one step a test makes fail with an errno.
// kHalfWrite lets half the text out first; kInterrupted fails the first write
// with EINTR only.
struct FailingCalls : files::FileCalls {
  enum Step { kOpen, kWrite, kHalfWrite, kInterrupted, kFsync, kClose, kRename };
  FailingCalls(Step step, int error) : step(step), error(error) {}
  int Fail() const {
    errno = error;
    return -1;
  }
  int Open(const char* path, int flags, mode_t mode) const override {
    return step == kOpen ? Fail() : FileCalls::Open(path, flags, mode);
  }
  ssize_t Write(int fd, const void* data, std::size_t size) const override {
    const int before = writes++;
    if (step == kWrite || (step == kHalfWrite && before > 0) ||
        (step == kInterrupted && before == 0)) {
      return Fail();
    }
    return FileCalls::Write(fd, data, step == kHalfWrite ? size / 2 : size);
  }
  int Fsync(int fd) const override { return step == kFsync ? Fail() : FileCalls::Fsync(fd); }
  int Close(int fd) const override {
    const int closed = FileCalls::Close(fd);
    return step == kClose ? Fail() : closed;
  }
  int Rename(const char* from, const char* to) const override {
    return step == kRename ? Fail() : FileCalls::Rename(from, to);
  }
  Step step;
  int error;
  mutable int writes = 0;
};

// A crash half way through the temporary file, as a process that ends there.
struct CrashingCalls : files::FileCalls {
  ssize_t Write(int fd, const void* data, std::size_t size) const override {
    FileCalls::Write(fd, data, size / 2);
    _exit(3);
  }
};

class MirrorWriteTest : public MirrorTest {
 protected:
  MirrorWriteTest() : m_path(profile::File("calendar.ics")) {
    host::WriteMirror(m_path, {Item("old")});
    m_old = ReadBytes(m_path);
  }
  std::filesystem::path m_path;
  std::string m_old;
};

TEST_F(MirrorWriteTest, RewriteReplacesTheFileAndLeavesNothingBeside) {
  host::WriteMirror(m_path, {Item("new-1"), Item("new-2")});
  EXPECT_THAT(Uids(host::ReadMirror(m_path)), ElementsAre("new-1", "new-2"));
  EXPECT_THAT(Listing(m_profile.Dir()), ElementsAre("calendar.ics"));
  // An interrupted write is taken up again.
  host::WriteMirror(m_path, {Item("new-3")}, FailingCalls(FailingCalls::kInterrupted, EINTR));
  EXPECT_THAT(Uids(host::ReadMirror(m_path)), ElementsAre("new-3"));
}

TEST_F(MirrorWriteTest, KeepsPermissionsAndFollowsALink) {
  ASSERT_EQ(chmod(m_path.c_str(), 0640), 0);
  host::WriteMirror(m_path, {Item("new")});
  struct stat info {};
  ASSERT_EQ(stat(m_path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  const std::filesystem::path shared = m_profile.Dir() / "shared";
  std::filesystem::create_directory(shared);
  std::filesystem::rename(m_path, shared / "orvane.ics");
  std::filesystem::create_symlink(shared / "orvane.ics", m_path);
  host::WriteMirror(m_path, {Item("linked")});
  EXPECT_TRUE(std::filesystem::is_symlink(m_path));
  EXPECT_THAT(Uids(host::ReadMirror(shared / "orvane.ics")), ElementsAre("linked"));
}

TEST_F(MirrorWriteTest, FailedStepKeepsTheOldFileAndSaysWhy) {
  const std::tuple<FailingCalls::Step, int, const char*> cases[] = {
      {FailingCalls::kOpen, EROFS, "create temporary file: Read-only file system"},
      {FailingCalls::kOpen, EACCES, "create temporary file: Permission denied"},
      {FailingCalls::kWrite, ENOSPC, "write: No space left on device"},
      {FailingCalls::kHalfWrite, ENOSPC, "write: No space left on device"},
      {FailingCalls::kFsync, EIO, "flush: Input/output error"},
      {FailingCalls::kClose, EIO, "close: Input/output error"},
      {FailingCalls::kRename, EACCES, "rename: Permission denied"},
  };
  for (const auto& [step, errorNumber, says] : cases) {
    try {
      host::WriteMirror(m_path, {Item("new")}, FailingCalls(step, errorNumber));
      ADD_FAILURE() << says << ": reported as written";
    } catch (const host::MirrorError& error) {
      EXPECT_EQ(error.Error(), errorNumber);
      EXPECT_THAT(error.what(), HasSubstr(m_path.string() + ": " + says));
    }
    EXPECT_EQ(ReadBytes(m_path), m_old) << says;
    EXPECT_THAT(Listing(m_profile.Dir()), ElementsAre("calendar.ics")) << says;
  }
}

TEST_F(MirrorWriteTest, RealFailuresAreReportedToo) {
  try {
    host::WriteMirror(m_profile.Dir() / "missing" / "calendar.ics", {Item("new")});
    ADD_FAILURE() << "written into a folder that does not exist";
  } catch (const host::MirrorError& error) {
    EXPECT_EQ(error.Error(), ENOENT);
  }
  // Items that cannot be mirrored never touch the file.
  EXPECT_THROW(host::WriteMirror(m_path, {Item("twice"), Item("twice")}), host::MirrorError);
  EXPECT_EQ(ReadBytes(m_path), m_old);
}

TEST_F(MirrorWriteTest, CrashWhileWritingLeavesTheOldMirrorWhole) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(host::WriteMirror(m_path, {Item("new"), Item("newer")}, CrashingCalls()),
              ::testing::ExitedWithCode(3), "");
  EXPECT_EQ(ReadBytes(m_path), m_old);
  EXPECT_THAT(Uids(host::ReadMirror(m_path)), ElementsAre("old"));
}

}  // namespace
