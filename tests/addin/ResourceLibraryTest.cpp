// The resource libraries and how the add-in modules choose and load them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <fmt/args.h>

#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/ServerRegistration.h"
#include "platform/registry/Registry.h"
#include "platform/text/Format.h"
#include "platform/text/TextConvert.h"
#include "platform/ui/AnimationClip.h"
#include "platform/ui/HeadlessFrontEnd.h"
#include "platform/ui/Resources.h"
#include "resources/OrvaneTypeLib.h"
#include "tests/support/TestProfile.h"

namespace {

namespace fs = std::filesystem;

const char* const kLanguages[] = {"en", "fr", "ar"};

fs::path LibraryPath(const char* language) {
  return fs::path(ORVANE_ADDIN_2003_PATH).parent_path() / (std::string("orvnres") + language + ".so");
}

std::vector<std::vector<std::string>> ReadTable(const char* name) {
  std::ifstream in(std::string(ORVANE_TEST_DATA) + "/" + name);
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    rows.push_back(fields);
  }
  return rows;
}

TEST(ResourceLibraries, EveryLanguageHoldsEveryRequiredIdAndTheSameSet) {
  const auto required = ReadTable("resource_ids.tsv");
  ASSERT_GT(required.size(), 100u);
  std::map<std::string, std::set<unsigned>> ids;
  for (const char* language : kLanguages) {
    HMODULE library = LoadLibrary(LibraryPath(language).c_str());
    ASSERT_NE(library, nullptr) << language;
    const ResourceTable* table = fs_module::ResourcesOf(library);
    ASSERT_NE(table, nullptr);
    for (std::size_t i = 0; i < table->stringCount; ++i) {
      ids[language].insert(table->strings[i].id);
      EXPECT_NE(*table->strings[i].utf8, '\0') << language << " " << table->strings[i].id;
      // Every text must survive the XP module's 8-bit code page.
      const std::string utf8 = table->strings[i].utf8;
      EXPECT_EQ(text::AnsiToUtf8(text::Utf8ToAnsi(utf8)), utf8) << language << " " << table->strings[i].id;
    }
    for (const auto& row : required) {
      EXPECT_TRUE(ids[language].count(std::stoul(row[0]))) << language << " lacks " << row[0] << " (" << row[2] << ")";
    }
    FreeLibrary(library);
  }
  EXPECT_EQ(ids["en"], ids["fr"]);
  EXPECT_EQ(ids["en"], ids["ar"]);
}

TEST(ResourceLibraries, ValueNamesAreDistinctAndFixedNamesAsRequired) {
  HMODULE library = LoadLibrary(LibraryPath("fr").c_str());
  ASSERT_NE(library, nullptr);
  std::set<std::string> names;
  for (const auto& row : ReadTable("resource_ids.tsv")) {
    if (row[1] != "value-name") continue;
    const char* name = ui::FindString(library, std::stoul(row[0]));
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(names.insert(name).second) << "value name used twice: " << name;
  }
  EXPECT_STREQ(ui::FindString(library, 109), "LastDate");
  EXPECT_STREQ(ui::FindString(library, 324), "LastNext");
  FreeLibrary(library);
}

TEST(ResourceLibraries, EveryFormatTakesItsArgumentsInEveryLanguage) {
  const auto formats = ReadTable("resource_formats.tsv");
  ASSERT_FALSE(formats.empty());
  for (const char* language : kLanguages) {
    HMODULE library = LoadLibrary(LibraryPath(language).c_str());
    ASSERT_NE(library, nullptr);
    for (const auto& row : formats) {
      const char* format = ui::FindString(library, std::stoul(row[0]));
      ASSERT_NE(format, nullptr) << row[0];
      // Up to ten arguments of the listed types, built positionally.
      std::vector<std::string> types;
      std::istringstream split(row[1]);
      for (std::string t; std::getline(split, t, ',');) types.push_back(t);
      fmt::dynamic_format_arg_store<fmt::printf_context> args;
      for (const std::string& t : types) {
        if (t == "s") args.push_back(std::string("text"));
        else if (t == "d") args.push_back(42);
        else if (t == "f") args.push_back(5.75);
        else if (t == "c") args.push_back('x');
      }
      std::string out;
      EXPECT_NO_THROW(out = fmt::vsprintf(std::string_view(format), args)) << language << " " << row[0];
      // One argument too few must be refused: the list matches the format.
      if (!types.empty()) {
        fmt::dynamic_format_arg_store<fmt::printf_context> fewer;
        for (std::size_t i = 0; i + 1 < types.size(); ++i) {
          if (types[i] == "s") fewer.push_back(std::string("text"));
          else if (types[i] == "d") fewer.push_back(42);
          else if (types[i] == "f") fewer.push_back(5.75);
          else fewer.push_back('x');
        }
        EXPECT_ANY_THROW((void)fmt::vsprintf(std::string_view(format), fewer)) << language << " " << row[0];
      }
    }
    FreeLibrary(library);
  }
  // A city line's time zone keeps its decimal point whatever the C locale.
  EXPECT_EQ(text::FormatResource("%f", 5.75), "5.750000");
  EXPECT_EQ(text::FormatResource("%d", "not a number"), "%d");  // a misfit shows, never crashes
}

TEST(ResourceLibraries, LoadStringConvertsToTheCallersCharacterSet) {
  HMODULE arabic = LoadLibrary(LibraryPath("ar").c_str());
  ASSERT_NE(arabic, nullptr);
  char16_t wide[64];
  char narrow[64];
  const char* utf8 = ui::FindString(arabic, 103);
  ASSERT_NE(utf8, nullptr);
  ASSERT_GT(LoadString(arabic, 103, wide, 64), 0);
  EXPECT_EQ(std::u16string(wide), text::Utf8ToUtf16(utf8));
  ASSERT_GT(LoadString(arabic, 103, narrow, 64), 0);
  EXPECT_EQ(std::string(narrow), text::Utf8ToAnsi(utf8));
  EXPECT_GE(static_cast<unsigned char>(narrow[0]), 0x80);  // Arabic letters in code page 1256
  EXPECT_EQ(LoadString(arabic, 103, wide, 2), 1);  // cut to fit, terminated
  EXPECT_EQ(wide[1], 0);
  EXPECT_EQ(LoadString(arabic, 99999, wide, 64), 0);
  EXPECT_EQ(wide[0], 0);
  FreeLibrary(arabic);
  EXPECT_EQ(LoadLibrary("/nonexistent/orvnresen.so"), nullptr);
}

TEST(ResourceLibraries, EveryLanguageHasTheProgressWindowAndItsClips) {
  // What the progress window addresses in template 160, and as what.
  const std::map<int, ControlKind> needed = {{248, ControlKind::kAnimation},
                                             {247, ControlKind::kProgressBar},
                                             {249, ControlKind::kStatic},
                                             {250, ControlKind::kStatic},
                                             {221, ControlKind::kButton}};
  for (const char* language : kLanguages) {
    HMODULE library = LoadLibrary(LibraryPath(language).c_str());
    ASSERT_NE(library, nullptr) << language;
    const DialogTemplate* dialog = ui::FindDialog(library, 160);
    ASSERT_NE(dialog, nullptr) << language;
    EXPECT_EQ(dialog->cancelId, 221) << language;
    EXPECT_NE(ui::FindString(library, dialog->captionId), nullptr) << language;
    std::map<int, ControlKind> found;
    for (std::size_t i = 0; i < dialog->controlCount; ++i) {
      const DialogControlTemplate& control = dialog->controls[i];
      found[control.id] = control.kind;
      if (control.textId != 0) {
        EXPECT_NE(ui::FindString(library, control.textId), nullptr) << language << " " << control.id;
      }
      // Every control lies inside the client area.
      EXPECT_GE(control.x, 0) << language << " " << control.id;
      EXPECT_GE(control.y, 0) << language << " " << control.id;
      EXPECT_LE(control.x + control.cx, dialog->cx) << language << " " << control.id;
      EXPECT_LE(control.y + control.cy, dialog->cy) << language << " " << control.id;
    }
    EXPECT_EQ(found, needed) << language;
    for (const unsigned clip : {223u, 224u}) {
      const ResourceBinary* binary = ui::FindBinary(library, kResourceAnimation, clip);
      ASSERT_NE(binary, nullptr) << language << " " << clip;
      const auto parsed = ui::ParseAnimationClip(binary->data, binary->size);
      ASSERT_TRUE(parsed.has_value()) << language << " " << clip;
      // Pictures, drawn by the front ends, no longer brackets and hashes.
      EXPECT_GT(parsed->FrameCount(), 1) << language << " " << clip;
      EXPECT_NE(parsed->image, nullptr) << language << " " << clip;
    }
    FreeLibrary(library);
  }
}

// A copy of an add-in module in a folder of its own, with only the resource
// libraries a test puts there.
class ModuleFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = m_profile.Dir() / "addin";
    fs::create_directories(m_folder);
    m_module = m_folder / "Orvane2003.so";
    fs::copy_file(ORVANE_ADDIN_2003_PATH, m_module);
    std::string error;
    ASSERT_EQ(com::RegisterServerModule(m_module.string(), false, &error), S_OK) << error;
    ui::SetFrontEnd(m_frontEnd);
  }
  void TearDown() override {
    CoFreeUnusedLibraries();
    ui::SetFrontEnd(nullptr);
  }
  void SetOfficeLanguage(DWORD language) {
    ASSERT_EQ(registry::SetDword(HKEY_CURRENT_USER,
                                 "Software\\Microsoft\\Office\\11.0\\Common\\LanguageResources",
                                 "UILanguage", language),
              ERROR_SUCCESS);
  }
  void AddLibrary(const char* language) {
    fs::copy_file(LibraryPath(language), m_folder / (std::string("orvnres") + language + ".so"));
  }
  HRESULT CreateCalculator() {
    ComPtr<IPrayerCalculator> calculator;
    return CoCreateInstance(CLSID_PrayerCalculator, nullptr, CLSCTX_INPROC_SERVER,
                            IPrayerCalculator::kIID, calculator.ReleaseAndGetVoidAddress());
  }

  TestProfile m_profile;
  fs::path m_folder, m_module;
  std::shared_ptr<ui::HeadlessFrontEnd> m_frontEnd = std::make_shared<ui::HeadlessFrontEnd>();
};

TEST_F(ModuleFolder, MissingLibraryFailsTheRequestWithOneMessageInItsLanguage) {
  EXPECT_EQ(CreateCalculator(), E_FAIL);
  auto boxes = m_frontEnd->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "The file orvnresen.so could not be found in the specified path " +
                               m_folder.string() + ". Please re-install Orvane add-in.");
  EXPECT_EQ(boxes[0].caption, "Orvane");
  EXPECT_EQ(boxes[0].style, 0x10u);

  m_frontEnd->Clear();
  SetOfficeLanguage(1025);
  EXPECT_EQ(CreateCalculator(), E_FAIL);
  boxes = m_frontEnd->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "لم يتم العثور علي الملف orvnresar.so في المسار " + m_folder.string() +
                               ". رجاء إعادة تثبيت برنامج Orvane.");
  EXPECT_EQ(boxes[0].style, 0x00180010u);

  m_frontEnd->Clear();
  SetOfficeLanguage(1036);
  EXPECT_EQ(CreateCalculator(), E_FAIL);
  boxes = m_frontEnd->MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Le fichier orvnresfr.so est introuvable dans le dossier " +
                               m_folder.string() + ". Veuillez réinstaller le programme complémentaire Orvane.");
}

TEST_F(ModuleFolder, LanguageChoosesTheFileAndAnyOtherLanguageIsEnglish) {
  AddLibrary("en");
  SetOfficeLanguage(2057);  // English (United Kingdom)
  EXPECT_EQ(CreateCalculator(), S_OK);
  SetOfficeLanguage(1025);  // loaded once: the English library stays until unloaded
  EXPECT_EQ(CreateCalculator(), S_OK);
  CoFreeUnusedLibraries();  // unloads the module and frees its library
  EXPECT_EQ(CreateCalculator(), E_FAIL);  // now Arabic is asked for, and missing
  AddLibrary("ar");
  CoFreeUnusedLibraries();
  EXPECT_EQ(CreateCalculator(), S_OK);
  EXPECT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
}

TEST_F(ModuleFolder, LibraryThatExistsButDoesNotLoadFailsSilently) {
  std::ofstream(m_folder / "orvnresen.so") << "not a shared library";
  EXPECT_EQ(CreateCalculator(), E_FAIL);
  EXPECT_TRUE(m_frontEnd->MessageBoxes().empty());
}

}  // namespace
