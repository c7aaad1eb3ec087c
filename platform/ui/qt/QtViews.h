#pragma once
// The Qt widgets that show the runtime's windows: one WindowView a
// top-level window, made and kept up to date from the runtime's snapshots,
// one widget a control in it. What a person does in them goes back as input
// queued to the window's own thread (UserInput.h, kPost). Qt thread only.

#include <QFont>
#include <QKeyEvent>
#include <QByteArray>
#include <QWidget>

#include <map>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/ui/UserInput.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSnapshot.h"

namespace ui::qt {

// The scale of a window: screen pixels for each pixel of the font model, by
// the desktop font's character size at the template's point size.
struct Scale {
  double x = 1.0;
  double y = 1.0;
  QFont font;
};

// The bytes of the pictures a snapshot shows (images, picture clips), by
// module, resource type and id. Read on the window's thread while their
// module is loaded: the Qt thread may apply the snapshot after the window
// has gone and its resource library with it.
using Pictures = std::map<std::tuple<HINSTANCE, unsigned, unsigned>, QByteArray>;
Pictures PicturesOf(const WindowSnapshot& snapshot);

// A control's widget and what the runtime last said of the control.
struct ControlView {
  QWidget* widget = nullptr;
  ControlSnapshot last{};
  bool made = false;
};

// One top-level window of the runtime.
class WindowView final : public QWidget {
 public:
  explicit WindowView(HWND handle) : QWidget(nullptr, Qt::Dialog), m_handle(handle) {}

  void Apply(const WindowSnapshot& snapshot, const Pictures& pictures);
  const WindowSnapshot& Last() const { return m_last; }
  HWND Handle() const { return m_handle; }
  QWidget* Widget(int id) const;
  std::vector<std::pair<const ControlSnapshot*, QWidget*>> Controls() const;
  const Scale& WindowScale() const { return m_scale; }
  bool eventFilter(QObject* watched, QEvent* event) override;

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    input::Close(m_handle, input::Mode::kPost);
  }
  void keyPressEvent(QKeyEvent* event) override {
    if (!Key(event)) QWidget::keyPressEvent(event);
  }

 private:
  // What a person typed goes to the window's thread; until it has been
  // typed there, what the runtime reports of the control is older than
  // the widget and must not overwrite it, or quick typing loses letters.
  void SendTyped(HWND handle, const QString& text);
  bool Typing(HWND handle) const {
    const auto found = m_typing.find(handle);
    return found != m_typing.end() && found->second > 0;
  }
  QWidget* Make(const ControlSnapshot& control);
  void Update(ControlView& view, const ControlSnapshot& control);
  bool Key(QKeyEvent* event);

  HWND m_handle;
  WindowSnapshot m_last{};
  Scale m_scale;
  double m_scaleX = 1.0;
  double m_scaleY = 1.0;
  std::map<HWND, ControlView> m_controls;
  std::map<HWND, int> m_typing;  // texts sent and not typed yet, by control
  Pictures m_pictures;           // those of m_last
  std::set<int> m_numbers;       // the edits that hold numbers, by id
  bool m_applying = false;
  int m_focusId = 0;
};

}  // namespace ui::qt
