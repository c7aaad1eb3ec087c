// The reminder sound dialog, with one choice (the Friday prayer's) and with
// two (the prayers' and Fajr's), used through the headless front end.

#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "calc/SoundDlg.h"
#include "platform/text/Format.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/OpenFileDialog.h"
#include "tests/support/ModalDialogTest.h"

namespace {

class SoundDlgTest : public ModalDialogTest {
 protected:
  std::string MakeSound(const std::string& name) {
    const std::filesystem::path path = m_profile.Dir() / name;
    std::ofstream(path) << "RIFF";
    return path.string();
  }
};

TEST_F(SoundDlgTest, BrowseAsksForAnExistingSoundFileWithTheLibrarysTitleAndFilter) {
  const std::string first = MakeSound("first.wav");
  const std::string chosen = MakeSound("أذان.wav");
  CSoundDlg& sound = Make<CSoundDlg>(true, Utf8ToT(first));
  HWND dialog = Open(sound, CSoundDlg::IDD);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Control(dialog, CSoundDlg::kPlay).checked, BST_CHECKED);
  EXPECT_EQ(Control(dialog, CSoundDlg::kFile).text, first);
  EXPECT_EQ(Control(dialog, CSoundDlg::kFile).textLimit, CSoundDlg::kPathSize - 1);

  m_frontEnd->QueueOpenFile(chosen);
  ASSERT_TRUE(m_frontEnd->Click(dialog, CSoundDlg::kBrowse));
  ASSERT_EQ(m_frontEnd->OpenFileRequests().size(), 1u);
  const ui::OpenFileRequest request = m_frontEnd->OpenFileRequests()[0];
  EXPECT_EQ(request.owner, dialog);
  EXPECT_EQ(request.title, ResourceUtf8(CSoundDlg::kTitle));
  EXPECT_EQ(request.filters, (std::vector<std::pair<std::string, std::string>>{{"Sound files (*.wav)", "*.wav"},
                                                                              {"All files (*.*)", "*.*"}}));
  EXPECT_EQ(request.initialPath, first);  // it opens where the current file is
  EXPECT_TRUE(request.fileMustExist);
  EXPECT_EQ(Control(dialog, CSoundDlg::kFile).text, chosen);

  // Cancelled: the path stays.
  ASSERT_TRUE(m_frontEnd->Click(dialog, CSoundDlg::kBrowse));
  EXPECT_EQ(Control(dialog, CSoundDlg::kFile).text, chosen);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(Result(), IDOK);
  EXPECT_TRUE(sound.First().play);
  EXPECT_EQ(TToUtf8(sound.First().file), chosen);
}

// Regression: a filter text without its closing "|" was handed over with a
// single terminator, and the open-file dialog read past its end.
TEST_F(SoundDlgTest, TheFilterAlwaysEndsWithTwoTerminators) {
  const auto filter = [](const char* text) {
    const std::vector<tchar> made = CSoundDlg::FilterFromText(Utf8ToT(text));
    return std::basic_string<tchar>(made.begin(), made.end());
  };
  const std::basic_string<tchar> expected(TEXT("Sounds\0*.wav\0\0"), 14);
  EXPECT_EQ(filter("Sounds|*.wav|"), expected);
  EXPECT_EQ(filter("Sounds|*.wav"), expected);
  EXPECT_EQ(filter(""), std::basic_string<tchar>(2, 0));
  // As the open-file dialog reads it: one pair, nothing beyond.
  const std::vector<tchar> cut = CSoundDlg::FilterFromText(Utf8ToT("Sounds|*.wav"));
  tchar path[CSoundDlg::kPathSize] = {};
  OpenFileNameT<tchar> request;
  request.lpstrFilter = cut.data();
  request.lpstrFile = path;
  request.nMaxFile = CSoundDlg::kPathSize;
  m_frontEnd->QueueOpenFile(std::nullopt);
  EXPECT_FALSE(GetOpenFileName(&request));
  ASSERT_EQ(m_frontEnd->OpenFileRequests().size(), 1u);
  EXPECT_EQ(m_frontEnd->OpenFileRequests()[0].filters,
            (std::vector<std::pair<std::string, std::string>>{{"Sounds", "*.wav"}}));
}

TEST_F(SoundDlgTest, AMissingFileIsRefusedOnlyWhenItIsToPlay) {
  const std::string missing = (m_profile.Dir() / "gone.wav").string();
  CSoundDlg& sound = Make<CSoundDlg>(true, Utf8ToT(missing));
  HWND dialog = Open(sound, CSoundDlg::IDD);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].text, text::FormatResource(ResourceUtf8(CSoundDlg::kMissingFile), missing));
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].caption, ResourceUtf8(138));
  EXPECT_EQ(m_frontEnd->MessageBoxes()[0].style, static_cast<UINT>(MB_OK));
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->focusId, CSoundDlg::kFile);
  // An empty path plays nothing either.
  m_frontEnd->Clear();
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CSoundDlg::kFile, ""));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
  // No sound to play: the path is kept as it is.
  m_frontEnd->Clear();
  ASSERT_TRUE(m_frontEnd->ReplaceText(dialog, CSoundDlg::kFile, missing));
  ASSERT_TRUE(m_frontEnd->Click(dialog, CSoundDlg::kPlay));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_TRUE(m_frontEnd->MessageBoxes().empty());
  EXPECT_EQ(Result(), IDOK);
  EXPECT_FALSE(sound.First().play);
  EXPECT_EQ(TToUtf8(sound.First().file), missing);
}

TEST_F(SoundDlgTest, AWindowsPathIsLookedForOnTheProfilesDrive) {
  std::filesystem::create_directories(m_profile.Dir() / "drive_c" / "sounds");
  std::ofstream(m_profile.Dir() / "drive_c" / "sounds" / "adhan.wav") << "RIFF";
  EXPECT_TRUE(CSoundDlg::SoundFileExists(TEXT("c:\\sounds\\adhan.wav")));
  EXPECT_FALSE(CSoundDlg::SoundFileExists(TEXT("c:\\sounds\\iqama.wav")));
  EXPECT_FALSE(CSoundDlg::SoundFileExists(TEXT("c:\\sounds")));  // a folder is no sound
}

TEST_F(SoundDlgTest, TwoChoicesEachWithItsOwnFile) {
  const std::string prayers = MakeSound("prayers.wav");
  const std::string fajr = MakeSound("fajr.wav");
  CSoundDlg& sounds = Make<CSoundDlg>(false, Utf8ToT(prayers), true, TEXT("/nowhere/fajr.wav"));
  HWND dialog = Open(sounds, CSoundDlg::IDD_TWO_SOUNDS);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Control(dialog, CSoundDlg::kPlay).checked, BST_UNCHECKED);
  EXPECT_EQ(Control(dialog, CSoundDlg::kSecondPlay).checked, BST_CHECKED);
  // Fajr's file is missing: the message names it and the focus goes there.
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  ASSERT_EQ(m_frontEnd->MessageBoxes().size(), 1u);
  EXPECT_NE(m_frontEnd->MessageBoxes()[0].text.find("/nowhere/fajr.wav"), std::string::npos);
  EXPECT_EQ(m_frontEnd->Snapshot(dialog)->focusId, CSoundDlg::kSecondFile);
  // Its own browse button fills its own path.
  m_frontEnd->QueueOpenFile(fajr);
  ASSERT_TRUE(m_frontEnd->Click(dialog, CSoundDlg::kSecondBrowse));
  EXPECT_EQ(Control(dialog, CSoundDlg::kSecondFile).text, fajr);
  EXPECT_EQ(Control(dialog, CSoundDlg::kFile).text, prayers);
  ASSERT_TRUE(m_frontEnd->Click(dialog, CSoundDlg::kPlay));
  ASSERT_TRUE(m_frontEnd->Click(dialog, IDOK));
  EXPECT_EQ(Result(), IDOK);
  EXPECT_TRUE(sounds.First().play);
  EXPECT_EQ(TToUtf8(sounds.First().file), prayers);
  EXPECT_TRUE(sounds.Second().play);
  EXPECT_EQ(TToUtf8(sounds.Second().file), fajr);
}

}  // namespace
