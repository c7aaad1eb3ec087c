// Rewriting calendar.ics: a subscriber, or the disk after a crash, sees the
// old mirror or the new one, never part of one, and a failure says so.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "host/ical/AtomicFile.h"
#include "host/ical/MirrorError.h"
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
// Write can fail at its first call, or after half of the text went out.
struct FailingCalls : host::FileCalls {
  enum Step { kOpen, kWrite, kHalfWrite, kFsync, kClose, kRename, kInterruptedWrite };
  FailingCalls(Step step, int error) : step(step), error(error) {}
  int Fail() const {
    errno = error;
    return -1;
  }
  int Open(const char* path, int flags, mode_t mode) const override {
    return step == kOpen ? Fail() : FileCalls::Open(path, flags, mode);
  }
  ssize_t Write(int fd, const void* data, std::size_t size) const override {
    if (step == kWrite || (step == kHalfWrite && writes > 0) ||
        (step == kInterruptedWrite && writes == 0)) {
      ++writes;
      return Fail();
    }
    ++writes;
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
  const host::MirrorCalendar calendar = host::ReadMirror(m_path);
  ASSERT_EQ(calendar.events.size(), 2u);
  EXPECT_EQ(calendar.events[1].uid, "new-2");
  EXPECT_THAT(Listing(m_profile.Dir()), ElementsAre("calendar.ics"));
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
  EXPECT_EQ(host::ReadMirror(shared / "orvane.ics").events.at(0).uid, "linked");
}

TEST_F(MirrorWriteTest, AnInterruptedWriteIsTakenUpAgain) {
  host::WriteMirror(m_path, {Item("new")}, FailingCalls(FailingCalls::kInterruptedWrite, EINTR));
  EXPECT_EQ(host::ReadMirror(m_path).events.at(0).uid, "new");
}

TEST_F(MirrorWriteTest, FailedStepKeepsTheOldFileAndSaysWhy) {
  struct Case {
    FailingCalls::Step step;
    int error;
    const char* says;
  };
  const Case cases[] = {
      {FailingCalls::kOpen, EROFS, "create temporary file: Read-only file system"},
      {FailingCalls::kOpen, EACCES, "create temporary file: Permission denied"},
      {FailingCalls::kWrite, ENOSPC, "write: No space left on device"},
      {FailingCalls::kHalfWrite, ENOSPC, "write: No space left on device"},
      {FailingCalls::kFsync, EIO, "flush: Input/output error"},
      {FailingCalls::kClose, EIO, "close: Input/output error"},
      {FailingCalls::kRename, EACCES, "rename: Permission denied"},
  };
  for (const Case& c : cases) {
    try {
      host::WriteMirror(m_path, {Item("new")}, FailingCalls(c.step, c.error));
      ADD_FAILURE() << c.says << ": reported as written";
    } catch (const host::MirrorError& error) {
      EXPECT_EQ(error.Error(), c.error);
      EXPECT_THAT(error.what(), HasSubstr(m_path.string() + ": " + c.says));
    }
    EXPECT_EQ(ReadBytes(m_path), m_old) << c.says;
    EXPECT_THAT(Listing(m_profile.Dir()), ElementsAre("calendar.ics")) << c.says;
  }
}

TEST_F(MirrorWriteTest, RealFailuresAreReportedToo) {
  const std::filesystem::path folderInTheWay = m_profile.Dir() / "in-the-way.ics";
  std::filesystem::create_directories(folderInTheWay / "inside");
  EXPECT_THROW(host::WriteMirror(folderInTheWay, {Item("new")}), host::MirrorError);
  EXPECT_TRUE(std::filesystem::is_directory(folderInTheWay / "inside"));
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

// A crash half way through the temporary file, simulated by a process that
// ends there: the mirror is the old one, whole.
struct CrashingCalls : host::FileCalls {
  ssize_t Write(int fd, const void* data, std::size_t size) const override {
    FileCalls::Write(fd, data, size / 2);
    _exit(3);
  }
};

TEST_F(MirrorWriteTest, CrashWhileWritingLeavesTheOldMirrorWhole) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(host::WriteMirror(m_path, {Item("new"), Item("newer")}, CrashingCalls()),
              ::testing::ExitedWithCode(3), "");
  EXPECT_EQ(ReadBytes(m_path), m_old);
  EXPECT_EQ(host::ReadMirror(m_path).events.at(0).uid, "old");
}

}  // namespace
