// A process killed while it saves: every save it saw return is there, and
// every item is whole, its properties with it, or absent.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/store/StoreTest.h"

namespace {

using host::Appointment;
using host::FolderKind;
using host::PropertyType;

constexpr int kBatch = 25;
constexpr int kReportsBeforeKill = 40;

// Item n carries n in its subject, its body and each of its properties, so
// a half-written item shows.
Appointment Numbered(int n) {
  Appointment item = Prayer("item " + std::to_string(n), Date(2026, 1, 1) + n / 1440.0, n % 6);
  item.body = std::to_string(n);
  item.userProperties.push_back({"Tag", PropertyType::kText, "tag " + std::to_string(n)});
  item.userProperties.push_back({"Serial", PropertyType::kInteger, static_cast<double>(n)});
  return item;
}

struct Report {
  std::int64_t id;
  std::int64_t n;
};

// The child: saves batches of numbered items, and after each batch's save
// returns, reports the ids it got. Never returns.
[[noreturn]] void SaveUntilKilled(const std::filesystem::path& file, int out) {
  auto store = host::CalendarStore::Open(file);
  for (int n = 0;; n += kBatch) {
    std::vector<Appointment> batch;
    for (int i = 0; i < kBatch; ++i) batch.push_back(Numbered(n + i));
    store->SaveAll(batch);
    for (int i = 0; i < kBatch; ++i) {
      const Report report{batch[static_cast<std::size_t>(i)].id, n + i};
      if (write(out, &report, sizeof report) != sizeof report) _exit(1);
    }
    // Single saves too, each its own commit.
    Appointment single = Numbered(-1 - n);
    store->Save(single);
  }
}

TEST_F(StoreTest, AProcessKilledWhileSavingLeavesWholeItems) {
  const std::filesystem::path file = profile::File("outlook.db");
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(pipeEnds[0]);
    SaveUntilKilled(file, pipeEnds[1]);
  }
  close(pipeEnds[1]);
  std::vector<Report> reported;
  Report report{};
  while (reported.size() < static_cast<std::size_t>(kBatch * kReportsBeforeKill) &&
         read(pipeEnds[0], &report, sizeof report) == sizeof report) {
    reported.push_back(report);
  }
  kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  close(pipeEnds[0]);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped on its own";
  ASSERT_EQ(reported.size(), static_cast<std::size_t>(kBatch * kReportsBeforeKill));

  auto store = OpenStore();
  EXPECT_TRUE(store->CheckIntegrity().empty());
  for (const Report& r : reported) {
    const auto item = store->Load(r.id);
    ASSERT_TRUE(item) << "reported item " << r.id << " is missing";
    EXPECT_EQ(item->subject, "item " + std::to_string(r.n));
  }
  const std::vector<host::ItemId> ids = store->List(FolderKind::kCalendar);
  EXPECT_GE(ids.size(), reported.size());
  for (host::ItemId id : ids) {
    const Appointment item = *store->Load(id);
    const int n = std::stoi(item.subject.substr(5));
    const Appointment expected = Numbered(n);
    EXPECT_EQ(item.body, expected.body);
    ASSERT_EQ(item.userProperties.size(), 3u) << item.subject;
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(item.userProperties[i].name, expected.userProperties[i].name);
      EXPECT_EQ(item.userProperties[i].value, expected.userProperties[i].value);
    }
  }
}

}  // namespace
