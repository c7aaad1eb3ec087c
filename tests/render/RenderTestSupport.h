#pragma once
// The desktop front end in the tests: Qt's offscreen platform, the dialogs
// drawn into PNG files under the build folder, and the checks a person would
// make looking at them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/ui/HeadlessFrontEnd.h"
#include "platform/ui/qt/QtFrontEnd.h"
#include "platform/ui/qt/QtTestHooks.h"

namespace rendertest {

// Shows everything through Qt and records it for waiting; message boxes are
// answered without Qt, so that no test waits for a person.
class TeeFrontEnd final : public ui::FrontEnd {
 public:
  TeeFrontEnd(std::shared_ptr<ui::FrontEnd> qt, std::shared_ptr<ui::HeadlessFrontEnd> recorder)
      : m_qt(std::move(qt)), m_recorder(std::move(recorder)) {}
  int ShowMessageBox(const ui::MessageBoxRequest& request) override {
    return m_recorder->ShowMessageBox(request);
  }
  void OnWindowEvent(ui::WindowEvent event, const ui::WindowSnapshot& window) override {
    m_qt->OnWindowEvent(event, window);
    m_recorder->OnWindowEvent(event, window);
  }
  bool ShowsDialogs() const override { return true; }

 private:
  std::shared_ptr<ui::FrontEnd> m_qt;
  std::shared_ptr<ui::HeadlessFrontEnd> m_recorder;
};

// Qt ends with the tests, before the process's statics go.
class QtEnvironment final : public ::testing::Environment {
 public:
  void TearDown() override { ui::qt::ShutdownQtFrontEnd(); }
};

// The Qt front end of the test process, on the offscreen platform.
inline std::shared_ptr<ui::FrontEnd> OffscreenQt() {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::string problem;
  static std::shared_ptr<ui::FrontEnd> qt = [&] {
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);
    return ui::qt::CreateQtFrontEnd(&problem);
  }();
  return qt;
}

inline std::string ImagePath(const std::string& name) {
  std::filesystem::create_directories(ORVANE_RENDER_DIR);
  return std::string(ORVANE_RENDER_DIR) + "/" + name + ".png";
}

// What a person would notice: a control outside the window, two controls on
// top of each other, text cut off.
inline void ExpectLaidOutWell(const ui::qt::RenderedWindow& window, const std::string& what) {
  for (const ui::qt::RenderedControl& c : window.controls) {
    if (!c.visible) continue;
    EXPECT_GE(c.x, 0) << what << " control " << c.id;
    EXPECT_GE(c.y, 0) << what << " control " << c.id;
    EXPECT_LE(c.x + c.width, window.width) << what << " control " << c.id;
    EXPECT_LE(c.y + c.height, window.height) << what << " control " << c.id;
    if (c.wraps) {
      EXPECT_LE(c.textHeight, c.height) << what << " control " << c.id << " \"" << c.text << "\" is cut off";
    } else {
      EXPECT_LE(c.textWidth, c.width) << what << " control " << c.id << " \"" << c.text << "\" is cut off";
    }
    for (const ui::qt::RenderedControl& d : window.controls) {
      if (&d == &c || !d.visible) continue;
      const bool apart = c.x + c.width <= d.x || d.x + d.width <= c.x || c.y + c.height <= d.y ||
                         d.y + d.height <= c.y;
      EXPECT_TRUE(apart) << what << ": controls " << c.id << " and " << d.id << " overlap";
    }
  }
}

inline const ui::qt::RenderedControl* Find(const ui::qt::RenderedWindow& window, int id,
                                           std::size_t nth = 0) {
  for (const ui::qt::RenderedControl& c : window.controls) {
    if (c.id == id && nth-- == 0) return &c;
  }
  return nullptr;
}

}  // namespace rendertest
