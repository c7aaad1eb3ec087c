#include "platform/ui/qt/QtFrontEndImpl.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>

#include <vector>

#include "platform/ui/qt/QtText.h"

namespace ui::qt {

int QtFrontEndImpl::ShowMessageBox(const MessageBoxRequest& request) {
  int answer = DefaultButton(request.style);
  QMetaObject::invokeMethod(
      m_context, [&] { answer = Box(request); }, Qt::BlockingQueuedConnection);
  return answer;
}

std::optional<std::string> QtFrontEndImpl::ShowOpenFile(const OpenFileRequest& request) {
  std::optional<std::string> chosen;
  QMetaObject::invokeMethod(
      m_context,
      [&] {
        QStringList filters;
        for (const auto& [name, pattern] : request.filters) {
          QString patterns = Q(pattern);
          patterns.replace(';', ' ');
          filters << Q(name) + " (" + patterns + ")";
        }
        const QString selected =
            request.filterIndex < static_cast<std::size_t>(filters.size()) ? filters[static_cast<qsizetype>(request.filterIndex)] : QString();
        QString filter = selected;
        const QString path = QFileDialog::getOpenFileName(ViewOf(request.owner), Q(request.title),
                                                          Q(request.initialPath), filters.join(";;"), &filter);
        if (!path.isEmpty()) chosen = U(path);
      },
      Qt::BlockingQueuedConnection);
  return chosen;
}

void QtFrontEndImpl::OnWindowEvent(WindowEvent event, const WindowSnapshot& window) {
  // The pictures are read now, while the window's module is surely loaded.
  QMetaObject::invokeMethod(m_context, [this, event, window, pictures = PicturesOf(window)] { Apply(event, window, pictures); },
                            Qt::QueuedConnection);
}

QWidget* QtFrontEndImpl::ViewOf(HWND owner) const {
  HWND top = owner;
  while (top != nullptr && Find(top) == nullptr) top = GetParent(top);
  return top != nullptr ? Find(top) : nullptr;
}

int QtFrontEndImpl::Box(const MessageBoxRequest& request) {
  QMessageBox box(ViewOf(request.owner));
  box.setWindowTitle(Q(request.caption));
  box.setText(Q(request.text));
  switch (request.style & MB_ICONMASK) {
    case MB_ICONERROR:
      box.setIcon(QMessageBox::Critical);
      break;
    case MB_ICONWARNING:
      box.setIcon(QMessageBox::Warning);
      break;
    case MB_ICONQUESTION:
      box.setIcon(QMessageBox::Question);
      break;
    case MB_ICONINFORMATION:
      box.setIcon(QMessageBox::Information);
      break;
    default:
      break;
  }
  if ((request.style & (MB_RTLREADING | MB_RIGHT)) != 0) box.setLayoutDirection(Qt::RightToLeft);
  struct Choice {
    QMessageBox::StandardButton button;
    int id;
  };
  static const std::vector<Choice> kTypes[] = {
      {{QMessageBox::Ok, IDOK}},
      {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}},
      {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}},
      {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}},
      {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}},
      {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}},
  };
  const UINT type = request.style & MB_TYPEMASK;
  const std::vector<Choice>& choices = type < 6 ? kTypes[type] : kTypes[0];
  const int fallback = DefaultButton(request.style);
  for (const Choice& choice : choices) {
    box.addButton(choice.button);
    if (choice.id == fallback) box.setDefaultButton(choice.button);
  }
  box.exec();
  const auto pressed = box.standardButton(box.clickedButton());
  for (const Choice& choice : choices) {
    if (choice.button == pressed) return choice.id;
  }
  // Closed with the close box: the box's Cancel, else its default.
  for (const Choice& choice : choices) {
    if (choice.id == IDCANCEL) return IDCANCEL;
  }
  return fallback;
}

void QtFrontEndImpl::Apply(WindowEvent event, const WindowSnapshot& window, const Pictures& pictures) {
  // Windows that were never made from a template (tooltips) show nothing.
  WindowView* view = Find(window.handle);
  if (event == WindowEvent::kDestroyed) {
    if (view != nullptr) {
      m_views.erase(window.handle);
      view->hide();
      view->deleteLater();
    }
    return;
  }
  if (view == nullptr) {
    view = new WindowView(window.handle);
    m_views[window.handle] = view;
    if (WindowView* owner = Find(window.owner)) {
      view->setParent(owner, Qt::Dialog);
    }
  }
  const bool wasVisible = view->isVisible();
  view->Apply(window, pictures);
  if (window.visible && !wasVisible) {
    // Centred over the owner, or on the screen.
    const QRect over = view->parentWidget() != nullptr ? view->parentWidget()->frameGeometry()
                                                       : view->screen()->availableGeometry();
    view->move(over.center() - QPoint(view->width() / 2, view->height() / 2));
    view->show();
    view->raise();
    view->activateWindow();
  } else if (!window.visible && wasVisible) {
    view->hide();
  }
}


}  // namespace ui::qt
