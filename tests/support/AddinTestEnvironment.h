#pragma once
// For tests of the add-in's own code: a fresh profile, the headless front
// end, and an add-in folder of the test's own (ORVANE_ADDIN_FOLDER) holding
// links to the resource libraries and shipped data beside the test
// executable, which is built into the flavour's add-in folder. A test may
// put files of its own into that folder without disturbing other tests.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "services/ResourceLibrary.h"
#include "platform/ui/Resources.h"
#include "platform/fs/ModulePath.h"
#include "platform/ui/FrontEnd.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "tests/support/TestProfile.h"

class AddinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    const fs::path built = fs_module::ModulePathOf(reinterpret_cast<const void*>(&LinkBuiltFiles)).parent_path();
    m_folder = m_profile.Dir() / "addin";
    fs::create_directories(m_folder);
    LinkBuiltFiles(built, m_folder);
    setenv("ORVANE_ADDIN_FOLDER", m_folder.c_str(), 1);
    ui::SetFrontEnd(m_frontEnd);
    FreeResourceLibrary();
    ASSERT_EQ(LoadResourceLibrary(), S_OK) << "no resource library beside the test";
  }
  void TearDown() override {
    FreeResourceLibrary();
    ui::SetFrontEnd(nullptr);
    unsetenv("ORVANE_ADDIN_FOLDER");
  }

  // Writes a file of the test's add-in folder (replacing a link to the
  // shipped one), with the bytes as given.
  void WriteAddinFile(const std::string& name, const std::string& bytes) {
    std::filesystem::remove(m_folder / name);
    std::ofstream(m_folder / name, std::ios::binary) << bytes;
  }

  static void LinkBuiltFiles(const std::filesystem::path& from, const std::filesystem::path& to) {
    for (const auto& entry : std::filesystem::directory_iterator(from)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("orvnres", 0) == 0 || entry.path().extension() == ".txt" ||
          entry.path().extension() == ".xsl" || entry.path().extension() == ".tsv") {
        std::filesystem::create_symlink(entry.path(), to / name);
      }
    }
  }

  TestProfile m_profile;
  std::filesystem::path m_folder;
  std::shared_ptr<ui::HeadlessFrontEnd> m_frontEnd = std::make_shared<ui::HeadlessFrontEnd>();
};

// A string of the loaded resource library, as UTF-8.
inline std::string ResourceUtf8(unsigned id) {
  tchar buffer[512] = {};
  LoadString(ResourceInstance(), id, buffer, 512);
  return TToUtf8(buffer);
}
