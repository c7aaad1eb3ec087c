#include "platform/ui/qt/QtViews.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

#include "platform/com/VariantTime.h"
#include "platform/ui/CommonControls.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Gdi.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WindowStyles.h"
#include "platform/ui/qt/QtText.h"

namespace ui::qt {

using input::Mode;

namespace {

// Windows shows "&x" as an underlined x and "&&" as "&"; Qt's labels show
// the text as it is.
QString WithoutPrefix(const QString& text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

Scale ScaleFor(int pointSize) {
  Scale scale;
  scale.font = QApplication::font();
  scale.font.setPointSize(pointSize > 0 ? pointSize : 8);
  const QFontMetricsF metrics(scale.font);
  static const QString kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  const double average = metrics.horizontalAdvance(kLetters) / kLetters.size();
  const double modelWidth = std::round(7.0 * pointSize / 8.0);
  const double modelHeight = std::round(13.0 * pointSize / 8.0);
  scale.x = average / modelWidth;
  scale.y = metrics.height() / modelHeight;
  return scale;
}

QRect Scaled(const RECT& rect, const Scale& scale) {
  const int left = static_cast<int>(std::lround(rect.left * scale.x));
  const int top = static_cast<int>(std::lround(rect.top * scale.y));
  const int right = static_cast<int>(std::lround(rect.right * scale.x));
  const int bottom = static_cast<int>(std::lround(rect.bottom * scale.y));
  return QRect(left, top, right - left, bottom - top);
}

// A static control: text, picture, or a link that draws itself; the mouse
// goes to the runtime, which decides what happens.
class StaticView final : public QLabel {
 public:
  StaticView(HWND handle, const double* scaleX, const double* scaleY, QWidget* parent)
      : QLabel(parent), m_handle(handle), m_scaleX(scaleX), m_scaleY(scaleY) {
    setMouseTracking(true);
  }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override { Send(WM_MOUSEMOVE, event->position()); }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) Send(WM_LBUTTONDOWN, event->position());
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) Send(WM_LBUTTONUP, event->position());
  }
  void leaveEvent(QEvent*) override { Send(WM_MOUSEMOVE, QPointF(-1, -1)); }

 private:
  void Send(UINT message, QPointF at) {
    const POINT point{static_cast<LONG>(std::floor(at.x() / *m_scaleX)),
                      static_cast<LONG>(std::floor(at.y() / *m_scaleY))};
    input::Mouse(m_handle, message, point, Mode::kPost);
  }
  HWND m_handle;
  const double* m_scaleX;
  const double* m_scaleY;
};

// Two arrows, as the up-down control shows them.
class UpDownView final : public QWidget {
 public:
  UpDownView(HWND handle, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The template decides its size, not its arrows.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    for (const bool up : {true, false}) {
      auto* button = new QToolButton(this);
      button->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
      button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
      button->setFocusPolicy(Qt::NoFocus);
      button->setMinimumSize(1, 1);
      QObject::connect(button, &QToolButton::clicked,
                       [handle, up] { input::Step(handle, up ? 1 : -1, Mode::kPost); });
      layout->addWidget(button);
    }
  }
};

}  // namespace

void WindowView::SendTyped(HWND handle, const QString& text) {
  ++m_typing[handle];
  QPointer<WindowView> self(this);
  input::ReplaceText(handle, U(text), Mode::kPost, [self, handle] {
    // Back on the Qt thread: once nothing typed is in flight, the runtime's
    // word on the text (cut to its limit, say) stands.
    QMetaObject::invokeMethod(QCoreApplication::instance(), [self, handle] {
      if (self == nullptr) return;
      if (--self->m_typing[handle] == 0) self->Apply(self->m_last);
    }, Qt::QueuedConnection);
  });
}

QWidget* WindowView::Widget(int id) const {
  for (const auto& [handle, view] : m_controls) {
    if (view.last.id == id) return view.widget;
  }
  return nullptr;
}

std::vector<std::pair<const ControlSnapshot*, QWidget*>> WindowView::Controls() const {
  std::vector<std::pair<const ControlSnapshot*, QWidget*>> controls;
  for (const ControlSnapshot& control : m_last.controls) {
    const auto found = m_controls.find(control.handle);
    if (found != m_controls.end()) controls.emplace_back(&control, found->second.widget);
  }
  return controls;
}

QWidget* WindowView::Make(const ControlSnapshot& control) {
  const HWND handle = control.handle;
  QWidget* widget = nullptr;
  switch (control.kind) {
    case ControlKind::kButton: {
      auto* button = new QPushButton(nullptr);
      button->setAutoDefault(false);
      QObject::connect(button, &QPushButton::clicked, [handle] { input::Click(handle, Mode::kPost); });
      widget = button;
      break;
    }
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton: {
      QAbstractButton* button = control.kind == ControlKind::kCheckBox
                                    ? static_cast<QAbstractButton*>(new QCheckBox(nullptr))
                                    : new QRadioButton(nullptr);
      button->setAutoExclusive(false);
      QObject::connect(button, &QAbstractButton::clicked, [this, handle, button] {
        // The runtime decides the state; until it says, the old one stays.
        const auto found = m_controls.find(handle);
        if (found != m_controls.end()) {
          QSignalBlocker block(button);
          button->setChecked(found->second.last.checked == BST_CHECKED);
        }
        input::Click(handle, Mode::kPost);
      });
      widget = button;
      break;
    }
    case ControlKind::kEdit: {
      auto* edit = new QLineEdit(nullptr);
      QObject::connect(edit, &QLineEdit::textEdited,
                       [this, handle](const QString& text) { SendTyped(handle, text); });
      widget = edit;
      break;
    }
    case ControlKind::kDropDownList:
    case ControlKind::kComboBox: {
      auto* combo = new QComboBox(nullptr);
      combo->setEditable(control.kind == ControlKind::kComboBox);
      QObject::connect(combo, &QComboBox::activated,
                       [handle](int index) { input::Select(handle, index, Mode::kPost); });
      if (combo->lineEdit() != nullptr) {
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited,
                         [this, handle](const QString& text) { SendTyped(handle, text); });
      }
      widget = combo;
      break;
    }
    case ControlKind::kUpDown:
      widget = new UpDownView(handle, nullptr);
      break;
    case ControlKind::kDatePicker: {
      auto* picker = new QDateTimeEdit(nullptr);
      picker->setCalendarPopup(!control.timeOnly);
      picker->setDisplayFormat(control.timeOnly ? "HH:mm" : "yyyy-MM-dd");
      QObject::connect(picker, &QDateTimeEdit::dateTimeChanged, [this, handle](const QDateTime& when) {
        if (m_applying) return;
        SYSTEMTIME time{};
        time.wYear = static_cast<WORD>(when.date().year());
        time.wMonth = static_cast<WORD>(when.date().month());
        time.wDay = static_cast<WORD>(when.date().day());
        time.wHour = static_cast<WORD>(when.time().hour());
        time.wMinute = static_cast<WORD>(when.time().minute());
        input::SetDate(handle, time, Mode::kPost);
      });
      widget = picker;
      break;
    }
    case ControlKind::kProgressBar: {
      auto* bar = new QProgressBar(nullptr);
      bar->setTextVisible(false);
      widget = bar;
      break;
    }
    case ControlKind::kAnimation: {
      auto* label = new QLabel(nullptr);
      label->setAlignment(Qt::AlignCenter);
      label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
      widget = label;
      break;
    }
    default:
      widget = new StaticView(handle, &m_scaleX, &m_scaleY, nullptr);
      break;
  }
  // Made without a parent, so that it takes its reading direction from
  // the start: a line edit keeps the direction it was made with.
  widget->setLayoutDirection((control.exStyle & (WS_EX_RTLREADING | WS_EX_LAYOUTRTL)) != 0
                                 ? Qt::RightToLeft
                                 : Qt::LeftToRight);
  widget->setParent(this);
  widget->installEventFilter(this);
  for (QObject* child : widget->children()) child->installEventFilter(this);
  if (auto* combo = qobject_cast<QComboBox*>(widget); combo != nullptr && combo->lineEdit()) {
    combo->lineEdit()->installEventFilter(this);
  }
  return widget;
}

void WindowView::Update(ControlView& view, const ControlSnapshot& control) {
  QWidget* widget = view.widget;
  const bool rtl = (control.exStyle & (WS_EX_RTLREADING | WS_EX_LAYOUTRTL)) != 0;
  widget->setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
  widget->setGeometry(Scaled(control.rect, m_scale));
  widget->setEnabled(control.enabled);
  widget->setFont(m_scale.font);
  const QString text = Q(control.text);
  switch (control.kind) {
    case ControlKind::kButton:
      static_cast<QPushButton*>(widget)->setText(text);
      static_cast<QPushButton*>(widget)->setDefault((control.style & 0xF) == BS_DEFPUSHBUTTON);
      break;
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton: {
      auto* button = static_cast<QAbstractButton*>(widget);
      QSignalBlocker block(button);
      button->setText(text);
      button->setChecked(control.checked == BST_CHECKED);
      break;
    }
    case ControlKind::kEdit: {
      auto* edit = static_cast<QLineEdit*>(widget);
      QSignalBlocker block(edit);
      // Each of these sets the text again, losing the selection and the
      // caret: only when they change.
      const int limit = control.textLimit > 0 ? control.textLimit : kDefaultEditLimit;
      if (edit->maxLength() != limit) edit->setMaxLength(limit);
      if (edit->isReadOnly() != ((control.style & ES_READONLY) != 0)) {
        edit->setReadOnly((control.style & ES_READONLY) != 0);
      }
      const Qt::Alignment alignment = (control.style & ES_RIGHT) != 0    ? Qt::AlignRight
                                      : (control.style & ES_CENTER) != 0 ? Qt::AlignHCenter
                                                                         : Qt::AlignLeft;
      if (edit->alignment() != (alignment | Qt::AlignVCenter)) edit->setAlignment(alignment | Qt::AlignVCenter);
      if (edit->text() != text && !Typing(control.handle)) edit->setText(text);
      break;
    }
    case ControlKind::kDropDownList:
    case ControlKind::kComboBox: {
      auto* combo = static_cast<QComboBox*>(widget);
      QSignalBlocker block(combo);
      if (!view.made || view.last.items != control.items) {
        combo->clear();
        for (const std::string& item : control.items) combo->addItem(Q(item));
      }
      combo->setCurrentIndex(control.selection);
      if (combo->isEditable() && combo->currentText() != text && !Typing(control.handle)) {
        combo->setEditText(text);
      }
      break;
    }
    case ControlKind::kDatePicker: {
      auto* picker = static_cast<QDateTimeEdit*>(widget);
      SYSTEMTIME time{};
      if (!control.dateText.empty() && VariantTimeToSystemTime(control.date, &time)) {
        picker->setDateTime(QDateTime(QDate(time.wYear, time.wMonth, time.wDay),
                                      QTime(time.wHour, time.wMinute)));
      }
      break;
    }
    case ControlKind::kProgressBar: {
      auto* bar = static_cast<QProgressBar*>(widget);
      bar->setRange(control.rangeMin, control.rangeMax);
      bar->setValue(control.position);
      break;
    }
    case ControlKind::kAnimation:
      static_cast<QLabel*>(widget)->setText(Q(control.frame));
      break;
    case ControlKind::kUpDown:
      break;
    default: {
      auto* label = static_cast<QLabel*>(widget);
      const DWORD type = control.style & SS_TYPEMASK;
      if ((type == SS_BITMAP || type == SS_ICON) && control.imageId != 0) {
        const ResourceBinary* data = FindBinary(
            control.imageModule, control.imageType == IMAGE_ICON ? kResourceIcon : kResourceBitmap,
            control.imageId);
        QPixmap picture;
        if (data != nullptr) picture.loadFromData(data->data, static_cast<uint>(data->size));
        label->setPixmap(picture);
        break;
      }
      label->setText((control.style & SS_NOPREFIX) != 0 ? text : WithoutPrefix(text));
      label->setWordWrap(true);
      const Qt::Alignment horizontal = (control.style & 0x3) == SS_CENTER ? Qt::AlignHCenter
                                       : (control.style & 0x3) == SS_RIGHT ? Qt::AlignRight
                                                                            : Qt::AlignLeft;
      // The text is written at the top of the control, as Windows writes it.
      label->setAlignment(horizontal | Qt::AlignTop | Qt::AlignAbsolute);
      QFont font = m_scale.font;
      font.setUnderline(control.underline);
      label->setFont(font);
      QPalette palette = label->palette();
      palette.setColor(QPalette::WindowText,
                       control.textColor != CLR_INVALID
                           ? QColor(GetRValue(control.textColor), GetGValue(control.textColor),
                                    GetBValue(control.textColor))
                           : QApplication::palette().color(QPalette::WindowText));
      label->setPalette(palette);
      label->setCursor(control.cursorId == IDC_HAND ? Qt::PointingHandCursor : Qt::ArrowCursor);
      label->setToolTip(Q(control.tooltip));
      label->setFocusPolicy(Qt::ClickFocus);
      break;
    }
  }
  widget->setVisible(control.visible);
}

void WindowView::Apply(const WindowSnapshot& snapshot) {
  m_applying = true;
  m_scale = ScaleFor(snapshot.fontPointSize);
  m_scaleX = m_scale.x;
  m_scaleY = m_scale.y;
  setWindowTitle(Q(snapshot.caption));
  setFont(m_scale.font);
  RECT client{};
  GetClientRect(snapshot.handle, &client);
  const QRect size = Scaled(client, m_scale);
  setFixedSize(size.width(), size.height());
  setEnabled(snapshot.enabled);
  const bool rtl = (snapshot.exStyle & (WS_EX_RTLREADING | WS_EX_LAYOUTRTL)) != 0;
  // The template already places the controls from the right; only the
  // title bar and the window's own texts read right to left.
  setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
  std::map<HWND, ControlView> kept;
  for (const ControlSnapshot& control : snapshot.controls) {
    ControlView view;
    const auto found = m_controls.find(control.handle);
    if (found != m_controls.end()) {
      view = found->second;
      m_controls.erase(found);
    } else {
      view.widget = Make(control);
    }
    Update(view, control);
    view.last = control;
    view.made = true;
    kept[control.handle] = view;
  }
  for (auto& [handle, view] : m_controls) delete view.widget;
  m_controls = std::move(kept);
  // The focus follows the runtime's.
  if (snapshot.focusId != m_focusId) {
    m_focusId = snapshot.focusId;
    if (QWidget* focused = Widget(snapshot.focusId)) {
      focused->setFocus(Qt::OtherFocusReason);
      const ControlSnapshot* control = snapshot.Control(snapshot.focusId);
      if (auto* edit = qobject_cast<QLineEdit*>(focused); edit != nullptr && control != nullptr &&
                                                        control->selEnd > control->selStart) {
        edit->setSelection(control->selStart, control->selEnd - control->selStart);
      }
    }
  }
  m_last = snapshot;
  m_applying = false;
}

bool WindowView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    if (Key(static_cast<QKeyEvent*>(event))) return true;
  } else if (event->type() == QEvent::FocusIn && !m_applying) {
    // A person clicked into a control: the runtime's focus moves with it.
    for (auto& [handle, view] : m_controls) {
      QObject* at = watched;
      while (at != nullptr && at != view.widget) at = at->parent();
      if (at != nullptr && view.last.id != m_focusId) {
        m_focusId = view.last.id;
        input::Focus(handle, Mode::kPost);
        break;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool WindowView::Key(QKeyEvent* event) {
  const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
  WPARAM key = 0;
  switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
      // The focus moves here at once, where the dialog manager will move
      // it, so that keys typed right after Tab reach the next field and
      // not the one being left; the dialog's thread hears of the Tab too.
      const bool back = shift || event->key() == Qt::Key_Backtab;
      const ControlSnapshot* focused = m_last.Control(m_focusId);
      HWND next = GetNextDlgTabItem(m_handle, focused != nullptr ? focused->handle : nullptr, back);
      const auto found = m_controls.find(next);
      if (found != m_controls.end()) {
        m_applying = true;
        m_focusId = found->second.last.id;
        found->second.widget->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(found->second.widget)) edit->selectAll();
        m_applying = false;
      }
      input::Key(m_handle, VK_TAB, back, Mode::kPost);
      return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
      key = VK_RETURN;
      break;
    case Qt::Key_Escape:
      key = VK_ESCAPE;
      break;
    case Qt::Key_Up:
    case Qt::Key_Down: {
      // Lists step through their entries; edits and radio buttons leave it
      // to the dialog manager (an up-down's buddy, a radio group).
      const ControlSnapshot* focused = m_last.Control(m_focusId);
      if (focused != nullptr && (focused->kind == ControlKind::kDropDownList ||
                                 focused->kind == ControlKind::kComboBox)) {
        const int next = focused->selection + (event->key() == Qt::Key_Up ? -1 : 1);
        if (next >= 0 && next < static_cast<int>(focused->items.size())) {
          input::Select(focused->handle, next, Mode::kPost);
        }
        return true;
      }
      key = event->key() == Qt::Key_Up ? VK_UP : VK_DOWN;
      break;
    }
    case Qt::Key_Space: {
      const ControlSnapshot* focused = m_last.Control(m_focusId);
      if (focused == nullptr || (focused->kind != ControlKind::kStatic && focused->kind != ControlKind::kLink &&
                                 focused->kind != ControlKind::kButton &&
                                 focused->kind != ControlKind::kCheckBox &&
                                 focused->kind != ControlKind::kRadioButton)) {
        return false;
      }
      key = VK_SPACE;
      break;
    }
    default:
      return false;
  }
  input::Key(m_handle, key, shift, Mode::kPost);
  return true;
}

}  // namespace ui::qt
