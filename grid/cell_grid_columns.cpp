// The grid's columns: each one's setters, and the collection that reports their changes.
#include "cell_grid_columns.h"

namespace grid {

// ---------------------------------------------------------------------------------------------
// TCellColumn

TCellColumn::TCellColumn(TCellColumns& collection)
    : collection_(collection),
      width_(collection.Owner().newColumnWidth()),
      font_(collection.Owner().gridFont()),
      color_(collection.Owner().newColumnColor()) {}

TCellGrid& TCellColumn::Grid() const { return collection_.Grid(); }

int TCellColumn::Index() const {
  for (int i = 0; i < collection_.Count(); ++i)
    if (&collection_[i] == this) return i;
  return -1;
}

std::string TCellColumn::DisplayName() const {
  return title_.empty() ? "Column " + std::to_string(Index()) : title_;
}

void TCellColumn::changed(bool all) { collection_.Changed(all ? nullptr : this); }

void TCellColumn::setTitle(const std::string& v) {
  if (v == title_) return;
  title_ = v;
  changed(true);
}

void TCellColumn::setFooter(const std::string& v) {
  if (v == footer_) return;
  footer_ = v;
  changed(false);
}

void TCellColumn::setWidth(int v) {
  designWidth_ = fw::kNoDesign;  // a width set by the program keeps its proportion
  if (v == width_) return;
  width_ = v;
  changed(true);
}

void TCellColumn::setFont(const fw::Font& v) {
  font_ = v;
  changed(false);
}

void TCellColumn::setColor(fw::Color v) {
  if (v == color_) return;
  color_ = v;
  changed(false);
}

void TCellColumn::setHorzAlign(THorzAlign v) {
  if (v == horzAlign_) return;
  horzAlign_ = v;
  changed(false);
}

void TCellColumn::setVertAlign(TVertAlign v) {
  if (v == vertAlign_) return;
  vertAlign_ = v;
  changed(false);
}

void TCellColumn::setVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  collection_.Owner().columnToggled(Index());
  changed(true);
}

void TCellColumn::setStrings(const std::vector<std::string>& v) {
  strings_ = v;
  changed(false);
}

void TCellColumn::rescale(int oldDpi, int newDpi) {
  // A width from the layout is its design width scaled (a fitted width differs from it by the
  // fit, which the grid makes again); any other keeps its proportion. A font that follows the
  // grid's is set by the grid.
  width_ = designWidth_ != fw::kNoDesign ? fw::scaleToDpi(designWidth_, newDpi) : fw::mulDiv(width_, newDpi, oldDpi);
  if (FontIsOwn()) font_.height = fw::rescale(font_.height, designFontHeight_, oldDpi, newDpi);
}

bool TCellColumn::FontIsOwn() const { return !(font_ == collection_.Owner().gridFont()); }

void TCellColumn::Assign(const TCellColumn& source) {
  if (&source == this) return;
  setTitle(source.title_);
  setFooter(source.footer_);
  setWidth(source.width_);
  setFont(source.font_);
  setColor(source.color_);
  setHorzAlign(source.horzAlign_);
  setVertAlign(source.vertAlign_);
  setVisible(source.visible_);
  tag_ = source.tag_;
  tag2_ = source.tag2_;
  hint_ = source.hint_;
  canResize_ = source.canResize_;
  readOnly_ = source.readOnly_;
  strings_ = source.strings_;
  changed(false);
}

// ---------------------------------------------------------------------------------------------
// TCellColumns

const std::string& TCellColumns::Text(int col, int row) const {
  static const std::string empty;
  if (col < 0 || col >= Count() || row < 0) return empty;
  const std::vector<std::string>& lines = (*this)[col].Strings();
  return static_cast<size_t>(row) < lines.size() ? lines[static_cast<size_t>(row)] : empty;
}

TCellColumn& TCellColumns::Add() {
  items_.push_back(std::make_unique<TCellColumn>(*this));
  Changed(nullptr);
  return *items_.back();
}

void TCellColumns::Delete(int index) {
  items_.erase(items_.begin() + index);
  Changed(nullptr);
}

void TCellColumns::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed(nullptr);
}

void TCellColumns::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed(nullptr);
}

void TCellColumns::Assign(const TCellColumns& source) {
  if (&source == this) return;
  BeginUpdate();
  Clear();
  for (const auto& item : source.items_) Add().Assign(*item);
  EndUpdate();
}

void TCellColumns::Changed(TCellColumn* item) {
  if (updateCount_ == 0) owner_.columnsChanged(item);
}

}  // namespace grid
