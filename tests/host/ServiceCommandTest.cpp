// orvane service: the systemd user unit for `orvane start --stay`, with
// systemctl played by a script (ORVANE_SYSTEMCTL), since the test machines
// run no systemd user instance. Without one, install refuses in one line
// and writes nothing; with one, it writes a unit that systemd-analyze
// verifies, enables and starts it; remove stops, disables and removes it.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/RunProgram.h"
#include "tests/support/TestProfile.h"

namespace {

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Plays `systemctl --user`: notes each call in calls.log; SYSTEMCTL_MODE
// "down" answers as when no user instance runs, "refuse-enable" fails the
// enabling; is-enabled and is-active answer as a running unit does.
constexpr const char* kFakeSystemctl = R"(#!/bin/sh
echo "$*" >> "$(dirname "$0")/calls.log"
if [ "$SYSTEMCTL_MODE" = down ]; then
  echo "Failed to connect to bus: No medium found" >&2
  exit 1
fi
case "$2" in
  enable) if [ "$SYSTEMCTL_MODE" = refuse-enable ]; then echo "Failed to enable unit: Access denied" >&2; exit 1; fi ;;
  is-enabled) echo enabled ;;
  is-active) echo active ;;
esac
exit 0
)";

class ServiceCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A profile folder whose name systemd would read as a specifier and a
    // variable, were they not escaped.
    home_ = profile_.Dir() / "my profile 100%$USER";
    config_ = profile_.Dir() / "config";
    seam_ = profile_.Dir() / "seam";
    std::filesystem::create_directories(seam_);
    std::ofstream(seam_ / "systemctl") << kFakeSystemctl;
    chmod((seam_ / "systemctl").c_str(), 0755);
    setenv("ORVANE_SYSTEMCTL", (seam_ / "systemctl").c_str(), 1);
    setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("ORVANE_SYSTEMCTL");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("SYSTEMCTL_MODE");
  }

  std::string Service(const std::string& verb, int* code) {
    return RunCommand(std::string(ORVANE_PROGRAM) + " --home '" + home_.string() + "' service " + verb, code);
  }
  std::string Calls() const { return ReadAll(seam_ / "calls.log"); }
  std::filesystem::path Unit() const { return config_ / "systemd" / "user" / "orvane.service"; }

  TestProfile profile_;
  std::filesystem::path home_, config_, seam_;
};

TEST_F(ServiceCommandTest, WithoutAUserInstanceInstallSaysSoAndWritesNothing) {
  setenv("SYSTEMCTL_MODE", "down", 1);
  int code = 0;
  const std::string out = Service("install", &code);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  EXPECT_NE(out.find("no systemd user instance can be reached"), std::string::npos) << out;
  EXPECT_NE(out.find("No medium found"), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(config_));
  EXPECT_EQ(Calls(), "--user show-environment\n");
}

TEST_F(ServiceCommandTest, InstallWritesAUnitThatVerifiesEnablesAndStartsItAndRemoveUndoesIt) {
  int code = 0;
  std::string out = Service("install", &code);
  ASSERT_EQ(code, 0) << out;
  EXPECT_NE(out.find("journalctl --user -u orvane.service"), std::string::npos) << out;
  EXPECT_EQ(Calls(),
            "--user show-environment\n--user daemon-reload\n--user enable orvane.service\n"
            "--user restart orvane.service\n");
  const std::string unit = ReadAll(Unit());
  EXPECT_NE(unit.find("ExecStart=\"" + std::string(ORVANE_PROGRAM) + "\" \"--home\" \"" + profile_.Dir().string() +
                      "/my profile 100%%$$USER\" \"start\" \"--stay\"\n"),
            std::string::npos)
      << unit;
  EXPECT_NE(unit.find("Restart=on-failure\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("WantedBy=default.target\n"), std::string::npos) << unit;

  // systemd itself reads it without a word of complaint.
  const std::filesystem::path runtime = profile_.Dir() / "runtime";
  std::filesystem::create_directories(runtime);
  chmod(runtime.c_str(), 0700);
  const std::string verified =
      RunCommand("XDG_RUNTIME_DIR='" + runtime.string() + "' systemd-analyze --user verify '" + Unit().string() + "'",
                 &code);
  EXPECT_EQ(code, 0) << verified;
  EXPECT_EQ(verified, "");

  out = Service("status", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_NE(out.find("(installed)"), std::string::npos) << out;
  EXPECT_NE(out.find("enabled: enabled\nactive: active\n"), std::string::npos) << out;

  std::filesystem::remove(seam_ / "calls.log");
  out = Service("remove", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_EQ(Calls(), "--user show-environment\n--user disable --now orvane.service\n--user daemon-reload\n");
  EXPECT_FALSE(std::filesystem::exists(Unit()));
  out = Service("remove", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_NE(out.find("No orvane.service is installed"), std::string::npos) << out;
}

TEST_F(ServiceCommandTest, AUnitSystemdWillNotEnableDoesNotStayBehind) {
  setenv("SYSTEMCTL_MODE", "refuse-enable", 1);
  int code = 0;
  const std::string out = Service("install", &code);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  EXPECT_NE(out.find("Access denied"), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(Unit()));
}

}  // namespace
