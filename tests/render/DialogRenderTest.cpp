// The add-in's dialogs drawn on the desktop front end in each language.

#include <thread>

#include "calc/DaylightDlg.h"
#include "locations/AddCity.h"
#include "platform/ui/UserInput.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/AddinTestEnvironment.h"

namespace {

struct Language {
  LONG id;
  const char* code;
};
constexpr Language kLanguages[] = {{1033, "en"}, {1036, "fr"}, {1025, "ar"}};

class DialogRenderTest : public AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    m_qt = rendertest::OffscreenQt();
    ASSERT_NE(m_qt, nullptr);
    ui::SetFrontEnd(std::make_shared<rendertest::TeeFrontEnd>(m_qt, m_frontEnd));
    m_savedLanguage = UILanguageID;
  }
  void TearDown() override {
    UILanguageID = m_savedLanguage;
    AddinTest::TearDown();
  }
  void UseLanguage(const Language& language) {
    ASSERT_EQ(ReloadResourceLibrary(language.id), S_OK);
    UILanguageID = language.id;
  }
  // Draws the shown dialog; closes it with Escape afterwards.
  ui::qt::RenderedWindow Render(HWND dialog, const std::string& name) {
    ui::qt::RenderedWindow rendered;
    EXPECT_TRUE(ui::qt::RenderWindow(*m_qt, dialog, rendertest::ImagePath(name), &rendered)) << name;
    return rendered;
  }

  std::shared_ptr<ui::FrontEnd> m_qt;
  LONG m_savedLanguage = 0;
};

TEST_F(DialogRenderTest, TheDaylightDialogFitsInEachLanguageAndArabicReadsFromTheRight) {
  for (const Language& language : kLanguages) {
    UseLanguage(language);
    // September: the longest month name in two of the languages.
    CDaylightDlg rule(15, 8, 30, 10);
    std::intptr_t result = 0;
    std::thread run([&] { result = rule.DoModal(nullptr); });
    HWND dialog = m_frontEnd->WaitForDialog(CDaylightDlg::IDD);
    ASSERT_NE(dialog, nullptr);
    const ui::qt::RenderedWindow window = Render(dialog, std::string("daylight-") + language.code);
    ASSERT_FALSE(window.controls.empty()) << language.code;
    rendertest::ExpectLaidOutWell(window, std::string("daylight ") + language.code);

    const ui::qt::RenderedControl* label = rendertest::Find(window, -1);
    const ui::qt::RenderedControl* month = rendertest::Find(window, CDaylightDlg::kStartMonth);
    const ui::qt::RenderedControl* day = rendertest::Find(window, CDaylightDlg::kStartDay);
    ASSERT_TRUE(label && month && day);
    if (language.id == 1025) {
      // Mirrored: the label at the right, then the month, then the day.
      EXPECT_GT(label->x, month->x);
      EXPECT_GT(month->x, day->x);
      EXPECT_TRUE(label->rightToLeft);
      EXPECT_TRUE(month->rightToLeft);
    } else {
      EXPECT_LT(label->x, month->x);
      EXPECT_LT(month->x, day->x);
      EXPECT_FALSE(month->rightToLeft);
    }
    ASSERT_TRUE(ui::input::Key(dialog, VK_ESCAPE));
    run.join();
    EXPECT_EQ(result, IDCANCEL);
  }
}

TEST_F(DialogRenderTest, TheAddCityDialogFitsInBothModesInEachLanguage) {
  for (const Language& language : kLanguages) {
    UseLanguage(language);
    CCityInfo city;
    const tstring line = Utf8ToT("St. John's,Newfoundland,Canada,47 34 N,52 43 W,-3.500000,Y,1,N,4\n");
    ASSERT_EQ(city.GetInfoFromLine(line.c_str()), 1);
    for (const short mode : {CAddCity::kAdd, CAddCity::kEdit}) {
      CAddCity dialog(&city, mode);
      std::intptr_t result = 0;
      std::thread run([&] { result = dialog.DoModal(nullptr); });
      HWND window = m_frontEnd->WaitForDialog(CAddCity::IDD);
      ASSERT_NE(window, nullptr);
      const std::string name =
          std::string("add-city-") + (mode == CAddCity::kAdd ? "add-" : "edit-") + language.code;
      const ui::qt::RenderedWindow rendered = Render(window, name);
      ASSERT_FALSE(rendered.controls.empty()) << name;
      rendertest::ExpectLaidOutWell(rendered, name);
      const ui::qt::RenderedControl* label = rendertest::Find(rendered, -1);
      const ui::qt::RenderedControl* field = rendertest::Find(rendered, CAddCity::kName);
      ASSERT_TRUE(label && field);
      if (language.id == 1025) {
        EXPECT_GT(label->x, field->x) << name;
        EXPECT_TRUE(field->rightToLeft) << name;
      } else {
        EXPECT_LT(label->x, field->x) << name;
      }
      ASSERT_TRUE(ui::input::Key(window, VK_ESCAPE));
      run.join();
      EXPECT_EQ(result, IDCANCEL);
    }
  }
}

}  // namespace
