#include "host/model/CommandBarLibrary.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "platform/fs/AtomicFile.h"
#include "platform/text/TextConvert.h"

namespace host {

namespace {

std::string Escape(std::u16string_view text) {
  std::string out;
  for (char c : text::Utf16ToUtf8(text)) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

std::u16string Unescape(std::string_view field, std::size_t line) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out += field[i];
      continue;
    }
    if (++i == field.size()) throw std::runtime_error("line " + std::to_string(line) + ": a lone \\ at the end");
    switch (field[i]) {
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default: throw std::runtime_error("line " + std::to_string(line) + ": unknown escape");
    }
  }
  return text::Utf8ToUtf16(out);
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

LONG Number(std::string_view field, std::size_t line) {
  LONG value = 0;
  bool negative = false;
  std::size_t i = 0;
  if (!field.empty() && field[0] == '-') {
    negative = true;
    i = 1;
  }
  if (i == field.size() || field.size() > 11) throw std::runtime_error("line " + std::to_string(line) + ": not a number");
  long long accumulated = 0;
  for (; i < field.size(); ++i) {
    if (field[i] < '0' || field[i] > '9') throw std::runtime_error("line " + std::to_string(line) + ": not a number");
    accumulated = accumulated * 10 + (field[i] - '0');
  }
  if (negative) accumulated = -accumulated;
  if (accumulated < INT32_MIN || accumulated > INT32_MAX) throw std::runtime_error("line " + std::to_string(line) + ": number out of range");
  value = static_cast<LONG>(accumulated);
  return value;
}

bool Flag(std::string_view field, std::size_t line) {
  if (field == "1") return true;
  if (field == "0") return false;
  throw std::runtime_error("line " + std::to_string(line) + ": a flag is 0 or 1");
}

}  // namespace

CommandBarLibrary::CommandBarLibrary(std::filesystem::path file) : file_(std::move(file)) {
  if (file_.empty()) return;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file_, error);
  if (status.type() == std::filesystem::file_type::not_found) return;  // no bars kept yet
  std::ifstream in(file_, std::ios::binary);
  if (status.type() == std::filesystem::file_type::directory) {
    problem_ = "it is a folder";
  } else if (!in) {
    problem_ = std::strerror(errno);
  }
  if (!problem_.empty()) {
    problem_ = "the command bars kept in " + file_.string() + " cannot be read: " + problem_;
    return;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  try {
    lasting_ = Read(text);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvane: ignoring the command bars in %s: %s\n", file_.c_str(), e.what());
  }
}

bool CommandBarLibrary::Save() {
  if (file_.empty()) return true;
  try {
    files::WriteFileAtomically(file_, Write(lasting_));
    return true;
  } catch (const std::exception& e) {
    problem_ = std::string("the command bars could not be kept in ") + file_.string() + ": " + e.what();
    return false;
  }
}

std::vector<BarRecord> CommandBarLibrary::BuiltIn() {
  BarRecord menu;
  menu.name = u"Menu Bar";
  menu.visible = true;
  ControlRecord options;
  options.id = kOptionsCommandId;
  options.caption = BuiltInCaption(kOptionsCommandId);
  menu.controls.push_back(options);
  BarRecord standard;
  standard.name = u"Standard";
  standard.visible = true;
  return {menu, standard};
}

std::u16string CommandBarLibrary::BuiltInCaption(LONG id) {
  return id == kOptionsCommandId ? u"&Options..." : u"";
}

std::string CommandBarLibrary::Write(const std::vector<BarRecord>& bars) {
  std::string out;
  for (const BarRecord& bar : bars) {
    out += "bar\t" + Escape(bar.name) + '\t' + std::to_string(bar.position) + '\t' +
           (bar.visible ? "1" : "0") + '\t' + (bar.enabled ? "1" : "0") + '\t' +
           std::to_string(bar.protection) + '\n';
    for (const ControlRecord& c : bar.controls) {
      out += "control\t" + std::to_string(c.type) + '\t' + std::to_string(c.id) + '\t' + Escape(c.caption) +
             '\t' + Escape(c.tooltip) + '\t' + Escape(c.tag) + '\t' + std::to_string(c.style) + '\t' +
             std::to_string(c.face) + '\t' + (c.enabled ? "1" : "0") + '\n';
    }
  }
  return out;
}

std::vector<BarRecord> CommandBarLibrary::Read(std::string_view text) {
  std::vector<BarRecord> bars;
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty()) continue;
    const std::vector<std::string_view> f = SplitTabs(line);
    if (f[0] == "bar" && f.size() == 6) {
      BarRecord bar;
      bar.name = Unescape(f[1], lineNumber);
      bar.position = Number(f[2], lineNumber);
      bar.visible = Flag(f[3], lineNumber);
      bar.enabled = Flag(f[4], lineNumber);
      bar.protection = Number(f[5], lineNumber);
      bars.push_back(std::move(bar));
    } else if (f[0] == "control" && f.size() == 9) {
      if (bars.empty()) throw std::runtime_error("line " + std::to_string(lineNumber) + ": a control before any bar");
      ControlRecord c;
      c.type = Number(f[1], lineNumber);
      c.id = Number(f[2], lineNumber);
      c.caption = Unescape(f[3], lineNumber);
      c.tooltip = Unescape(f[4], lineNumber);
      c.tag = Unescape(f[5], lineNumber);
      c.style = Number(f[6], lineNumber);
      c.face = Number(f[7], lineNumber);
      c.enabled = Flag(f[8], lineNumber);
      bars.back().controls.push_back(std::move(c));
    } else {
      throw std::runtime_error("line " + std::to_string(lineNumber) + ": neither a bar nor a control");
    }
  }
  return bars;
}

}  // namespace host
