#pragma once
// The words of Outlook's filter language: [Field], the comparison operators,
// parentheses, numbers, quoted texts (in double or single quotes, the quote
// doubled inside), and bare words (AND, OR, NOT, True, False, ...).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace host {

struct FilterToken {
  enum class Kind { kField, kOperator, kNumber, kString, kWord, kOpen, kClose, kEnd };

  Kind kind = Kind::kEnd;
  // kField: the name between the brackets; kOperator and kNumber and kWord:
  // as written; kString: the text with doubled quotes made single.
  std::string text;
  char quote = '\0';       // kString: the quote it was written with
  std::size_t offset = 0;  // in bytes from the start of the filter
};

// The tokens, ending with one of kind kEnd. Throws FilterError for a text
// that cannot be cut into tokens (an unclosed quote or bracket, a stray
// character).
std::vector<FilterToken> SplitFilter(std::string_view filter);

// 1-based position in characters of a byte offset of the UTF-8 text, for
// messages.
std::size_t CharacterPosition(std::string_view text, std::size_t offset);

}  // namespace host
