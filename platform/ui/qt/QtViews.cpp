#include "platform/ui/qt/QtViews.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontDatabase>
#include <QIcon>
#include <QLabel>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "platform/com/VariantTime.h"
#include "platform/nls/Nls.h"
#include "platform/ui/AnimationClip.h"
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

// A picture's bytes as the snapshot carried them; empty when it did not.
QByteArray BytesOf(const Pictures& pictures, HINSTANCE module, unsigned resourceType, unsigned id) {
  const auto found = pictures.find({module, resourceType, id});
  return found != pictures.end() ? found->second : QByteArray();
}

// A picture decoded once (Qt thread only), keyed by its bytes: the same
// pointer may later be another library's.
const QImage& ImageOf(const QByteArray& bytes) {
  static std::map<QByteArray, QImage> images;
  static const QImage none;
  if (bytes.isEmpty()) return none;
  auto found = images.find(bytes);
  if (found == images.end()) found = images.emplace(bytes, QImage::fromData(bytes)).first;
  return found->second;
}

// A picture clip: its strip of frames, decoded once; null for a text clip.
struct PictureClip {
  QImage strip;
  int frames = 0;
};
const PictureClip* PictureClipOf(const QByteArray& bytes) {
  static std::map<QByteArray, PictureClip> clips;
  if (bytes.isEmpty()) return nullptr;
  auto found = clips.find(bytes);
  if (found == clips.end()) {
    PictureClip clip;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    if (const std::optional<AnimationClip> parsed = ParseAnimationClip(data, static_cast<std::size_t>(bytes.size()));
        parsed && parsed->pictureFrames > 0) {
      clip.strip.loadFromData(parsed->image, static_cast<int>(parsed->imageSize));
      clip.frames = parsed->pictureFrames;
    }
    found = clips.emplace(bytes, clip).first;
  }
  return found->second.frames > 0 && !found->second.strip.isNull() ? &found->second : nullptr;
}

unsigned ImageResourceType(const ControlSnapshot& control) {
  return control.imageType == IMAGE_ICON ? kResourceIcon : kResourceBitmap;
}

// The user's date picture (a Windows picture: d dd ddd dddd M MM MMM MMMM
// yy yyyy, 'quoted' text) in Qt's words, which are the same but for the
// era (g, gg), which Qt lacks.
QString DatePicture(bool longDate) {
  char16_t picture[80] = {};
  if (GetLocaleInfo(LOCALE_USER_DEFAULT, longDate ? LOCALE_SLONGDATE : LOCALE_SSHORTDATE, picture, 80) <= 0) {
    return "yyyy-MM-dd";
  }
  QString out;
  bool quoted = false;
  for (const QChar c : QString::fromUtf16(picture)) {
    if (c == '\'') quoted = !quoted;
    if (!quoted && c == 'g') continue;
    out += c;
  }
  return out.trimmed();
}

// A picture: the image scaled to the control, rotated horizontally by the
// runtime's offset with wrap-around (a map that moves under a marker), or
// an icon at its own size in the middle of the control. Painted again for
// every offset, so each frame of a movement is seen.
class PictureView final : public QWidget {
 public:
  explicit PictureView(QWidget* parent) : QWidget(parent) {}
  void Show(const QImage& image, bool icon, long offset) {
    if (image.cacheKey() == m_image.cacheKey() && icon == m_icon && offset == m_offset) return;
    m_image = image;
    m_icon = icon;
    m_offset = offset;
    repaint();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (m_image.isNull()) return;
    QPainter painter(this);
    if (m_icon) {
      painter.drawImage((width() - m_image.width()) / 2, (height() - m_image.height()) / 2, m_image);
      return;
    }
    // Scaled once to the control, in the screen's own format: a frame of
    // a moving map is then two plain copies (a frame is to cost well under
    // 2 ms).
    if (m_scaled.isNull() || m_scaledKey != m_image.cacheKey() || m_scaled.size() != size()) {
      m_scaled = QPixmap::fromImage(m_image.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
      m_scaledKey = m_image.cacheKey();
    }
    const long w = m_image.width();
    const long imageShift = ((m_offset % w) + w) % w;
    const int shift = static_cast<int>(std::lround(static_cast<double>(imageShift) * width() / w)) % width();
    // Column x of the image at (x + shift) mod width: the image twice.
    painter.drawPixmap(shift, 0, m_scaled);
    if (shift != 0) painter.drawPixmap(shift - width(), 0, m_scaled);
  }

 private:
  QImage m_image;
  QPixmap m_scaled;  // m_image at the control's size
  qint64 m_scaledKey = 0;
  bool m_icon = false;
  long m_offset = 0;
};

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
      if (--self->m_typing[handle] == 0) self->Apply(self->m_last, self->m_pictures);
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
    case ControlKind::kTab: {
      auto* tabs = new QTabBar(nullptr);
      tabs->setExpanding(false);
      tabs->setDrawBase(true);
      QObject::connect(tabs, &QTabBar::tabBarClicked,
                       [handle](int index) { if (index >= 0) input::Select(handle, index, Mode::kPost); });
      widget = tabs;
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
    default: {
      const DWORD type = control.style & SS_TYPEMASK;
      if (control.kind == ControlKind::kPicture || type == SS_BITMAP || type == SS_ICON) {
        widget = new PictureView(nullptr);
      } else {
        widget = new StaticView(handle, &m_scaleX, &m_scaleY, nullptr);
      }
      break;
    }
  }
  // Numbers read left to right in every language: "-3", never "3-".
  const bool number = m_numbers.count(control.id) != 0;
  // Made without a parent, so that it takes its reading direction from
  // the start: a line edit keeps the direction it was made with.
  widget->setLayoutDirection((control.exStyle & (WS_EX_RTLREADING | WS_EX_LAYOUTRTL)) != 0 && !number
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
  const bool number = m_numbers.count(control.id) != 0;
  const bool rtl = (control.exStyle & (WS_EX_RTLREADING | WS_EX_LAYOUTRTL)) != 0 && !number;
  widget->setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
  widget->setGeometry(Scaled(control.rect, m_scale));
  widget->setEnabled(control.enabled);
  widget->setFont(m_scale.font);
  const QString text = Q(control.text);
  switch (control.kind) {
    case ControlKind::kButton: {
      auto* button = static_cast<QPushButton*>(widget);
      const QImage& image =
          ImageOf(BytesOf(m_pictures, control.imageModule, ImageResourceType(control), control.imageId));
      // BS_ICON and BS_BITMAP show the image in place of the text; without
      // them an image stands beside the text, no taller than the button
      // leaves room for.
      const bool imageOnly = (control.style & (BS_ICON | BS_BITMAP)) != 0 && !image.isNull();
      button->setIcon(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
      if (!image.isNull()) {
        const int side = std::max(widget->height() - 8, 12);
        button->setIconSize(imageOnly ? image.size() : image.size().boundedTo(QSize(side, side)));
      }
      button->setText(imageOnly ? QString() : text);
      button->setDefault((control.style & 0xF) == BS_DEFPUSHBUTTON);
      break;
    }
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
      // A number in a dialog that reads from the right stands at the right,
      // written left to right.
      const bool rightAligned = number && (control.exStyle & (WS_EX_RTLREADING | WS_EX_LAYOUTRTL)) != 0;
      const Qt::Alignment wanted = (rightAligned ? Qt::AlignRight | Qt::AlignAbsolute : alignment) | Qt::AlignVCenter;
      if (edit->alignment() != wanted) edit->setAlignment(wanted);
      if (edit->text() != text && !Typing(control.handle)) edit->setText(text);
      break;
    }
    case ControlKind::kDropDownList:
    case ControlKind::kComboBox: {
      auto* combo = static_cast<QComboBox*>(widget);
      QSignalBlocker block(combo);
      if (!view.made || view.last.items != control.items) {
        combo->clear();
        // Qt draws a list's text left to right whatever the list's
        // direction: "(GMT +10:00) Sydney" in Arabic would read from the
        // left. A list that reads from the right embeds each item so.
        const bool embed = rtl && !combo->isEditable();
        for (const std::string& item : control.items) {
          combo->addItem(embed ? QChar(0x202B) + Q(item) + QChar(0x202C) : Q(item));
        }
      }
      combo->setCurrentIndex(control.selection);
      if (combo->isEditable() && combo->currentText() != text && !Typing(control.handle)) {
        combo->setEditText(text);
      }
      break;
    }
    case ControlKind::kTab: {
      auto* tabs = static_cast<QTabBar*>(widget);
      QSignalBlocker block(tabs);
      if (!view.made || view.last.items != control.items) {
        while (tabs->count() > 0) tabs->removeTab(0);
        for (const std::string& item : control.items) tabs->addTab(Q(item));
      }
      tabs->setCurrentIndex(control.selection);
      break;
    }
    case ControlKind::kDatePicker: {
      auto* picker = static_cast<QDateTimeEdit*>(widget);
      QSignalBlocker block(picker);
      if (!control.timeOnly) {
        // The user's own way of writing a date, and no day outside the
        // range the dialog set.
        const QString format = DatePicture((control.style & DTS_LONGDATEFORMAT) == DTS_LONGDATEFORMAT);
        if (picker->displayFormat() != format) picker->setDisplayFormat(format);
        SYSTEMTIME bound{};
        const QDate lowest = control.hasDateMin && VariantTimeToSystemTime(control.dateMin, &bound)
                                 ? QDate(bound.wYear, bound.wMonth, bound.wDay)
                                 : QDate(100, 1, 1);
        const QDate highest = control.hasDateMax && VariantTimeToSystemTime(control.dateMax, &bound)
                                  ? QDate(bound.wYear, bound.wMonth, bound.wDay)
                                  : QDate(9999, 12, 31);
        picker->setDateRange(lowest, highest);
      }
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
    case ControlKind::kAnimation: {
      auto* label = static_cast<QLabel*>(widget);
      // A picture clip shows the frame's part of its strip; a text clip
      // its text.
      const PictureClip* clip = PictureClipOf(BytesOf(m_pictures, control.clipModule, kResourceAnimation, control.clip));
      if (clip != nullptr) {
        const int width = clip->strip.width() / clip->frames;
        const int frame = std::clamp(control.frameIndex, 0, clip->frames - 1);
        label->setPixmap(QPixmap::fromImage(clip->strip.copy(frame * width, 0, width, clip->strip.height())));
      } else {
        label->setText(Q(control.frame));
      }
      break;
    }
    case ControlKind::kUpDown:
      break;
    default: {
      if (auto* picture = dynamic_cast<PictureView*>(widget)) {
        const bool icon = control.imageType == IMAGE_ICON;
        picture->Show(ImageOf(BytesOf(m_pictures, control.imageModule, ImageResourceType(control), control.imageId)),
                      icon, control.imageOffset.x);
        break;
      }
      auto* label = static_cast<QLabel*>(widget);
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

Pictures PicturesOf(const WindowSnapshot& snapshot) {
  Pictures pictures;
  const auto take = [&](HINSTANCE module, unsigned type, unsigned id) {
    if (id == 0 || pictures.count({module, type, id}) != 0) return;
    if (const ResourceBinary* data = FindBinary(module, type, id)) {
      pictures[{module, type, id}] = QByteArray(reinterpret_cast<const char*>(data->data), static_cast<qsizetype>(data->size));
    }
  };
  for (const ControlSnapshot& control : snapshot.controls) {
    take(control.imageModule, ImageResourceType(control), control.imageId);
    take(control.clipModule, kResourceAnimation, control.clip);
  }
  return pictures;
}

void WindowView::Apply(const WindowSnapshot& snapshot, const Pictures& pictures) {
  m_applying = true;
  m_pictures = pictures;
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
  // The edits that hold numbers: ES_NUMBER, or stepped by an up-down.
  m_numbers.clear();
  for (const ControlSnapshot& control : snapshot.controls) {
    if (control.kind == ControlKind::kEdit && (control.style & ES_NUMBER) != 0) m_numbers.insert(control.id);
    if (control.kind == ControlKind::kUpDown && control.buddyId != 0) m_numbers.insert(control.buddyId);
  }
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
