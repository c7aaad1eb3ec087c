// The profile holds a person's calendar and the registry that decides which
// module the host loads: it is made for its user alone, a profile made
// earlier with wider modes is narrowed once, the home folder is never
// guessed as /tmp, and a folder that another user owns or may write into
// is refused with one line.

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/RunProgram.h"
#include "tests/support/TestProfile.h"
#include "tests/support/Unprivileged.h"

namespace {

std::string Program() { return ORVANE_PROGRAM; }

std::string RunOrvane(const std::string& arguments, int* exitCode) {
  return RunCommand(Program() + " " + arguments, exitCode);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

mode_t ModeOf(const std::filesystem::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777;
}

std::filesystem::path SmallRegFile(const std::filesystem::path& folder) {
  const std::filesystem::path reg = folder / "small.reg";
  std::ofstream(reg) << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Small]\n\"A\"=\"b\"\n";
  return reg;
}

class ProfilePrivacyTest : public ::testing::Test {
 protected:
  void SetUp() override { oldMask_ = ::umask(022); }  // what most users have
  void TearDown() override { ::umask(oldMask_); }

  TestProfile profile_;
  mode_t oldMask_ = 0;
};

TEST_F(ProfilePrivacyTest, ANewProfileIsForItsUserAlone) {
  const std::filesystem::path home = profile_.Dir() / "new" / "orvane";
  setenv("ORVANE_HOME", home.c_str(), 1);
  int code = 0;
  std::string out = RunOrvane("install", &code);
  ASSERT_EQ(code, 0) << out;
  out = RunOrvane("start", &code);
  ASSERT_EQ(code, 0) << out;
  EXPECT_EQ(ModeOf(home), 0700u);
  for (const char* name : {"registry.db", "outlook.db", "calendar.ics", "outcmd.dat"}) {
    ASSERT_TRUE(std::filesystem::exists(home / name)) << name;
    EXPECT_EQ(ModeOf(home / name), 0600u) << name;
  }
  EXPECT_FALSE(Has(out, "other users")) << out;
}

TEST_F(ProfilePrivacyTest, AProfileMadeEarlierWithWiderModesIsNarrowedOnceSayingSo) {
  int code = 0;
  std::string out = RunOrvane("reg import " + SmallRegFile(profile_.Dir()).string(), &code);
  ASSERT_EQ(code, 0) << out;
  // As the host made them before: the folder 0755, its files 0644.
  ASSERT_EQ(::chmod(profile_.Dir().c_str(), 0755), 0);
  ASSERT_EQ(::chmod((profile_.Dir() / "registry.db").c_str(), 0644), 0);
  std::filesystem::create_directories(profile_.Dir() / "drive_c");
  std::ofstream(profile_.Dir() / "drive_c" / "orvnlog.txt") << "trace\n";
  ::chmod((profile_.Dir() / "drive_c").c_str(), 0755);
  ::chmod((profile_.Dir() / "drive_c" / "orvnlog.txt").c_str(), 0644);

  out = RunOrvane("reg export 'HKEY_CURRENT_USER\\Software\\Small'", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_TRUE(Has(out, "orvane: the profile folder " + profile_.Dir().string() +
                           " could be read by other users (mode 0755); it and its files are now for you alone"))
      << out;
  EXPECT_TRUE(Has(out, "\"A\"=\"b\"")) << out;
  EXPECT_EQ(ModeOf(profile_.Dir()), 0700u);
  EXPECT_EQ(ModeOf(profile_.Dir() / "registry.db"), 0600u);
  EXPECT_EQ(ModeOf(profile_.Dir() / "drive_c"), 0700u);
  EXPECT_EQ(ModeOf(profile_.Dir() / "drive_c" / "orvnlog.txt"), 0600u);

  out = RunOrvane("reg export 'HKEY_CURRENT_USER\\Software\\Small'", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_FALSE(Has(out, "other users")) << out;
}

// With HOME unset or empty the home folder is the user's own from the
// password database ("nobody" has /nonexistent, which cannot be made), and
// never a folder of /tmp that anyone could have made first.
TEST_F(ProfilePrivacyTest, TheHomeFolderComesFromThePasswordDatabaseNeverTmp) {
  const std::filesystem::path guessed = "/tmp/.local/share/orvane";
  const bool wasThere = std::filesystem::exists(guessed);
  for (const char* home : {"-u HOME", "HOME="}) {
    SCOPED_TRACE(home);
    int code = 0;
    const std::string out = RunCommand("setpriv --reuid=65534 --regid=65534 --clear-groups env -u ORVANE_HOME "
                                       "-u XDG_DATA_HOME " + std::string(home) + " " + Program() + " reg export",
                                       &code);
    EXPECT_EQ(code, 1) << out;
    EXPECT_TRUE(Has(out, "/nonexistent/.local/share/orvane")) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  }
  if (!wasThere) {
    EXPECT_FALSE(std::filesystem::exists(guessed));
    std::filesystem::remove_all(guessed);  // what the old host made, if it ran
  }
}

TEST_F(ProfilePrivacyTest, AFolderAnotherUserOwnsOrMayWriteIsRefusedInOneLine) {
  int code = 0;
  std::string out = RunOrvane("reg import " + SmallRegFile(profile_.Dir()).string(), &code);
  ASSERT_EQ(code, 0) << out;
  const group* users = getgrnam("users");
  ASSERT_NE(users, nullptr);
  const struct {
    const char* what;
    uid_t owner;
    gid_t group;
    mode_t mode;
    const char* said;
  } cases[] = {
      {"another user's", kUnprivilegedUser, 0, 0700, "belongs to another user (uid 65534)"},
      {"writable by all", 0, 0, 0777, "can be written by other users (mode 0777)"},
      {"writable by a shared group", 0, users->gr_gid, 0770, "can be written by other users (mode 0770)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(::chown(profile_.Dir().c_str(), c.owner, c.group), 0);
    ASSERT_EQ(::chmod(profile_.Dir().c_str(), c.mode), 0);
    out = RunOrvane("reg export 'HKEY_CURRENT_USER\\Software\\Small'", &code);
    EXPECT_EQ(code, 1) << out;
    EXPECT_TRUE(Has(out, "orvane: the profile folder " + profile_.Dir().string() + " " + c.said)) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_EQ(ModeOf(profile_.Dir()), c.mode) << "a refused folder is left as it is";
  }
  // The user's own private group may write: that is the user.
  ASSERT_EQ(::chown(profile_.Dir().c_str(), 0, 0), 0);
  ASSERT_EQ(::chmod(profile_.Dir().c_str(), 0770), 0);
  out = RunOrvane("reg export 'HKEY_CURRENT_USER\\Software\\Small'", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_EQ(ModeOf(profile_.Dir()), 0700u);
}

// Regression: the timetable page was written beside the add-in module,
// where a user of an install shared by several cannot write: the button
// failed for every user but the one who installed it. It now goes to the
// user's own folder of the add-in in the profile, made for that user alone.
TEST_F(ProfilePrivacyTest, AUserWhoCannotWriteTheInstallGetsTheTimetableInTheProfile) {
  const std::filesystem::path home = UnprivilegedProfile(profile_.Dir());
  const std::filesystem::path reg = home / "city.reg";
  std::ofstream(reg) << "Windows Registry Editor Version 5.00\n\n"
                        "[HKEY_CURRENT_USER\\Software\\Veltrix\\Orvane\\3.0\\Settings]\n"
                        "\"Location\"=\"Mecca,,Saudi Arabia,21 25 N,39 49 E,3,N,1,N,1\"\n";
  GiveToUnprivilegedUser(home);
  int code = 0;
  std::string out = RunUnprivileged(home, Program() + " install", &code);
  ASSERT_EQ(code, 0) << out;
  out = RunUnprivileged(home, Program() + " reg import " + reg.string(), &code);
  ASSERT_EQ(code, 0) << out;
  out = RunUnprivileged(home, Program() + " imsakyya --no-open", &code);
  ASSERT_EQ(code, 0) << out;
  ASSERT_FALSE(out.empty());
  const std::filesystem::path page = out.substr(0, out.find('\n'));
  EXPECT_EQ(page.parent_path().parent_path(), home) << out;
  EXPECT_EQ(page.filename(), "imsakyya.html");
  EXPECT_TRUE(std::filesystem::is_regular_file(page)) << out;
  EXPECT_EQ(ModeOf(page.parent_path()), 0700u);
}

}  // namespace
