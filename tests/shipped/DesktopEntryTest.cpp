// The launcher and its icon as `make install` puts them: where the desktop
// looks for them, an entry desktop-file-validate finds nothing to say
// about, that opens the Options window under the icon installed beside it.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/shipped/ShippedFiles.h"
#include "tests/support/RunProgram.h"

namespace {

TEST(DesktopEntry, InstalledWhereTheDesktopLooksAndValid) {
  std::string prefix = (std::filesystem::temp_directory_path() / "orvane-prefix-XXXXXX").string();
  ASSERT_NE(mkdtemp(prefix.data()), nullptr);
  int code = 0;
  std::string out = RunCommand(std::string("'") + ORVANE_CMAKE + "' --install '" + ORVANE_BINARY_DIR +
                                   "' --prefix '" + prefix + "' --component desktop",
                               &code);
  ASSERT_EQ(code, 0) << out;
  const std::string entry = prefix + "/share/applications/orvane.desktop";
  const std::string icon = prefix + "/share/icons/hicolor/scalable/apps/orvane.svg";
  ASSERT_TRUE(std::filesystem::exists(entry));
  ASSERT_TRUE(std::filesystem::exists(icon));

  out = RunCommand("desktop-file-validate '" + entry + "'", &code);
  EXPECT_EQ(code, 0) << out;
  EXPECT_EQ(out, "");
  const std::vector<std::string> lines = shipped::Lines(shipped::ReadBytes(entry));
  for (const char* line : {"Name=Prayer times", "Exec=orvane options", "Icon=orvane", "Type=Application"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
  }
  EXPECT_EQ(shipped::ReadBytes(icon).rfind("<?xml", 0), 0u);
  std::error_code ignored;
  std::filesystem::remove_all(prefix, ignored);
}

}  // namespace
