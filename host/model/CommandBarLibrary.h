#pragma once
// The command bars that outlive a session, as Outlook keeps them in
// outcmd.dat: bars and controls made without the temporary flag. A new
// explorer window starts with the built-in bars and these; a window that
// closes leaves its lasting bars here for the next; the session writes
// them to the file when it ends.
//
// The file is UTF-8 text, one bar or control a line, fields separated by
// tabs (a tab, line break or backslash in a text is written \t, \n, \\):
//   bar      name  position  visible  enabled  protection
//   control  type  id  caption  tooltip  tag  style  face  enabled
// A control belongs to the bar above it. A file that cannot be read is
// ignored with a warning: losing toolbars is better than not starting.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/com/WinTypes.h"

namespace host {

struct ControlRecord {
  LONG type = 1;  // msoControlButton
  LONG id = 1;    // 1 for a custom button; else a built-in command
  std::u16string caption, tooltip, tag;
  LONG style = 0;  // msoButtonAutomatic
  LONG face = 0;
  bool enabled = true;
};

struct BarRecord {
  std::u16string name;
  LONG position = 1;  // msoBarTop
  bool visible = false;
  bool enabled = true;
  LONG protection = 0;
  std::vector<ControlRecord> controls;
};

// The built-in command of Outlook's Options dialog (Tools, Options).
inline constexpr LONG kOptionsCommandId = 522;

class CommandBarLibrary {
 public:
  // Reads `file` when it exists; an empty path keeps bars in memory only.
  explicit CommandBarLibrary(std::filesystem::path file);

  // The lasting bars, as the last window to close left them.
  const std::vector<BarRecord>& Lasting() const { return lasting_; }
  void Keep(std::vector<BarRecord> bars) { lasting_ = std::move(bars); }
  // Writes the file atomically; false when it cannot (Problem says why).
  bool Save();
  // What went wrong with the file, reading it or writing it, in words, for
  // the host to tell: the bars of one session then do not reach the next.
  // Empty when nothing.
  const std::string& Problem() const { return problem_; }

  // The built-in bars every window has, in Outlook's order.
  static std::vector<BarRecord> BuiltIn();
  // The caption of a built-in command; empty for an unknown one.
  static std::u16string BuiltInCaption(LONG id);

  static std::string Write(const std::vector<BarRecord>& bars);
  // Throws std::runtime_error naming the line that is wrong.
  static std::vector<BarRecord> Read(std::string_view text);

 private:
  std::filesystem::path file_;
  std::vector<BarRecord> lasting_;
  std::string problem_;
};

}  // namespace host
