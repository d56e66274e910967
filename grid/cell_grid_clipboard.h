// The grid's clipboard text, one field per cell: tab-separated fields, lines ending in CR LF.
// A field whose text holds a tab or a line break, or begins with a double quote, is written in
// the quoted form spreadsheets use (the text in double quotes, inner quotes doubled), so that
// any cell texts come back unchanged from a copy and a paste. Exposed for the fuzzers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace grid {

bool needsClipboardQuotes(std::string_view text);
// Appends text as one field, quoted when it needs to be.
void appendClipboardField(std::string& out, std::string_view text);

// Reads a clipboard text field by field. A field that starts with a double quote and whose
// closing quote (the first one not doubled) is followed by a tab, a line break or the end is in
// the quoted form, and its value is what the quotes hold. Any other field is plain: its value
// runs to the next tab or line break, quotes and all, so text from a program that never quotes
// reads as it always did. Lines end at CR LF, a lone LF or a lone CR; a final line break does
// not start an empty line.
class ClipboardReader {
 public:
  explicit ClipboardReader(std::string_view text) : text_(text) {}
  bool atEnd() const { return pos_ >= text_.size(); }
  // Reads the next field into value (skipped when null). True when the line goes on with
  // another field, false when the field ended its line.
  bool readField(std::string* value);

 private:
  static bool isBreakOrTab(char c) { return c == '\t' || c == '\r' || c == '\n'; }
  bool readQuoted(std::string* value);
  bool endField();

  std::string_view text_;
  std::size_t pos_ = 0;
};

// A clipboard text read as a block. Every line counts for the number of lines and the width,
// but only the first few are kept: the text may hold far more lines than the grid has rows.
struct PastedBlock {
  std::size_t lineCount = 0;
  std::size_t width = 1;                        // the most fields of any line
  std::vector<std::vector<std::string>> lines;  // the first min(lineCount, keep) lines
};

// Reads a whole clipboard text, keeping its first `keep` lines.
PastedBlock readClipboardBlock(std::string_view text, std::size_t keep);

}  // namespace grid
