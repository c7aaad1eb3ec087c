// The watch the registry uses to skip its checks while nothing changed.

#include "platform/fs/FileWatch.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/TestProfile.h"

namespace {

using Reader = files::FileWatch::Reader;

TEST(FileWatchTest, EachReaderHearsOfEveryWriteRemovalAndReplacementOnce) {
  TestProfile profile;
  const std::filesystem::path file = profile.Dir() / "watched";
  const std::filesystem::path log = profile.Dir() / "watched-log";
  std::ofstream(file) << "a";
  files::FileWatch watch({file, log});  // the log does not exist: not watched
  EXPECT_TRUE(watch.TouchedSince(Reader::kContent)) << "the first answer is always yes";
  EXPECT_TRUE(watch.TouchedSince(Reader::kPresence));
  EXPECT_FALSE(watch.TouchedSince(Reader::kContent));
  std::ofstream(profile.Dir() / "unwatched") << "x";
  EXPECT_FALSE(watch.TouchedSince(Reader::kContent)) << "another file of the folder";

  // A write in another process, finished before the question.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::ofstream(file, std::ios::app) << "b";
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(watch.TouchedSince(Reader::kContent));
  EXPECT_FALSE(watch.TouchedSince(Reader::kContent));
  EXPECT_TRUE(watch.TouchedSince(Reader::kPresence)) << "one reader asking hides nothing from the other";

  // Another file renamed over it, then the name removed.
  std::ofstream(profile.Dir() / "new") << "c";
  std::filesystem::rename(profile.Dir() / "new", file);
  EXPECT_TRUE(watch.TouchedSince(Reader::kPresence));
  EXPECT_FALSE(watch.TouchedSince(Reader::kPresence));
}

TEST(FileWatchTest, AChildProcessAlwaysChecksForItself) {
  TestProfile profile;
  const std::filesystem::path file = profile.Dir() / "watched";
  std::ofstream(file) << "a";
  files::FileWatch watch({file});
  watch.TouchedSince(Reader::kContent);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  // The descriptor is shared with the parent: the child must not read it.
  if (child == 0) _exit(watch.TouchedSince(Reader::kContent) ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
