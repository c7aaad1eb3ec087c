#include "host/store/FilterLexer.h"

#include "host/store/FilterError.h"

namespace host {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  std::vector<FilterToken> Run() {
    std::vector<FilterToken> tokens;
    for (;;) {
      while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
      FilterToken token;
      token.offset = pos_;
      if (pos_ == text_.size()) {
        tokens.push_back(std::move(token));
        return tokens;
      }
      Next(token);
      tokens.push_back(std::move(token));
    }
  }

 private:
  [[noreturn]] void Fail(std::size_t offset, const std::string& message) const {
    throw FilterError(CharacterPosition(text_, offset), message);
  }

  char At(std::size_t i) const { return i < text_.size() ? text_[i] : '\0'; }

  void Next(FilterToken& token) {
    const char c = text_[pos_];
    if (c == '[') {
      const std::size_t close = text_.find(']', pos_ + 1);
      if (close == std::string_view::npos) Fail(pos_, "the field name has no closing ]");
      if (close == pos_ + 1) Fail(pos_, "empty field name []");
      token.kind = FilterToken::Kind::kField;
      token.text = std::string(text_.substr(pos_ + 1, close - pos_ - 1));
      pos_ = close + 1;
    } else if (c == '(' || c == ')') {
      token.kind = c == '(' ? FilterToken::Kind::kOpen : FilterToken::Kind::kClose;
      token.text = c;
      ++pos_;
    } else if (c == '=' || c == '<' || c == '>') {
      std::size_t length = 1;
      if ((c == '<' && (At(pos_ + 1) == '=' || At(pos_ + 1) == '>')) ||
          (c == '>' && At(pos_ + 1) == '=')) {
        length = 2;
      }
      token.kind = FilterToken::Kind::kOperator;
      token.text = std::string(text_.substr(pos_, length));
      pos_ += length;
    } else if (c == '"' || c == '\'') {
      String(token, c);
    } else if (IsDigit(c) || ((c == '-' || c == '+' || c == '.') && StartsNumber(pos_))) {
      Number(token);
    } else if (IsLetter(c)) {
      token.kind = FilterToken::Kind::kWord;
      const std::size_t start = pos_;
      while (pos_ < text_.size() && (IsLetter(text_[pos_]) || IsDigit(text_[pos_]))) ++pos_;
      token.text = std::string(text_.substr(start, pos_ - start));
    } else {
      Fail(pos_, "unexpected character");
    }
  }

  // A sign or a point starts a number only when a digit follows it.
  bool StartsNumber(std::size_t i) const {
    if (At(i) == '-' || At(i) == '+') ++i;
    if (At(i) == '.') ++i;
    return IsDigit(At(i));
  }

  void String(FilterToken& token, char quote) {
    token.kind = FilterToken::Kind::kString;
    token.quote = quote;
    const std::size_t start = pos_++;
    for (;;) {
      if (pos_ >= text_.size()) Fail(start, "the text has no closing quote");
      if (text_[pos_] == quote) {
        if (At(pos_ + 1) != quote) {
          ++pos_;
          return;
        }
        ++pos_;  // a doubled quote stands for one
      }
      token.text.push_back(text_[pos_++]);
    }
  }

  void Number(FilterToken& token) {
    token.kind = FilterToken::Kind::kNumber;
    const std::size_t start = pos_;
    if (text_[pos_] == '-' || text_[pos_] == '+') ++pos_;
    while (IsDigit(At(pos_))) ++pos_;
    if (At(pos_) == '.') {
      ++pos_;
      while (IsDigit(At(pos_))) ++pos_;
    }
    token.text = std::string(text_.substr(start, pos_ - start));
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::vector<FilterToken> SplitFilter(std::string_view filter) { return Lexer(filter).Run(); }

std::size_t CharacterPosition(std::string_view text, std::size_t offset) {
  std::size_t characters = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    // Continuation bytes of UTF-8 do not start a character.
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++characters;
  }
  return characters;
}

}  // namespace host
