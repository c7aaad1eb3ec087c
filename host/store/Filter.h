#pragma once
// Outlook's filter language (the Jet form that Items.Restrict and Items.Find
// take), parsed once into a tree and then tested against items:
//
//   [Field] op value     op: = <> < <= > >=
//   a AND b, a OR b, NOT a, ( ... )     NOT binds before AND, AND before OR;
//                                       the words in any case
//   values: numbers (-3, 2.5), texts in double or single quotes (a doubled
//   quote stands for one), True/False, Yes/No, On/Off for yes/no fields, and
//   for date fields a date text in quotes, as the user's locale writes it
//   (FilterDate.h).
//
// Texts compare without regard to case. A number field compares numbers, a
// date field dates to the second. A field that is neither the appointment's
// own nor one of the folder's fields is an error, as it is for Outlook; an
// item that lacks a user property matches no comparison on it (and so does
// match its NOT).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/store/Appointment.h"
#include "host/store/FilterDate.h"
#include "host/store/FilterFields.h"

namespace host {

// The closed range of Start (in seconds, DateSeconds.h) outside of which no
// item can match a filter.
struct StartRange {
  std::int64_t first = INT64_MIN;
  std::int64_t last = INT64_MAX;
};

class Filter {
 public:
  // Throws FilterError. Dates are read as the user's locale writes them,
  // looked up only when the filter has a date in it.
  static Filter Parse(std::string_view text, const FieldCatalog& fields);
  static Filter Parse(std::string_view text, const FieldCatalog& fields,
                      const DateReading& dates);

  bool Matches(const Appointment& item) const;

  // From the comparisons on Start that every match must pass (those ANDed at
  // the top); nothing when there are none.
  std::optional<StartRange> RangeOfStart() const;

  // The filter written out again, every group in parentheses: it parses
  // back to the same filter.
  std::string ToString() const;

 private:
  enum class Op { kEqual, kNotEqual, kLess, kLessOrEqual, kGreater, kGreaterOrEqual };

  // The value of a comparison in each of the forms a field's value may need.
  struct Literal {
    std::string written;  // a text without its quotes, or the number or word as written
    char quote = '\0';    // a text's quote; '\0' for a number or a word
    std::string folded;   // written, folded for comparisons ignoring case
    std::optional<double> number;
    std::optional<bool> yesNo;
    std::optional<std::int64_t> seconds;  // read only for date fields
  };

  struct Comparison {
    FilterField field;
    std::string writtenName;
    Op op = Op::kEqual;
    Literal value;
  };

  struct Node {
    enum class Kind { kCompare, kAnd, kOr, kNot } kind = Kind::kCompare;
    std::vector<int> children;  // kAnd and kOr: two or more; kNot: one
    int comparison = -1;        // kCompare
  };

  class Parser;

  bool Evaluate(int node, const Appointment& item) const;
  static bool Compare(const Comparison& comparison, const Appointment& item);
  void AddStartBounds(int node, StartRange* range, bool* found) const;
  void Write(int node, std::string* out) const;

  std::vector<Node> nodes_;
  std::vector<Comparison> comparisons_;
  int root_ = -1;
};

}  // namespace host
