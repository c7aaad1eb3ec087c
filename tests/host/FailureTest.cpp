// orvane when the profile's files are in trouble: locked by another
// program, read-only, on a full disk, damaged, or something other than a
// file. Each failure is told in words that fit it, with advice that fits
// it, and the command exits non-zero; nothing that is not a file is ever
// replaced.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <sstream>
#include <fstream>
#include <string>
#include <vector>

#include "host/store/CalendarStore.h"
#include "host/store/Sqlite.h"
#include "tests/support/OleDates.h"
#include "tests/support/RunProgram.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TestProfile.h"
#include "tests/support/Unprivileged.h"

namespace {

constexpr const char* kClsid = "{5E1C2A10-7B3D-4F21-9C55-0A1B2C3D4E5F}";

std::string Program() { return ORVANE_PROGRAM; }

std::string RunOrvane(const std::string& arguments, int* exitCode) {
  return RunCommand(Program() + " " + arguments, exitCode);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The test add-in, registered to load at start-up, as .reg text.
std::string TestAddinRegistration() {
  return std::string("Windows Registry Editor Version 5.00\n\n") + "[HKEY_CLASSES_ROOT\\CLSID\\" + kClsid +
         "\\InprocServer32]\n@=\"" + ORVANE_TEST_ADDIN + "\"\n\n" +
         "[HKEY_CLASSES_ROOT\\OrvaneTest.Addin\\CLSID]\n@=\"" + kClsid + "\"\n\n" +
         "[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook\\Addins\\OrvaneTest.Addin]\n"
         "\"LoadBehavior\"=dword:00000003\n";
}

// A .reg file of one key: importing it makes the registry.
std::filesystem::path SmallRegFile(const std::filesystem::path& folder) {
  const std::filesystem::path reg = folder / "small.reg";
  std::ofstream(reg) << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Small]\n\"A\"=\"b\"\n";
  return reg;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class FailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = profile_.Dir() / "addin.log";
    setenv("ORVANE_TEST_ADDIN_LOG", log_.c_str(), 1);
    setenv("ORVANE_NOTIFY", "", 1);
    unsetenv("ORVANE_TEST_ADDIN_MODE");
  }
  void TearDown() override {
    unsetenv("ORVANE_TEST_ADDIN_LOG");
    unsetenv("ORVANE_TEST_ADDIN_MODE");
    unsetenv("ORVANE_BUSY_WAIT");
    unsetenv("ORVANE_NOTIFY");
  }

  void RegisterTestAddin() {
    const std::filesystem::path reg = profile_.Dir() / "addin.reg";
    std::ofstream(reg) << TestAddinRegistration();
    int code = 0;
    const std::string out = RunOrvane("reg import " + reg.string(), &code);
    ASSERT_EQ(code, 0) << out;
  }

  TestProfile profile_;
  std::filesystem::path log_;
};

// Another program's write transaction, or a lock on the whole file: the
// host waits as long as ORVANE_BUSY_WAIT says, says after a second that it
// is waiting, then names the file and fails. Neither is a damaged file.
TEST_F(FailureTest, ALockedRegistryIsWaitedForThenNamed) {
  RegisterTestAddin();
  setenv("ORVANE_BUSY_WAIT", "2", 1);
  const std::filesystem::path registry = profile_.Dir() / "registry.db";
  for (const bool wholeFile : {false, true}) {
    SCOPED_TRACE(wholeFile ? "the whole file locked" : "a write in progress");
    std::string out;
    int code = 0;
    std::chrono::steady_clock::duration took{};
    {
      std::optional<host::sqlite::Database> writer;
      int fd = -1;
      if (wholeFile) {
        fd = ::open(registry.c_str(), O_RDWR | O_CLOEXEC);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &lock), 0);
      } else {
        writer.emplace(registry);
        writer->Exec("BEGIN IMMEDIATE");
      }
      const auto began = std::chrono::steady_clock::now();
      out = RunOrvane("start", &code);
      took = std::chrono::steady_clock::now() - began;
      if (fd >= 0) ::close(fd);
    }
    EXPECT_EQ(code, 1) << out;
    EXPECT_TRUE(Has(out, "registry.db is in use by another program; waiting up to 2 s")) << out;
    EXPECT_TRUE(Has(out, "registry.db is locked by another program")) << out;
    EXPECT_FALSE(Has(out, "move it aside")) << out;
    EXPECT_LT(took, std::chrono::seconds(20));
    EXPECT_FALSE(std::filesystem::exists(log_)) << "an add-in ran: " << ReadFile(log_);
  }
  // Free again, it starts as usual.
  int code = 0;
  const std::string out = RunOrvane("start", &code);
  EXPECT_EQ(code, 0) << out;
}

// Outlook does not start on a store it cannot write; the host says so
// rather than let the add-in's saves fail unseen.
TEST_F(FailureTest, AReadOnlyStoreIsToldAndTheStartFails) {
  const std::filesystem::path home = UnprivilegedProfile(profile_.Dir());
  const std::filesystem::path log = home / "addin.log";
  std::ofstream(home / "addin.reg") << TestAddinRegistration();
  GiveToUnprivilegedUser(home);
  const std::string withLog = "env ORVANE_TEST_ADDIN_LOG='" + log.string() + "' " + Program();
  int code = 0;
  std::string out = RunUnprivileged(home, withLog + " reg import " + (home / "addin.reg").string(), &code);
  ASSERT_EQ(code, 0) << out;
  out = RunUnprivileged(home, withLog + " start", &code);
  ASSERT_EQ(code, 0) << out;
  ASSERT_TRUE(std::filesystem::exists(home / "outlook.db"));
  std::filesystem::remove(log);

  ASSERT_EQ(::chmod((home / "outlook.db").c_str(), 0400), 0);
  out = RunUnprivileged(home, withLog + " start", &code);
  EXPECT_EQ(code, 1) << out;
  EXPECT_TRUE(Has(out, (home / "outlook.db").string() + " is read-only")) << out;
  EXPECT_FALSE(std::filesystem::exists(log)) << "the add-in ran on a store it could not write: " << ReadFile(log);
  // Reading it still works.
  out = RunUnprivileged(home, Program() + " calendar list", &code);
  EXPECT_EQ(code, 0) << out;
}

// "Move it aside" is advice for a damaged file only: a read-only profile or
// a full disk loses nothing if left alone, and moving the file would lose
// the calendar's history of what was filled.
TEST_F(FailureTest, ADamagedFileIsToldApartFromAReadOnlyOrFullOne) {
  int code = 0;
  std::string out = RunOrvane("reg import " + SmallRegFile(profile_.Dir()).string(), &code);
  ASSERT_EQ(code, 0) << out;

  // A full disk: no room for the file's shared-memory index.
  out = RunWithSmallDisk(profile_.Dir(), 20 * 1024, {Program(), "reg", "export"}, &code);
  ASSERT_NE(code, kCannotMount) << out;
  EXPECT_EQ(code, 1) << out;
  EXPECT_TRUE(Has(out, "registry.db cannot be used: the disk is full")) << out;
  EXPECT_FALSE(Has(out, "move it aside")) << out;

  // A profile its user made read-only.
  const std::filesystem::path home = UnprivilegedProfile(profile_.Dir());
  const std::filesystem::path reg = SmallRegFile(home);
  GiveToUnprivilegedUser(home);
  out = RunUnprivileged(home, Program() + " reg import " + reg.string(), &code);
  ASSERT_EQ(code, 0) << out;
  ASSERT_EQ(::chmod(home.c_str(), 0500), 0);
  out = RunUnprivileged(home, Program() + " reg export", &code);
  EXPECT_EQ(code, 1) << out;
  EXPECT_TRUE(Has(out, "is read-only for you")) << out;
  EXPECT_FALSE(Has(out, "move it aside")) << out;
  ::chmod(home.c_str(), 0700);

  // A damaged one.
  std::ofstream(profile_.Dir() / "registry.db", std::ios::trunc) << std::string(4096, 'x');
  out = RunOrvane("reg export", &code);
  EXPECT_EQ(code, 1) << out;
  EXPECT_TRUE(Has(out, "cannot be read as a database")) << out;
  EXPECT_TRUE(Has(out, "move it aside")) << out;
}

// Runs orvane with its standard output a pipe nobody reads any more (as
// `orvane calendar export - | head -c 0` would leave it, or a full disk):
// SIGPIPE ignored, as a shell script's trap or a service manager sets it.
std::string RunIntoClosedPipe(const std::vector<std::string>& arguments, int* exitCode) {
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return "pipe failed";
  std::vector<std::string> argv{Program()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  ::close(out[0]);
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGPIPE, SIG_IGN);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::close(err[0]);
    ::execv(args[0], args.data());
    _exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(err[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  ::close(err[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return text;
}

TEST_F(FailureTest, ExportsToStandardOutputFailWhenItCannotBeWritten) {
  {
    // Far more than standard output's buffer: written straight through.
    auto store = host::CalendarStore::Open(profile_.Dir() / "outlook.db");
    std::vector<host::Appointment> items;
    for (int i = 0; i < 300; ++i) {
      host::Appointment item;
      item.subject = "Item " + std::to_string(i);
      item.start = MakeDate(2004, 3, 21, 5, 0) + i;
      item.end = item.start + 0.01;
      items.push_back(item);
    }
    store->SaveAll(items);
  }
  const std::filesystem::path reg = profile_.Dir() / "big.reg";
  std::ofstream(reg) << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Big]\n\"Text\"=\""
                     << std::string(40000, 'x') << "\"\n";
  int code = 0;
  std::string out = RunOrvane("reg import " + reg.string(), &code);
  ASSERT_EQ(code, 0) << out;

  for (const std::vector<std::string>& command : {std::vector<std::string>{"calendar", "export", "-"},
                                                   std::vector<std::string>{"reg", "export"}}) {
    SCOPED_TRACE(command[0]);
    out = RunIntoClosedPipe(command, &code);
    EXPECT_EQ(code, 1) << out;
    EXPECT_TRUE(Has(out, "standard output could not be written: Broken pipe")) << out;
  }
}

// A named pipe's reader gets the calendar; a device node is written into
// (and its errors are the command's); neither is replaced by a file. The
// pipe and the nodes are the test's own, in its own folder.
TEST_F(FailureTest, ExportToSomethingOtherThanAFileNeverReplacesIt) {
  const std::filesystem::path fifo = profile_.Dir() / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  int code = 0;
  std::string out = RunOrvane("calendar export " + fifo.string(), &code);
  EXPECT_EQ(code, 0) << out;
  std::string received;
  char buffer[4096];
  for (ssize_t n; (n = ::read(reader, buffer, sizeof buffer)) > 0;) received.append(buffer, static_cast<std::size_t>(n));
  ::close(reader);
  EXPECT_EQ(received.rfind("BEGIN:VCALENDAR", 0), 0u) << received;
  struct stat st {};
  ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  // The kernel's "null" and "full" devices, as nodes of the test's own.
  const std::filesystem::path null = profile_.Dir() / "null";
  const std::filesystem::path full = profile_.Dir() / "full";
  ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0600, makedev(1, 3)), 0) << "mknod needs root";
  ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0600, makedev(1, 7)), 0);
  out = RunOrvane("calendar export " + null.string(), &code);
  EXPECT_EQ(code, 0) << out;
  out = RunOrvane("calendar export " + full.string(), &code);
  EXPECT_EQ(code, 1) << out;
  EXPECT_TRUE(Has(out, "No space left on device")) << out;
  for (const std::filesystem::path& node : {null, full}) {
    ASSERT_EQ(::stat(node.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << node << " was replaced";
  }

  const std::filesystem::path folder = profile_.Dir() / "folder";
  std::filesystem::create_directory(folder);
  out = RunOrvane("calendar export " + folder.string(), &code);
  EXPECT_EQ(code, 1) << out;
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

// Saves the disk cannot hold reach the add-in as a full disk, and the start
// that made them does not end as if they were kept.
TEST_F(FailureTest, SavesOnAFullDiskFailTheStartNamingTheCause) {
  // The profile on the small disk, the add-in's log off it.
  const std::filesystem::path home = profile_.Dir() / "home";
  std::filesystem::create_directory(home);
  setenv("ORVANE_HOME", home.c_str(), 1);
  RegisterTestAddin();
  setenv("ORVANE_TEST_ADDIN_MODE", "batch:3000", 1);
  int code = 0;
  const std::string out = RunWithSmallDisk(home, 160 * 1024, {Program(), "start"}, &code);
  ASSERT_NE(code, kCannotMount) << out;
  EXPECT_EQ(code, 1) << out;
  EXPECT_TRUE(Has(out, "could not be saved in")) << out;
  EXPECT_TRUE(Has(out, "the disk is full")) << out;
  EXPECT_TRUE(Has(ReadFile(log_), "batch failed 0x80070070")) << ReadFile(log_);
}

// Registering on a full disk: the code in words first.
TEST_F(FailureTest, InstallFailuresAreSaidInWords) {
  int code = 0;
  std::string out = RunOrvane("reg import " + SmallRegFile(profile_.Dir()).string(), &code);
  ASSERT_EQ(code, 0) << out;
  out = RunWithSmallDisk(profile_.Dir(), 48 * 1024, {Program(), "install"}, &code);
  ASSERT_NE(code, kCannotMount) << out;
  EXPECT_EQ(code, 1) << out;
  EXPECT_TRUE(Has(out, "There is not enough space on the disk (0x80070070)")) << out;
}

}  // namespace
