#pragma once
// Text between the runtime, which keeps it in UTF-8, and Qt's QString.

#include <QString>

#include <string>

namespace ui::qt {

inline QString Q(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string U(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace ui::qt
