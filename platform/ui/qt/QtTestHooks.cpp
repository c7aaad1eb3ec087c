#include "platform/ui/qt/QtTestHooks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPixmap>

#include <algorithm>
#include <functional>

#include "platform/ui/qt/QtFrontEndImpl.h"
#include "platform/ui/qt/QtText.h"

namespace ui::qt {
namespace {

// Runs action(view) on the Qt thread and waits; false for an unknown window.
bool OnQtThread(FrontEnd& frontEnd, HWND window, const std::function<bool(WindowView&)>& action) {
  auto* qt = dynamic_cast<QtFrontEndImpl*>(&frontEnd);
  if (qt == nullptr) return false;
  bool done = false;
  QMetaObject::invokeMethod(
      qt->Context(),
      [&] {
        WindowView* view = qt->Find(window);
        done = view != nullptr && action(*view);
      },
      Qt::BlockingQueuedConnection);
  return done;
}

}  // namespace

bool ClickControl(FrontEnd& frontEnd, HWND window, int controlId) {
  return OnQtThread(frontEnd, window, [&](WindowView& view) {
    auto* button = qobject_cast<QAbstractButton*>(view.Widget(controlId));
    if (button == nullptr || !button->isEnabled() || button->isHidden()) return false;
    button->click();
    return true;
  });
}

bool TypeInto(FrontEnd& frontEnd, HWND window, int controlId, const std::string& utf8) {
  return OnQtThread(frontEnd, window, [&](WindowView& view) {
    QWidget* widget = view.Widget(controlId);
    auto* edit = qobject_cast<QLineEdit*>(widget);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) edit = combo->lineEdit();
    if (edit == nullptr || !edit->isEnabled()) return false;
    edit->setFocus(Qt::MouseFocusReason);
    edit->selectAll();
    const QString text = Q(utf8);
    for (const QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(edit, &press);
      QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(edit, &release);
    }
    return true;
  });
}

bool PressKey(FrontEnd& frontEnd, HWND window, int qtKey) {
  return OnQtThread(frontEnd, window, [&](WindowView& view) {
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr || target->window() != &view) target = &view;
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    return true;
  });
}

bool ShownText(FrontEnd& frontEnd, HWND window, int controlId, std::string* text) {
  return OnQtThread(frontEnd, window, [&](WindowView& view) {
    QWidget* widget = view.Widget(controlId);
    if (auto* picker = qobject_cast<QDateTimeEdit*>(widget)) {
      *text = U(picker->text());
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      *text = U(edit->displayText());
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      *text = U(button->text());
    } else {
      return false;
    }
    return true;
  });
}

bool DateRange(FrontEnd& frontEnd, HWND window, int controlId, std::string* lowest, std::string* highest) {
  return OnQtThread(frontEnd, window, [&](WindowView& view) {
    auto* picker = qobject_cast<QDateTimeEdit*>(view.Widget(controlId));
    if (picker == nullptr) return false;
    *lowest = U(picker->minimumDate().toString("yyyy-MM-dd"));
    *highest = U(picker->maximumDate().toString("yyyy-MM-dd"));
    return true;
  });
}

bool WaitUntilShown(FrontEnd& frontEnd, HWND window) {
  return OnQtThread(frontEnd, window, [](WindowView&) { return true; });
}

bool RenderWindow(FrontEnd& frontEnd, HWND window, const std::string& pngPath,
                  RenderedWindow* rendered) {
  return OnQtThread(frontEnd, window, [&](WindowView& found) {
        WindowView* view = &found;
        QApplication::processEvents();
        const QPixmap image = view->grab();
        if (!image.save(Q(pngPath), "PNG")) return false;
        RenderedWindow out;
        out.width = view->width();
        out.height = view->height();
        for (const auto& [control, widget] : view->Controls()) {
          RenderedControl r{};
          r.id = control->id;
          r.kind = control->kind;
          const QRect g = widget->geometry();
          r.x = g.x();
          r.y = g.y();
          r.width = g.width();
          r.height = g.height();
          r.visible = control->visible;
          r.rightToLeft = widget->layoutDirection() == Qt::RightToLeft;
          const QFontMetrics metrics(widget->font());
          QString text = Q(control->text);
          int margins = 0;
          switch (control->kind) {
            case ControlKind::kButton:
              margins = 12;
              break;
            case ControlKind::kCheckBox:
            case ControlKind::kRadioButton:
              margins = 22;
              break;
            case ControlKind::kEdit:
              margins = 6;
              break;
            case ControlKind::kDropDownList:
            case ControlKind::kComboBox:
              for (const std::string& item : control->items) {
                if (metrics.horizontalAdvance(Q(item)) > metrics.horizontalAdvance(text)) text = Q(item);
              }
              margins = 26;  // the frame and the arrow
              break;
            default:
              r.wraps = control->kind == ControlKind::kStatic || control->kind == ControlKind::kLink;
              break;
          }
          r.text = U(text);
          r.textWidth = text.isEmpty() ? 0 : metrics.horizontalAdvance(text) + margins;
          r.textHeight = text.isEmpty() ? 0
                         : r.wraps ? metrics.boundingRect(QRect(0, 0, std::max(g.width(), 1), 100000),
                                                          Qt::TextWordWrap, text).height()
                                   : metrics.height();
          out.controls.push_back(r);
        }
        *rendered = std::move(out);
        return true;
      });
}

}  // namespace ui::qt
