// The store under the registry: several writers at once, a process killed
// while writing, one file per profile, the code page it keeps, a file that
// is not a database.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/registry/RegistryTest.h"

namespace {

DWORD CountValues(HKEY key) {
  DWORD count = 0;
  for (;;) {
    char16_t name[32];
    DWORD length = 32;
    if (RegEnumValue(key, count, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      return count;
    }
    ++count;
  }
}

int WriteMany(HKEY key, const std::string& prefix, int count) {
  int failures = 0;
  for (int i = 0; i < count; ++i) {
    const std::u16string name = text::Utf8ToUtf16(prefix + std::to_string(i));
    if (SetDword(key, name.c_str(), static_cast<DWORD>(i)) != ERROR_SUCCESS) ++failures;
  }
  return failures;
}

TEST_F(RegistryTest, WritersInTwoProcessesAndTwoThreadsLoseNothing) {
  // The child inherits the parent's open store and handle and writes
  // through them.
  HKEY key = Create(HKEY_CURRENT_USER, u"Shared");
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    char start = 0;
    const bool started = read(go[0], &start, 1) == 1;
    _exit(started && WriteMany(key, "child-", 200) == 0 ? 0 : 1);
  }
  ASSERT_EQ(write(go[1], "g", 1), 1);
  EXPECT_EQ(WriteMany(key, "parent-", 200), 0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  close(go[0]);
  close(go[1]);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  int first = -1;
  int second = -1;
  std::thread a([&] { first = WriteMany(key, "thread-a-", 100); });
  std::thread b([&] { second = WriteMany(key, "thread-b-", 100); });
  a.join();
  b.join();
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 0);

  EXPECT_EQ(CountValues(key), 600u);
  DWORD value = 0;
  EXPECT_EQ(registry::GetDword(key, nullptr, "child-199", &value), ERROR_SUCCESS);
  EXPECT_EQ(value, 199u);
  EXPECT_EQ(registry::GetDword(key, nullptr, "parent-0", &value), ERROR_SUCCESS);
  EXPECT_EQ(value, 0u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, EveryWriteThatReturnedSurvivesAKilledProcess) {
  HKEY key = Create(HKEY_CURRENT_USER, u"Crash");
  int done[2];
  ASSERT_EQ(pipe(done), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(done[0]);
    // Runs until killed: once the pipe is full it waits for the parent,
    // which stops reading before that and kills it.
    for (std::uint32_t i = 0;; ++i) {
      const std::u16string name = text::Utf8ToUtf16("v" + std::to_string(i));
      if (SetDword(key, name.c_str(), i) != ERROR_SUCCESS) _exit(1);
      if (write(done[1], &i, sizeof i) != sizeof i) _exit(2);
    }
  }
  close(done[1]);
  std::vector<std::uint32_t> reported;
  std::uint32_t index = 0;
  while (reported.size() < 300 && read(done[0], &index, sizeof index) == sizeof index) {
    reported.push_back(index);
  }
  kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  while (read(done[0], &index, sizeof index) == sizeof index) reported.push_back(index);
  close(done[0]);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself, status " << status;
  ASSERT_GE(reported.size(), 300u);

  // Read through a fresh connection, as the next process would.
  UseProfile(home_ / "elsewhere");
  EXPECT_FALSE(registry::KeyExists(HKEY_CURRENT_USER, "Crash"));
  UseProfile(home_);
  HKEY reopened = nullptr;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, u"Crash", &reopened), ERROR_SUCCESS);
  EXPECT_GE(CountValues(reopened), reported.size());
  for (std::uint32_t i : reported) {
    DWORD value = 0;
    ASSERT_EQ(registry::GetDword(reopened, nullptr, ("v" + std::to_string(i)).c_str(), &value),
              ERROR_SUCCESS)
        << "v" << i;
    EXPECT_EQ(value, i);
  }
  RegCloseKey(reopened);
  RegCloseKey(key);
}

TEST_F(RegistryTest, EachProfileHasARegistryOfItsOwn) {
  HKEY mine = Create(HKEY_CURRENT_USER, u"OnlyHere");
  const std::filesystem::path other = home_ / "other";
  UseProfile(other);
  EXPECT_FALSE(registry::KeyExists(HKEY_CURRENT_USER, "OnlyHere"));
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "OnlyThere", nullptr, 1), ERROR_SUCCESS);
  EXPECT_TRUE(std::filesystem::exists(other / "registry.db"));
  // A handle stays with the profile it was opened in.
  ASSERT_EQ(SetDword(mine, u"x", 2), ERROR_SUCCESS);

  UseProfile(home_);
  DWORD value = 0;
  EXPECT_EQ(registry::GetDword(HKEY_CURRENT_USER, "OnlyHere", "x", &value), ERROR_SUCCESS);
  EXPECT_EQ(value, 2u);
  EXPECT_FALSE(registry::KeyExists(HKEY_CURRENT_USER, "OnlyThere"));
  RegCloseKey(mine);

  // A profile folder removed under a running process starts over empty
  // instead of writing on into the removed file.
  std::filesystem::remove_all(home_);
  EXPECT_FALSE(registry::KeyExists(HKEY_CURRENT_USER, "OnlyHere"));
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "New", nullptr, 3), ERROR_SUCCESS);
  EXPECT_TRUE(std::filesystem::exists(home_ / "registry.db"));
}

TEST_F(RegistryTest, TheAnsiCodePageIsReadFromTheProfileWhenItIsOpened) {
  const char* codePageKey = "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage";
  ASSERT_EQ(registry::SetString(HKEY_LOCAL_MACHINE, codePageKey, "ACP", "1252"), ERROR_SUCCESS);
  EXPECT_EQ(text::AnsiCodePage(), 1256);  // Windows too reads it only at start

  // A profile without the value leaves the code page alone, one with a
  // value that names no code page as well.
  const std::filesystem::path other = home_ / "other";
  UseProfile(other);
  ASSERT_EQ(registry::SetString(HKEY_LOCAL_MACHINE, codePageKey, "ACP", "12x"), ERROR_SUCCESS);
  EXPECT_EQ(text::AnsiCodePage(), 1256);
  UseProfile(home_);
  EXPECT_TRUE(registry::KeyExists(HKEY_LOCAL_MACHINE, codePageKey));
  EXPECT_EQ(text::AnsiCodePage(), 1252);
  UseProfile(other);
  EXPECT_TRUE(registry::KeyExists(HKEY_LOCAL_MACHINE, codePageKey));
  EXPECT_EQ(text::AnsiCodePage(), 1252);

  // The A forms now speak code page 1252: 0xE9 is é there.
  UseProfile(home_);
  const char e[] = "\xe9";
  ASSERT_EQ(
      RegSetValueEx(HKEY_CURRENT_USER, "Letter", 0, REG_SZ, reinterpret_cast<const BYTE*>(e), 2),
      ERROR_SUCCESS);
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, u"Letter"), std::u16string(u"é") + u'\0');
}

TEST_F(RegistryTest, AFileThatIsNotARegistryIsReportedAndLeftAlone) {
  const std::filesystem::path file = home_ / "registry.db";
  const std::string garbage(4096, 'x');
  std::ofstream(file, std::ios::binary) << garbage;
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"Software", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                           nullptr),
            ERROR_BADDB);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(registry::SetDword(HKEY_CURRENT_USER, "Software", "x", 1), ERROR_BADDB);
  DWORD value = 0;
  EXPECT_EQ(registry::GetDword(HKEY_CURRENT_USER, "Software", "x", &value), ERROR_BADDB);
  std::ifstream in(file, std::ios::binary);
  const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(after, garbage);
}

}  // namespace

namespace {

// Runs `change` in a child process, as another program would.
void InAnotherProcess(const std::function<bool()>& change) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(change() ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(RegistryTest, ReadsAgainFollowEveryChangeWhoeverMadeIt) {
  // Read again and again, as the add-in reads its settings for every day.
  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "Settings", "Days", 1), ERROR_SUCCESS);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Settings", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  DWORD value = 0;
  for (int i = 0; i < 3; ++i) ASSERT_EQ(registry::GetDword(HKEY_CURRENT_USER, "Settings", "Days", &value), ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);

  ASSERT_EQ(SetDword(key, u"Days", 2), ERROR_SUCCESS);  // through another handle of this process
  EXPECT_EQ(registry::GetDword(HKEY_CURRENT_USER, "Settings", "Days", &value), ERROR_SUCCESS);
  EXPECT_EQ(value, 2u);

  InAnotherProcess([] { return registry::SetDword(HKEY_CURRENT_USER, "Settings", "Days", 3) == ERROR_SUCCESS; });
  EXPECT_EQ(registry::GetDword(HKEY_CURRENT_USER, "Settings", "Days", &value), ERROR_SUCCESS);
  EXPECT_EQ(value, 3u);

  InAnotherProcess([] { return RegDeleteTree(HKEY_CURRENT_USER, "Settings") == ERROR_SUCCESS; });
  EXPECT_EQ(registry::GetDword(HKEY_CURRENT_USER, "Settings", "Days", &value), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(registry::KeyExists(HKEY_CURRENT_USER, "Settings"));
  DWORD type = 0, size = sizeof value;
  EXPECT_EQ(RegQueryValueEx(key, u"Days", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_KEY_DELETED);
  RegCloseKey(key);
}

TEST_F(RegistryTest, TheChangeStampMovesWithEveryChangeWhoeverMadeIt) {
  const std::uint64_t first = registry::ChangeStamp();
  ASSERT_NE(first, 0u);
  EXPECT_EQ(registry::ChangeStamp(), first) << "nothing changed";
  DWORD value = 0;
  registry::GetDword(HKEY_CURRENT_USER, "Stamp", "Read", &value);
  EXPECT_EQ(registry::ChangeStamp(), first) << "a read changes nothing";

  ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER, "Stamp", "Own", 1), ERROR_SUCCESS);
  const std::uint64_t afterOwn = registry::ChangeStamp();
  EXPECT_NE(afterOwn, first);

  // Another process writes through a connection of its own.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(registry::SetDword(HKEY_CURRENT_USER, "Stamp", "Other", 2) == ERROR_SUCCESS ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::uint64_t afterOther = registry::ChangeStamp();
  EXPECT_NE(afterOther, afterOwn);
  EXPECT_NE(afterOther, first);

  // Another profile is another registry, and coming back is a change too.
  const std::filesystem::path other = home_ / "other";
  std::filesystem::create_directories(other);
  UseProfile(other);
  const std::uint64_t otherProfile = registry::ChangeStamp();
  EXPECT_NE(otherProfile, afterOther);
  UseProfile(home_);
  EXPECT_NE(registry::ChangeStamp(), otherProfile);
}

}  // namespace
