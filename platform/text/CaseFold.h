#pragma once
// Text compared without regard to case, as Windows compares names and as
// Outlook compares the texts of a filter: simple case folding, one letter
// for one letter, so "STRASSE" does not become "Straße" and lengths in
// letters stay as they were.

#include <string>
#include <string_view>

namespace text {

// The UTF-8 text with each letter folded (ICU's default simple folding).
std::string FoldCase(std::string_view utf8);

// FoldCase(a) == FoldCase(b), without building the folded texts when both
// are plain ASCII, which is nearly always.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace text
