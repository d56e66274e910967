// The grid's columns, cell store, rows, batching and property setters.
#include "cell_grid.h"

#include <algorithm>

#include "cell_grid_access.h"
#include "fw/backend.h"

namespace grid {

// ---------------------------------------------------------------------------------------------
// TCellColumn

TCellColumn::TCellColumn(TCellColumns& collection)
    : collection_(collection),
      width_(collection.Grid().DefColWidth()),
      font_(collection.Grid().font()),
      color_(collection.Grid().Color()) {}

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
  Grid().toggledColumn_ = Index();  // spared by the next fit to the width
  changed(true);
}

void TCellColumn::setStrings(const std::vector<std::string>& v) {
  strings_ = v;
  changed(false);
}

bool TCellColumn::FontIsOwn() const { return !(font_ == Grid().font()); }

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
  if (updateCount_ == 0) grid_.columnsChanged(item);
}

// ---------------------------------------------------------------------------------------------
// TCellGrid: construction

TCellGrid::TCellGrid(fw::Component* owner, fw::Control* parent)
    : fw::CustomControl(owner, parent, fw::WidgetStyle{.border = true, .scrollBars = true}),
      columns_(std::make_unique<TCellColumns>(*this)) {
  // The defaults are design values, at the density of the grid's form.
  const int dpi = this->dpi();
  fw::Font f;
  f.height = fw::scaleToDpi(f.height, dpi);
  headerFont_ = footerFont_ = gutterFont_ = f;
  askedRowHeight_ = defRowHeight_ = lineStep_ = fw::scaleToDpi(designRowHeight_, dpi);
  pageStep_ = 5 * lineStep_;
  defColWidth_ = fw::scaleToDpi(designColWidth_, dpi);
  gutterWidth_ = fw::scaleToDpi(designGutterWidth_, dpi);
  fw::Control::setFont(f);  // the grid's own font, not the parent's
  setDesignFontHeight(fw::Font{}.height);
  setBounds(fw::Rect::fromSize(0, 0, 200, 200));
  setBackground(fw::clWindow);
  setCursor(101);
  inplace_ = std::make_unique<TCellInplace>(*this);
  // The window exists from here on: start without bars and lay out.
  ShowScrollBars(false, false);
  Recalculate();
}

TCellGrid::~TCellGrid() {
  gutterStrings_.clear();
  inplace_.reset();
  columns_.reset();
}

// ---------------------------------------------------------------------------------------------
// Cells

namespace {
const std::string& emptyText() {
  static const std::string empty;
  return empty;
}
}  // namespace

const std::string& TCellGrid::rawText(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0) return emptyText();
  const auto& lines = (*columns_)[col].strings_;
  return static_cast<size_t>(row) < lines.size() ? lines[static_cast<size_t>(row)] : emptyText();
}

std::string TCellGrid::CellText(int col, int row) const {
  if (col < 0 || row < 0 || col > ColCount() - 1 || row > rowCount_ - 1) throw CellIndexError();
  return rawText(col, row);
}

void TCellGrid::EditCellText(int col, int row, bool byUser, std::string text) {
  if (!hasCells()) return;
  const bool inside = col >= 0 && row >= 0 && col <= ColCount() - 1 && row <= rowCount_ - 1;
  if (byUser && inside && (*columns_)[col].ReadOnly()) return;
  if (!inside) throw CellIndexError();
  auto& lines = (*columns_)[col].strings_;
  if (lines.size() <= static_cast<size_t>(row)) lines.resize(static_cast<size_t>(row) + 1);
  std::string& stored = lines[static_cast<size_t>(row)];
  if (stored == text) return;
  if (byUser) {
    std::string s = std::move(text);
    bool canChange = true;
    if (OnCellChanging) OnCellChanging(*this, col, row, canChange);
    if (!canChange) return;
    if (OnCellChange) OnCellChange(*this, col, row, s);
    // A handler may have changed the columns; the cell is looked up again.
    if (col >= ColCount()) return;
    auto& current = (*columns_)[col].strings_;
    if (current.size() <= static_cast<size_t>(row)) current.resize(static_cast<size_t>(row) + 1);
    current[static_cast<size_t>(row)] = std::move(s);
  } else {
    stored = std::move(text);
  }
  if (!batchLock_) {
    RepaintCellText(col, row, false);
    raiseCellEvent(fw::access::event::NameChange, col, row);
  }
}

// ---------------------------------------------------------------------------------------------
// Rows

int TCellGrid::AppendRow() {
  HideCaretAndEditor();
  const size_t last = static_cast<size_t>(rowCount_);
  for (int c = 0; c < ColCount(); ++c) {
    auto& lines = (*columns_)[c].strings_;
    if (lines.size() < last + 1) lines.resize(last + 1);
    lines[last].clear();
  }
  setRowCount(rowCount_ + 1);
  raiseCellEvent(fw::access::event::Reorder, -1, -1);
  return rowCount_ - 1;
}

void TCellGrid::InsertRow(int row) {
  HideCaretAndEditor();
  if (row < 0 || row >= rowCount_) return;
  for (int c = 0; c < ColCount(); ++c) {
    auto& lines = (*columns_)[c].strings_;
    if (lines.size() < static_cast<size_t>(row)) lines.resize(static_cast<size_t>(row));
    lines.insert(lines.begin() + row, std::string());
  }
  setRowCount(rowCount_ + 1);
  raiseCellEvent(fw::access::event::Reorder, -1, -1);
}

void TCellGrid::RemoveRow(int row) {
  HideCaretAndEditor();
  if (row < 0 || row >= rowCount_) return;
  for (int c = 0; c < ColCount(); ++c) {
    auto& lines = (*columns_)[c].strings_;
    if (lines.size() <= static_cast<size_t>(row)) continue;
    // The removed line's storage goes to the end, emptied: the list keeps its length and a
    // later write there reuses it.
    std::rotate(lines.begin() + row, lines.begin() + row + 1, lines.end());
    lines.back().clear();
  }
  if (rowCount_ == currentRow_ + 1) --currentRow_;
  setRowCount(rowCount_ - 1);
  raiseCellEvent(fw::access::event::Reorder, -1, -1);
}

void TCellGrid::ClearAll() {
  for (int c = 0; c < ColCount(); ++c) (*columns_)[c].strings_.clear();
  InvalidateCellArea();
  raiseCellEvent(fw::access::event::Reorder, -1, -1);
}

void TCellGrid::BeginBatch() {
  batchLock_ = true;
  HideCaretAndEditor();
}

void TCellGrid::EndBatch() {
  batchLock_ = false;
  RebuildHeader();
  FullRepaint();
  raiseCellEvent(fw::access::event::Reorder, -1, -1);
}

// ---------------------------------------------------------------------------------------------
// Counts and the current cell

bool TCellGrid::cellStateFits() const {
  if (!hasCells()) return currentCol_ == -1 && currentRow_ == -1;
  const TGridRect grid{0, 0, ColCount() - 1, rowCount_ - 1};
  return grid.Contains(currentCol_, currentRow_) && grid.Contains(selection_.Left, selection_.Top) &&
         grid.Contains(selection_.Right, selection_.Bottom) && selection_.Contains(currentCol_, currentRow_);
}

void TCellGrid::clampCurrentCell() {
  currentCol_ = std::max(0, std::min(currentCol_, ColCount() - 1));
  currentRow_ = std::max(0, std::min(currentRow_, rowCount_ - 1));
  if (!hasCells()) currentCol_ = currentRow_ = -1;
  selection_ = {currentCol_, currentRow_, currentCol_, currentRow_};
  rangeEndCol_ = currentCol_;
  rangeEndRow_ = currentRow_;
}

void TCellGrid::setRowCount(int v) {
  v = std::max(0, v);  // a negative count would index before the first line
  if (v == rowCount_) return;
  rowCount_ = v;
  clampCurrentCell();
  Recalculate();
  FullRepaint();
  NotifyColRowChanged();
}

void TCellGrid::setColCount(int v) {
  v = std::max(0, v);
  if (v == ColCount()) return;
  columns_->BeginUpdate();
  while (ColCount() > v) columns_->Delete(ColCount() - 1);
  while (ColCount() < v) columns_->Add();
  scrollX_ = scrollY_ = 0;
  clampCurrentCell();
  columns_->EndUpdate();
  NotifyColRowChanged();
}

void TCellGrid::setColumns(const TCellColumns& v) { columns_->Assign(v); }

void TCellGrid::columnsChanged(TCellColumn* column) {
  if (column) {
    InvalidateColumn(column->Index());
    return;
  }
  // Columns added or taken away other than through ColCount must not leave the current cell
  // or the selection outside the grid.
  if (!cellStateFits()) clampCurrentCell();
  RebuildHeader();
  FullRepaint();
}

void TCellGrid::SetCurrentCell(int col, int row) {
  currentCol_ = col;
  currentRow_ = row;
  const TGridRect keep = selection_;
  clampCurrentCell();
  selection_ = keep;
  SelectSingleCell();
}

// ---------------------------------------------------------------------------------------------
// Property setters

void TCellGrid::setEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  FullRepaint();
}

void TCellGrid::setDefRowHeight(int v) {
  askedRowHeight_ = v;
  if (!updateRowHeight()) return;
  Recalculate();
  FullRepaint();
}

int TCellGrid::MinRowHeight() const {
  // A line's letters: the cell height without the internal leading, which is the character
  // height the layouts give (so 18 pixels hold the call list's 15-pixel font at 114 dpi).
  auto line = [](const fw::Font& f) {
    const fw::TextMetrics m = fw::backend::measureText(f, "gM");
    return m.height - m.internalLeading;
  };
  int h = line(font()) + kCellPaddingY;
  if (headerLine_ > 0) h = std::max(h, line(headerFont_) + kBoxPaddingY);
  if (showFooter_) h = std::max(h, line(footerFont_) + kBoxPaddingY);
  if (gutterKind_ == gkNumber || gutterKind_ == gkString) h = std::max(h, line(gutterFont_) + kBoxPaddingY);
  return h;
}

bool TCellGrid::updateRowHeight() {
  const int v = std::max({1, askedRowHeight_, MinRowHeight()});  // rows are counted by dividing by it
  if (v == defRowHeight_) return false;
  defRowHeight_ = v;
  lineStep_ = v;
  pageStep_ = 5 * v;
  return true;
}

void TCellGrid::setDefColWidth(int v) {
  if (v == defColWidth_) return;
  defColWidth_ = v;
  if (!autoColWidth_) {
    Recalculate();
    FullRepaint();
  }
}

void TCellGrid::setFlat(bool v) {
  if (v == flat_) return;
  flat_ = v;
  FullRepaint();
}

void TCellGrid::setColor(fw::Color v) {
  if (v == color()) return;
  setBackground(v);  // the control's background, and a repaint of all of it
}

void TCellGrid::setAlternateColor(fw::Color v) {
  if (v == alternateColor_) return;
  alternateColor_ = v;
  InvalidateCellArea();
}

void TCellGrid::setGridColor(fw::Color v) {
  if (v == gridColor_) return;
  gridColor_ = v;
  InvalidateCellArea();
}

void TCellGrid::setShowGrid(bool v) {
  if (v == showGrid_) return;
  showGrid_ = v;
  InvalidateCellArea();
}

void TCellGrid::setHeaderLine(int v) {
  v = std::max(0, v);
  if (v == headerLine_) return;
  headerLine_ = v;
  updateRowHeight();
  RebuildHeader();
  FullRepaint();
}

void TCellGrid::setHeaderColor(fw::Color v) {
  if (v == headerColor_) return;
  headerColor_ = v;
  FullRepaint();
}

void TCellGrid::setHeaderLightColor(fw::Color v) {
  if (v == headerLightColor_) return;
  headerLightColor_ = v;
  FullRepaint();
}

void TCellGrid::setHeaderDarkColor(fw::Color v) {
  if (v == headerDarkColor_) return;
  headerDarkColor_ = v;
  FullRepaint();
}

void TCellGrid::setHeaderFont(const fw::Font& v) {
  headerFont_ = v;
  if (updateRowHeight()) {
    Recalculate();
    FullRepaint();
    return;
  }
  InvalidateHeader();
}

void TCellGrid::setFooterFont(const fw::Font& v) {
  footerFont_ = v;
  if (updateRowHeight()) Recalculate();
  FullRepaint();
}

void TCellGrid::setSelectionColor(fw::Color v) {
  if (v == selectionColor_) return;
  selectionColor_ = v;
  InvalidateCellArea();
}

void TCellGrid::setFitToWidth(bool v) {
  if (v == fitToWidth_) return;
  fitToWidth_ = v;
  scrollX_ = 0;
  Recalculate();
  FullRepaint();
}

void TCellGrid::setAutoColWidth(bool v) {
  if (v == autoColWidth_) return;
  autoColWidth_ = v;
  Recalculate();
  FullRepaint();
}

void TCellGrid::setGutterKind(TGutterKind v) {
  if (v == gutterKind_) return;
  const TGutterKind old = gutterKind_;
  gutterKind_ = v;
  const bool taller = updateRowHeight();
  Recalculate();
  if (old == gkNone || v == gkNone || taller) {
    FullRepaint();
  } else {
    InvalidateGutter();
  }
}

void TCellGrid::setGutterWidth(int v) {
  if (v == gutterWidth_) return;
  gutterWidth_ = v;
  Recalculate();
  FullRepaint();
}

void TCellGrid::setGutterFont(const fw::Font& v) {
  gutterFont_ = v;
  if (updateRowHeight()) {
    Recalculate();
    FullRepaint();
    return;
  }
  InvalidateGutter();
}

void TCellGrid::setGutterStrings(const std::vector<std::string>& v) {
  gutterStrings_ = v;
  if (gutterKind_ == gkString) InvalidateGutter();
}

void TCellGrid::setShowFooter(bool v) {
  if (v == showFooter_) return;
  showFooter_ = v;
  updateRowHeight();
  Recalculate();
  FullRepaint();
}

void TCellGrid::fontChanged() {
  // Column fonts follow the grid's font.
  if (!columns_) return;
  if (updateRowHeight()) {
    Recalculate();
    FullRepaint();
  }
  for (int c = 0; c < ColCount(); ++c) (*columns_)[c].setFont(font());
}

}  // namespace grid
