// The three city files as one set: read from the installed files or the
// user's copies, saved into the user's copies all together or not at all,
// and read by a user who may not write the install folder.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "locations/CityLists.h"
#include "locations/DataFileHandler.h"
#include "tests/support/AddinTestEnvironment.h"
#include "tests/support/FlavourFile.h"
#include "tests/support/Unprivileged.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The primary file's name and the two others, as the resource library
// names them.
std::string FileName(int list) { return ResourceUtf8(CityLists::kFileIds[list]); }

const char* const kPrimary =
    "Mecca,,Saudi Arabia,21 25 N,39 49 E,3,N,1,N,1\n"
    "Cairo,,Egypt,30 3 N,31 15 E,2,Y,3,Y,2\n"
    "Paris,,France,48 52 N,2 20 E,1,Y,0,Y,3\n";
const char* const kSecond =
    "La Mecque,,Arabie saoudite,21 25 N,39 49 E,3,N,1,N,1\n"
    "Le Caire,,Égypte,30 3 N,31 15 E,2,Y,3,Y,2\n"
    "Paris,,France,48 52 N,2 20 E,1,Y,0,Y,3\n";
const char* const kThird =
    "مكة المكرمة,,السعودية,21 25 N,39 49 E,3,N,1,N,1\n"
    "القاهرة,,مصر,30 3 N,31 15 E,2,Y,3,Y,2\n"
    "باريس,,فرنسا,48 52 N,2 20 E,1,Y,0,Y,3\n";

class CityListsTest : public AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    const char* const contents[3] = {kPrimary, kSecond, kThird};
    for (int i = 0; i < 3; ++i) WriteAddinFile(FileName(i), FlavourFileBytes(contents[i]));
  }
  fs::path OwnCopy(int list) const { return fs::path(UserCityFolder()) / FileName(list); }
  fs::path Installed(int list) const { return m_folder / FileName(list); }

  // A list whose first city is renamed, as a user's edit leaves it.
  static CityLists Edited(const char* name) {
    CityLists lists;
    LoadCityLists(&lists);
    for (auto& list : lists.lists) list[0].m_name = text::Utf8ToUtf16(name);
    return lists;
  }
};

TEST_F(CityListsTest, ChangesGoToTheUsersOwnCopiesWhichAreReadFromThenOn) {
  CityLists lists;
  LoadCityLists(&lists);
  ASSERT_EQ(lists.Primary().size(), 3u);
  EXPECT_EQ(lists.lists[1][1].m_name, u"Le Caire");
  EXPECT_EQ(TToUtf8(CityFilePath(240)), Installed(0).string());

  CitySaveFailure failure;
  ASSERT_TRUE(SaveCityLists(Edited("Makkah"), &failure)) << failure.fileName;
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(fs::exists(OwnCopy(i))) << i;
    // The installed files are every user's: never changed.
    EXPECT_EQ(ReadBytes(Installed(i)), FlavourFileBytes(i == 0 ? kPrimary : i == 1 ? kSecond : kThird)) << i;
  }
  EXPECT_EQ(ReadBytes(OwnCopy(0)).substr(0, FlavourFileBytes("Makkah,").size()), FlavourFileBytes("Makkah,"));
  struct stat folder {};
  ASSERT_EQ(stat(UserCityFolder().c_str(), &folder), 0);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);

  EXPECT_EQ(TToUtf8(CityFilePath(240)), OwnCopy(0).string());
  CityLists again;
  LoadCityLists(&again);
  EXPECT_EQ(again.Primary()[0].m_name, u"Makkah");
  EXPECT_EQ(again.Primary()[2].m_lineNumber, 3);
}

// The system calls of a save, one of which fails as a full disk or a file
// that cannot be replaced would.
struct FailingCalls : files::FileCalls {
  enum Step { kNone, kWrite, kRename };
  Step step = kNone;
  std::string file;  // the file name whose step fails
  int error = ENOSPC;
  bool Concerns(const char* path) const {
    const std::string p = path;
    return p.find(file) != std::string::npos;
  }
  mutable int openFd = -1;
  int Open(const char* path, int flags, mode_t mode) const override {
    const int fd = FileCalls::Open(path, flags, mode);
    if (Concerns(path)) openFd = fd;
    return fd;
  }
  ssize_t Write(int fd, const void* data, std::size_t size) const override {
    if (step == kWrite && fd == openFd) {
      errno = error;
      return -1;
    }
    return FileCalls::Write(fd, data, size);
  }
  int Rename(const char* from, const char* to) const override {
    if (step == kRename && Concerns(to) && std::string(from).find(".tmp.") != std::string::npos) {
      errno = error;
      return -1;
    }
    return FileCalls::Rename(from, to);
  }
};

TEST_F(CityListsTest, ASaveThatFailsForOneFileChangesNoneAndSaysWhichAndWhy) {
  CitySaveFailure failure;
  ASSERT_TRUE(SaveCityLists(Edited("First"), &failure));
  std::string before[3];
  for (int i = 0; i < 3; ++i) before[i] = ReadBytes(OwnCopy(i));

  // The disk fills while the second file is written: the first stays as it
  // was too, for the files only make sense together.
  FailingCalls full;
  full.step = FailingCalls::kWrite;
  full.file = FileName(1);
  EXPECT_FALSE(SaveCityLists(Edited("Second"), &failure, full));
  EXPECT_EQ(failure.fileName, FileName(1));
  EXPECT_EQ(failure.error, ENOSPC);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadBytes(OwnCopy(i)), before[i]) << i;

  // The third cannot take its place after the first two did: they are put
  // back.
  FailingCalls locked;
  locked.step = FailingCalls::kRename;
  locked.file = FileName(2);
  locked.error = EACCES;
  EXPECT_FALSE(SaveCityLists(Edited("Third"), &failure, locked));
  EXPECT_EQ(failure.fileName, FileName(2));
  EXPECT_EQ(failure.error, EACCES);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadBytes(OwnCopy(i)), before[i]) << i;

  // Nothing is left beside them.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(UserCityFolder())) {
    ++files;
    EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
  }
  EXPECT_EQ(files, 3);
}

TEST_F(CityListsTest, AFirstSaveThatFailsLeavesNoCopyToBeReadInsteadOfTheInstalledFile) {
  FailingCalls locked;
  locked.step = FailingCalls::kRename;
  locked.file = FileName(1);
  CitySaveFailure failure;
  EXPECT_FALSE(SaveCityLists(Edited("Half"), &failure, locked));
  // A copy of the primary file alone would be read beside installed files
  // that number other places.
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(fs::exists(OwnCopy(i))) << i;
  EXPECT_EQ(TToUtf8(CityFilePath(240)), Installed(0).string());
}

// A shared install: root's files, read-only, in a folder the user may not
// write. The user reads every city and saves changes into the profile.
TEST_F(CityListsTest, AnOrdinaryUserReadsTheInstalledFilesAndSavesIntoTheProfile) {
  for (int i = 0; i < 3; ++i) ASSERT_EQ(chmod(Installed(i).c_str(), 0444), 0);
  ASSERT_EQ(chmod(m_folder.c_str(), 0555), 0);
  ASSERT_EQ(chmod(m_profile.Dir().c_str(), 0755), 0);
  const fs::path home = m_profile.Dir() / "user";
  fs::create_directories(home);
  GiveToUnprivileged(home);

  const bool held = RunUnprivileged([&] {
    setenv("ORVANE_HOME", home.c_str(), 1);
    const tstring installed = CityFilePath(240);
    // Reading asks for no more than reading.
    CDataFileHandler file(installed.c_str(), CDataFileHandler::kRead);
    CCityInfo city;
    if (!file.IsOpen() || !file.GetNextCityInfo(city) || city.m_name != u"Mecca") {
      std::fprintf(stderr, "the installed city file could not be read\n");
      return false;
    }
    CityLists lists;
    LoadCityLists(&lists);
    if (lists.Primary().size() != 3 || lists.lists[2].size() != 3) {
      std::fprintf(stderr, "the lists hold %zu cities\n", lists.Primary().size());
      return false;
    }
    lists.Primary()[1].m_name = u"Al Qahirah";
    CitySaveFailure failure;
    if (!SaveCityLists(lists, &failure)) {
      std::fprintf(stderr, "saving %s: %s\n", failure.fileName.c_str(), std::strerror(failure.error));
      return false;
    }
    CityLists again;
    LoadCityLists(&again);
    return again.Primary()[1].m_name == u"Al Qahirah";
  });
  EXPECT_TRUE(held);
  EXPECT_EQ(ReadBytes(Installed(0)), FlavourFileBytes(kPrimary));
  EXPECT_TRUE(fs::exists(home / flavour::kProfileFolder / FileName(0)));
  chmod(m_folder.c_str(), 0755);
}

}  // namespace
