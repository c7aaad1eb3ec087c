#pragma once
// A failure to build, write or read the calendar's iCalendar mirror: what it
// concerns, and for a file operation the errno it failed with.

#include <stdexcept>
#include <string>

namespace host {

class MirrorError : public std::runtime_error {
 public:
  explicit MirrorError(const std::string& what, int error = 0)
      : std::runtime_error(what), m_error(error) {}

  /// The errno of the file operation that failed; 0 when the items
  /// themselves cannot be written faithfully or the text is not a calendar.
  int Error() const noexcept { return m_error; }

 private:
  int m_error;
};

}  // namespace host
