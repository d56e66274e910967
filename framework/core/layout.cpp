#include "fw/layout.h"

#include <cctype>
#include <charconv>

namespace fw {
namespace {

std::string describe(const std::string& file, int line, const std::string& property, const std::string& message) {
  std::string s = file + ":" + std::to_string(line) + ": ";
  if (!property.empty()) s += property + ": ";
  return s + message;
}

class Parser {
 public:
  Parser(const std::string& text, const std::string& file) : text_(text), file_(file) {}

  LayoutNode parseDocument() {
    skipBlank();
    if (atEnd()) fail("", "the layout is empty");
    LayoutNode root = parseObject();
    skipBlank();
    if (!atEnd()) fail("", "unexpected text after the last 'end'");
    return root;
  }

 private:
  [[noreturn]] void fail(const std::string& property, const std::string& message) const {
    throw LayoutError(file_, line_, property, message);
  }

  bool atEnd() const { return pos_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }

  // Skips spaces, newlines and comments.
  void skipBlank() {
    while (!atEnd()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++pos_;
      } else if (c == '#') {
        while (!atEnd() && text_[pos_] != '\n') ++pos_;
      } else {
        return;
      }
    }
  }
  // Skips spaces within the line only.
  void skipSpaces() {
    while (!atEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r')) ++pos_;
  }

  static bool isWordStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
  static bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

  std::string word() {
    const std::size_t start = pos_;
    if (!isWordStart(peek())) return {};
    while (isWordChar(peek())) ++pos_;
    return text_.substr(start, pos_ - start);
  }

  // A dotted key such as Font.Height.
  std::string key() {
    std::string k = word();
    while (!k.empty() && peek() == '.') {
      ++pos_;
      const std::string part = word();
      if (part.empty()) fail(k, "a property name may not end with '.'");
      k += "." + part;
    }
    return k;
  }

  void endOfLine(const std::string& property) {
    skipSpaces();
    if (peek() == '#') {
      while (!atEnd() && text_[pos_] != '\n') ++pos_;
    }
    if (!atEnd() && peek() != '\n') fail(property, "unexpected text at the end of the line");
  }

  LayoutNode parseObject() {
    LayoutNode node;
    node.line = line_;
    if (word() != "object") fail("", "expected 'object'");
    skipSpaces();
    node.name = word();
    if (node.name.empty()) fail("", "expected the component's name after 'object'");
    skipSpaces();
    if (peek() != ':') fail("", "expected ':' and a class name after '" + node.name + "'");
    ++pos_;
    skipSpaces();
    node.className = word();
    if (node.className.empty()) fail("", "expected a class name for '" + node.name + "'");
    endOfLine("");
    for (;;) {
      skipBlank();
      if (atEnd()) fail("", "'object " + node.name + "' has no 'end'");
      const std::size_t save = pos_;
      const int saveLine = line_;
      const std::string k = key();
      if (k.empty()) fail("", "expected a property, 'object' or 'end'");
      if (k == "end") {
        endOfLine("");
        return node;
      }
      if (k == "object") {
        pos_ = save;
        line_ = saveLine;
        node.children.push_back(parseObject());
        continue;
      }
      node.properties.push_back(parseProperty(k));
    }
  }

  LayoutProperty parseProperty(const std::string& k) {
    LayoutProperty p;
    p.key = k;
    p.line = line_;
    skipSpaces();
    if (peek() != '=') fail(k, "expected '=' after the property name");
    ++pos_;
    skipSpaces();
    p.value = parseValue(k);
    endOfLine(k);
    return p;
  }

  LayoutValue parseValue(const std::string& k) {
    LayoutValue v;
    const char c = peek();
    if (c == '"') {
      v.kind = LayoutValue::Kind::String;
      v.text = parseString(k);
    } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
      v.kind = LayoutValue::Kind::Integer;
      v.integer = parseInteger(k);
    } else if (c == '[') {
      v.kind = LayoutValue::Kind::Set;
      v.items = parseSet(k);
    } else if (c == '(') {
      v.kind = LayoutValue::Kind::List;
      v.items = parseList(k);
    } else if (isWordStart(c)) {
      v.kind = LayoutValue::Kind::Identifier;
      v.text = word();
    } else {
      fail(k, "expected a value");
    }
    return v;
  }

  std::string parseString(const std::string& k) {
    ++pos_;  // opening quote
    std::string s;
    for (;;) {
      if (atEnd() || peek() == '\n') fail(k, "the string has no closing '\"'");
      const char c = text_[pos_++];
      if (c == '"') return s;
      if (c == '\\') {
        const char e = peek();
        if (e == '"' || e == '\\') {
          s += e;
          ++pos_;
        } else if (e == 'n') {
          s += '\n';
          ++pos_;
        } else {
          fail(k, std::string("unknown escape '\\") + e + "' in a string");
        }
      } else {
        s += c;
      }
    }
  }

  long long parseInteger(const std::string& k) {
    const std::size_t start = pos_;
    if (peek() == '-') ++pos_;
    while (std::isdigit(static_cast<unsigned char>(peek()))) ++pos_;
    long long value = 0;
    const auto* first = text_.data() + start;
    const auto* last = text_.data() + pos_;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || isWordChar(peek()))
      fail(k, "'" + std::string(first, last) + (isWordChar(peek()) ? "...'" : "'") + " is not an integer");
    return value;
  }

  std::vector<std::string> parseSet(const std::string& k) {
    ++pos_;
    std::vector<std::string> items;
    skipSpaces();
    if (peek() == ']') {
      ++pos_;
      return items;
    }
    for (;;) {
      skipSpaces();
      const std::string w = word();
      if (w.empty()) fail(k, "expected a name in the set");
      items.push_back(w);
      skipSpaces();
      if (peek() == ']') {
        ++pos_;
        return items;
      }
      if (peek() != ',') fail(k, "expected ',' or ']' in the set");
      ++pos_;
    }
  }

  std::vector<std::string> parseList(const std::string& k) {
    ++pos_;
    std::vector<std::string> items;
    for (;;) {
      skipBlank();
      if (atEnd()) fail(k, "the list has no closing ')'");
      if (peek() == ')') {
        ++pos_;
        return items;
      }
      if (peek() != '"') fail(k, "expected a string or ')' in the list");
      items.push_back(parseString(k));
    }
  }

  const std::string& text_;
  const std::string& file_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace

LayoutError::LayoutError(const std::string& file, int line, const std::string& property, const std::string& message)
    : std::runtime_error(describe(file, line, property, message)), file_(file), line_(line), property_(property) {}

LayoutNode parseLayout(const std::string& text, const std::string& fileName) {
  return Parser(text, fileName).parseDocument();
}

}  // namespace fw
