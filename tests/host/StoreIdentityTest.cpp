// The store's identity as an add-in reads it in a run of the host: the
// same from one start to the next, another once the store is new (removed,
// emptied, or another file put in its place).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TestProfile.h"

namespace {

class StoreIdentityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = profile_.Dir() / "addin.log";
    setenv("ORVANE_TEST_ADDIN_LOG", log_.c_str(), 1);
    setenv("ORVANE_TEST_ADDIN_MODE", "store-id", 1);
    const std::filesystem::path reg = profile_.Dir() / "addin.reg";
    std::ofstream(reg) << "Windows Registry Editor Version 5.00\n\n"
                       << "[HKEY_CLASSES_ROOT\\CLSID\\{5E1C2A10-7B3D-4F21-9C55-0A1B2C3D4E5F}\\InprocServer32]\n"
                       << "@=\"" << ORVANE_TEST_ADDIN << "\"\n\n"
                       << "[HKEY_CLASSES_ROOT\\OrvaneTest.Addin\\CLSID]\n"
                       << "@=\"{5E1C2A10-7B3D-4F21-9C55-0A1B2C3D4E5F}\"\n\n"
                       << "[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook\\Addins\\OrvaneTest.Addin]\n"
                       << "\"LoadBehavior\"=dword:00000003\n";
    int code = 0;
    const std::string out = RunCommand(std::string(ORVANE_PROGRAM) + " reg import " + reg.string(), &code);
    ASSERT_EQ(code, 0) << out;
  }
  void TearDown() override {
    unsetenv("ORVANE_TEST_ADDIN_LOG");
    unsetenv("ORVANE_TEST_ADDIN_MODE");
  }

  // The identity the add-in read at this start.
  std::string StartAndReadIdentity() {
    std::filesystem::remove(log_);
    int code = 0;
    const std::string out = RunCommand(std::string(ORVANE_PROGRAM) + " start", &code);
    EXPECT_EQ(code, 0) << out;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("store ", 0) == 0) return line.substr(6);
    }
    ADD_FAILURE() << "the add-in read no store identity";
    return {};
  }

  TestProfile profile_;
  std::filesystem::path log_;
};

TEST_F(StoreIdentityTest, TheAddinReadsTheStoresIdentityAndANewStoreHasAnother) {
  const std::filesystem::path store = profile_.Dir() / "outlook.db";
  const std::string first = StartAndReadIdentity();
  EXPECT_EQ(first.size(), 32u);
  EXPECT_EQ(StartAndReadIdentity(), first);

  // A backup of the one file, as a user makes it between runs: a run that
  // ended left nothing in a log beside it.
  std::filesystem::copy_file(store, profile_.Dir() / "backup.db");
  std::filesystem::remove(store);
  const std::string remade = StartAndReadIdentity();
  EXPECT_NE(remade, first);

  std::filesystem::resize_file(store, 0);
  const std::string emptied = StartAndReadIdentity();
  EXPECT_NE(emptied, remade);

  // The backup put back is that store again.
  for (const char* part : {"-wal", "-shm"}) std::filesystem::remove(store.string() + part);
  std::filesystem::rename(profile_.Dir() / "backup.db", store);
  EXPECT_EQ(StartAndReadIdentity(), first);
}

}  // namespace
