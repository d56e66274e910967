// The clipboard text of blocks of cells: fields written and read in the quoted form that
// spreadsheets use for a cell that holds a tab, a line break or a leading quote.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "cell_grid_clipboard.h"

namespace grid {

bool needsClipboardQuotes(std::string_view text) {
  return !text.empty() && (text.front() == '"' || text.find_first_of("\t\r\n") != std::string_view::npos);
}

void appendClipboardField(std::string& out, std::string_view text) {
  if (!needsClipboardQuotes(text)) {
    out += text;
    return;
  }
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

bool ClipboardReader::readField(std::string* value) {
  if (pos_ < text_.size() && text_[pos_] == '"' && readQuoted(value)) return endField();
  const size_t end = std::min(text_.find_first_of("\t\r\n", pos_), text_.size());
  if (value) value->assign(text_.substr(pos_, end - pos_));
  pos_ = end;
  return endField();
}

// The quoted form, when the field at pos_ is in it: the closing quote is the first quote not
// doubled, and only a tab, a line break or the end may follow it. Otherwise nothing is read
// and the field is plain text. A scan that fails stops at the first lone quote, so no part of
// the text is scanned more than a few times whatever its quotes.
bool ClipboardReader::readQuoted(std::string* value) {
  size_t q = pos_ + 1;
  for (;;) {
    q = text_.find('"', q);
    if (q == std::string_view::npos) return false;
    if (q + 1 < text_.size() && text_[q + 1] == '"') {
      q += 2;
      continue;
    }
    break;
  }
  if (q + 1 < text_.size() && !isBreakOrTab(text_[q + 1])) return false;
  if (value) {
    value->clear();
    for (size_t i = pos_ + 1; i < q; ++i) {
      *value += text_[i];
      if (text_[i] == '"') ++i;  // the second of a doubled quote
    }
  }
  pos_ = q + 1;
  return true;
}

// After a field: a tab starts the next field of the line; CR LF, a lone LF or a lone CR, or the
// end of the text, ends the line.
bool ClipboardReader::endField() {
  if (pos_ < text_.size() && text_[pos_] == '\t') {
    ++pos_;
    return true;
  }
  if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
  return false;
}

PastedBlock readClipboardBlock(std::string_view text, size_t keep) {
  PastedBlock block;
  ClipboardReader reader(text);
  std::vector<std::string> fields;
  while (!reader.atEnd()) {
    const bool kept = block.lineCount < keep;
    size_t count = 0;
    fields.clear();
    for (bool more = true; more; ++count) {
      std::string* value = nullptr;
      if (kept) value = &fields.emplace_back();
      more = reader.readField(value);
    }
    block.width = std::max(block.width, count);
    if (kept) block.lines.push_back(std::move(fields));
    ++block.lineCount;
  }
  return block;
}

}  // namespace grid
