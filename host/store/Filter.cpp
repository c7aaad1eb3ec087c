#include "host/store/Filter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "host/store/FilterError.h"
#include "host/store/FilterLexer.h"
#include "platform/text/CaseFold.h"

namespace host {
namespace {

// Parentheses and NOTs within one another. Outlook's filters are short; the
// limit keeps a hostile text from running the parser out of stack.
constexpr int kMaxNesting = 100;

struct YesNoWord {
  const char* word;
  bool value;
};
constexpr YesNoWord kYesNoWords[] = {{"True", true}, {"False", false}, {"Yes", true},
                                     {"No", false},  {"On", true},     {"Off", false}};

bool IsKeyword(const FilterToken& token, const char* keyword) {
  return token.kind == FilterToken::Kind::kWord && text::EqualIgnoringCase(token.text, keyword);
}

std::optional<double> ReadNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                            std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

class Filter::Parser {
 public:
  Parser(std::string_view text, const FieldCatalog& fields, const DateReading* dates,
         Filter* filter)
      : text_(text), fields_(fields), dates_(dates), filter_(filter), tokens_(SplitFilter(text)) {}

  void Run() {
    if (Peek().kind == FilterToken::Kind::kEnd) Fail(Peek(), "the filter is empty");
    filter_->root_ = ParseOr(0);
    if (Peek().kind != FilterToken::Kind::kEnd) Fail(Peek(), "expected AND, OR or the end");
  }

 private:
  [[noreturn]] void Fail(const FilterToken& at, const std::string& message) const {
    throw FilterError(CharacterPosition(text_, at.offset), message);
  }

  const FilterToken& Peek() const { return tokens_[next_]; }
  const FilterToken& Take() {
    const FilterToken& token = tokens_[next_];
    if (token.kind != FilterToken::Kind::kEnd) ++next_;
    return token;
  }

  int AddNode(Node node) {
    filter_->nodes_.push_back(std::move(node));
    return static_cast<int>(filter_->nodes_.size() - 1);
  }

  // One node for a whole run of a AND b AND c: no chain of nodes as deep as
  // the filter is long.
  int ParseOr(int depth) {
    Node node{Node::Kind::kOr, {ParseAnd(depth)}, -1};
    while (IsKeyword(Peek(), "OR")) {
      Take();
      node.children.push_back(ParseAnd(depth));
    }
    return node.children.size() == 1 ? node.children.front() : AddNode(std::move(node));
  }

  int ParseAnd(int depth) {
    Node node{Node::Kind::kAnd, {ParseNot(depth)}, -1};
    while (IsKeyword(Peek(), "AND")) {
      Take();
      node.children.push_back(ParseNot(depth));
    }
    return node.children.size() == 1 ? node.children.front() : AddNode(std::move(node));
  }

  int ParseNot(int depth) {
    if (!IsKeyword(Peek(), "NOT")) return ParsePrimary(depth);
    if (depth >= kMaxNesting) Fail(Peek(), "too deeply nested");
    Take();
    const int operand = ParseNot(depth + 1);
    return AddNode(Node{Node::Kind::kNot, {operand}, -1});
  }

  int ParsePrimary(int depth) {
    const FilterToken& token = Peek();
    if (token.kind == FilterToken::Kind::kOpen) {
      if (depth >= kMaxNesting) Fail(token, "too deeply nested");
      Take();
      const int inner = ParseOr(depth + 1);
      if (Peek().kind != FilterToken::Kind::kClose) Fail(Peek(), "expected )");
      Take();
      return inner;
    }
    if (token.kind != FilterToken::Kind::kField) Fail(token, "expected a [field] or (");
    return ParseComparison();
  }

  int ParseComparison() {
    const FilterToken& name = Take();
    std::optional<FilterField> field = fields_.Find(name.text);
    if (!field) Fail(name, "unknown field [" + name.text + "]");
    const FilterToken& op = Take();
    if (op.kind != FilterToken::Kind::kOperator) {
      Fail(op, "expected =, <>, <, <=, > or >= after [" + name.text + "]");
    }
    const FilterToken& value = Take();
    Comparison comparison;
    comparison.op = ReadOp(op.text);
    comparison.writtenName = name.text;
    comparison.value = ReadLiteral(*field, value);
    comparison.field = std::move(*field);
    filter_->comparisons_.push_back(std::move(comparison));
    return AddNode(
        Node{Node::Kind::kCompare, {}, static_cast<int>(filter_->comparisons_.size() - 1)});
  }

  static Op ReadOp(const std::string& op) {
    if (op == "<>") return Op::kNotEqual;
    if (op == "<") return Op::kLess;
    if (op == "<=") return Op::kLessOrEqual;
    if (op == ">") return Op::kGreater;
    if (op == ">=") return Op::kGreaterOrEqual;
    return Op::kEqual;
  }

  // Every reading of the value that the field, or an item's property of
  // another type under the same name, may compare with. The field's own type
  // must find its reading, or the filter is refused.
  Literal ReadLiteral(const FilterField& field, const FilterToken& token) {
    Literal literal;
    literal.written = token.text;
    literal.folded = text::FoldCase(token.text);
    const std::string where = " for [" + field.name + "]";
    switch (token.kind) {
      case FilterToken::Kind::kNumber:
        literal.number = ReadNumber(token.text);
        if (!literal.number) Fail(token, "the number is out of range");
        literal.yesNo = *literal.number != 0.0;
        break;
      case FilterToken::Kind::kString:
        literal.quote = token.quote;
        literal.number = ReadNumber(token.text);
        // Outlook takes any text but the empty one as True.
        literal.yesNo = !token.text.empty();
        break;
      case FilterToken::Kind::kWord:
        if (IsKeyword(token, "AND") || IsKeyword(token, "OR") || IsKeyword(token, "NOT")) {
          Fail(token, "expected a value" + where);
        }
        for (const YesNoWord& w : kYesNoWords) {
          if (text::EqualIgnoringCase(token.text, w.word)) literal.yesNo = w.value;
        }
        if (!literal.yesNo || field.type != PropertyType::kYesNo) {
          Fail(token, "a text value must be in quotes" + where);
        }
        break;
      default:
        Fail(token, "expected a value" + where);
    }
    switch (field.type) {
      case PropertyType::kText:
        break;
      case PropertyType::kNumber:
      case PropertyType::kInteger:
        if (!literal.number) Fail(token, "expected a number" + where);
        break;
      case PropertyType::kYesNo:
        break;
      case PropertyType::kDateTime:
        if (token.kind != FilterToken::Kind::kString) {
          Fail(token, "a date must be in quotes" + where);
        }
        literal.seconds = ReadFilterDate(token.text, Dates());
        if (!literal.seconds) Fail(token, "\"" + token.text + "\" is not a date" + where);
        break;
    }
    return literal;
  }

  const DateReading& Dates() {
    if (dates_ == nullptr) {
      userDates_ = DateReading::ForUserLocale();
      dates_ = &*userDates_;
    }
    return *dates_;
  }

  std::string_view text_;
  const FieldCatalog& fields_;
  const DateReading* dates_;
  std::optional<DateReading> userDates_;
  Filter* filter_;
  std::vector<FilterToken> tokens_;
  std::size_t next_ = 0;
};

Filter Filter::Parse(std::string_view text, const FieldCatalog& fields) {
  Filter filter;
  Parser(text, fields, nullptr, &filter).Run();
  return filter;
}

Filter Filter::Parse(std::string_view text, const FieldCatalog& fields, const DateReading& dates) {
  Filter filter;
  Parser(text, fields, &dates, &filter).Run();
  return filter;
}

bool Filter::Matches(const Appointment& item) const { return Evaluate(root_, item); }

bool Filter::Evaluate(int index, const Appointment& item) const {
  const Node& node = nodes_[static_cast<std::size_t>(index)];
  switch (node.kind) {
    case Node::Kind::kCompare:
      return Compare(comparisons_[static_cast<std::size_t>(node.comparison)], item);
    case Node::Kind::kAnd:
      return std::all_of(node.children.begin(), node.children.end(),
                         [&](int child) { return Evaluate(child, item); });
    case Node::Kind::kOr:
      return std::any_of(node.children.begin(), node.children.end(),
                         [&](int child) { return Evaluate(child, item); });
    case Node::Kind::kNot:
      return !Evaluate(node.children.front(), item);
  }
  return false;
}

namespace {

// -1, 0 or 1 as a is below, equal to or above b.
template <typename T>
int Order(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

bool Filter::Compare(const Comparison& comparison, const Appointment& item) {
  const std::optional<FieldValue> value = ValueOf(comparison.field, item);
  if (!value) return false;
  const Literal& literal = comparison.value;
  int order = 0;
  switch (value->type) {
    case PropertyType::kText:
      if (comparison.op == Op::kEqual || comparison.op == Op::kNotEqual) {
        order = text::EqualIgnoringCase(value->text, literal.written) ? 0 : 1;
      } else {
        order = Order(text::FoldCase(value->text), literal.folded);
      }
      break;
    case PropertyType::kNumber:
    case PropertyType::kInteger:
      if (!literal.number) return false;
      order = Order(value->number, *literal.number);
      break;
    case PropertyType::kYesNo:
      if (!literal.yesNo) return false;
      order = Order(value->number != 0.0, *literal.yesNo);
      break;
    case PropertyType::kDateTime:
      if (!literal.seconds) return false;
      order = Order(value->seconds, *literal.seconds);
      break;
  }
  switch (comparison.op) {
    case Op::kEqual:
      return order == 0;
    case Op::kNotEqual:
      return order != 0;
    case Op::kLess:
      return order < 0;
    case Op::kLessOrEqual:
      return order <= 0;
    case Op::kGreater:
      return order > 0;
    case Op::kGreaterOrEqual:
      return order >= 0;
  }
  return false;
}

std::optional<StartRange> Filter::RangeOfStart() const {
  StartRange range;
  bool found = false;
  AddStartBounds(root_, &range, &found);
  if (!found) return std::nullopt;
  return range;
}

void Filter::AddStartBounds(int index, StartRange* range, bool* found) const {
  const Node& node = nodes_[static_cast<std::size_t>(index)];
  if (node.kind == Node::Kind::kAnd) {
    for (int child : node.children) AddStartBounds(child, range, found);
    return;
  }
  if (node.kind != Node::Kind::kCompare) return;
  const Comparison& c = comparisons_[static_cast<std::size_t>(node.comparison)];
  if (c.field.builtIn != BuiltInField::kStart || !c.value.seconds) return;
  const std::int64_t s = *c.value.seconds;
  switch (c.op) {
    case Op::kEqual:
      range->first = std::max(range->first, s);
      range->last = std::min(range->last, s);
      break;
    case Op::kGreaterOrEqual:
      range->first = std::max(range->first, s);
      break;
    case Op::kGreater:
      range->first = std::max(range->first, s + 1);
      break;
    case Op::kLessOrEqual:
      range->last = std::min(range->last, s);
      break;
    case Op::kLess:
      range->last = std::min(range->last, s - 1);
      break;
    case Op::kNotEqual:
      return;
  }
  *found = true;
}

std::string Filter::ToString() const {
  std::string out;
  Write(root_, &out);
  return out;
}

void Filter::Write(int index, std::string* out) const {
  const Node& node = nodes_[static_cast<std::size_t>(index)];
  auto writeGrouped = [&](int child) {
    const Node::Kind kind = nodes_[static_cast<std::size_t>(child)].kind;
    const bool group = kind == Node::Kind::kAnd || kind == Node::Kind::kOr;
    if (group) out->push_back('(');
    Write(child, out);
    if (group) out->push_back(')');
  };
  switch (node.kind) {
    case Node::Kind::kCompare: {
      static constexpr const char* kOps[] = {"=", "<>", "<", "<=", ">", ">="};
      const Comparison& c = comparisons_[static_cast<std::size_t>(node.comparison)];
      *out += "[" + c.writtenName + "] " + kOps[static_cast<int>(c.op)] + " ";
      if (c.value.quote == '\0') {
        *out += c.value.written;
        return;
      }
      out->push_back(c.value.quote);
      for (char ch : c.value.written) {
        if (ch == c.value.quote) out->push_back(ch);
        out->push_back(ch);
      }
      out->push_back(c.value.quote);
      return;
    }
    case Node::Kind::kNot:
      *out += "NOT ";
      writeGrouped(node.children.front());
      return;
    case Node::Kind::kAnd:
    case Node::Kind::kOr:
      for (std::size_t i = 0; i < node.children.size(); ++i) {
        if (i > 0) *out += node.kind == Node::Kind::kAnd ? " AND " : " OR ";
        writeGrouped(node.children[i]);
      }
      return;
  }
}

}  // namespace host
