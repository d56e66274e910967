// The grid's construction, cell store, rows, batching, counts and the current cell.
#include "cell_grid.h"

#include <algorithm>

#include "cell_grid_access.h"
#include "fw/backend.h"

namespace grid {

// ---------------------------------------------------------------------------------------------
// TCellGrid: construction

TCellGrid::TCellGrid(fw::Component* owner, fw::Control* parent)
    : fw::CustomControl(owner, parent, fw::WidgetStyle{.border = true, .scrollBars = true}),
      columns_(std::make_unique<TCellColumns>(*this, static_cast<TColumnsOwner&>(*this))) {
  // The defaults are design values, at the density of the grid's form.
  const int dpi = this->dpi();
  fw::Font f;
  f.height = fw::scaleToDpi(f.height, dpi);
  // The header, footer and gutter show Turkish titles: asked for in the default character set,
  // a system of another code page gives them a face without letters such as the dotless i.
  fw::Font boxFont = f;
  boxFont.charset = fw::kTurkishCharset;
  headerFont_ = footerFont_ = gutterFont_ = boxFont;
  askedRowHeight_ = defRowHeight_ = fw::scaleToDpi(design_.rowHeight, dpi);
  defColWidth_ = fw::scaleToDpi(design_.colWidth, dpi);
  gutterWidth_ = fw::scaleToDpi(design_.gutterWidth, dpi);
  fw::Control::setFont(f);  // the grid's own font, not the parent's
  setDesignFontHeight(fw::Font{}.height);
  setBounds(fw::Rect::fromSize(0, 0, 200, 200));
  setBackground(fw::clWindow);
  setCursor(CursorOfMode(drag_.mode));
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

const std::string& TCellGrid::rawText(int col, int row) const { return columns_->Text(col, row); }

std::string TCellGrid::CellText(int col, int row) const {
  if (col < 0 || row < 0 || col > ColCount() - 1 || row > rowCount_ - 1) throw CellIndexError();
  return rawText(col, row);
}

void TCellGrid::EditCellText(int col, int row, bool byUser, std::string text) {
  if (!hasCells()) return;
  const bool inside = col >= 0 && row >= 0 && col <= ColCount() - 1 && row <= rowCount_ - 1;
  if (byUser && inside && (*columns_)[col].ReadOnly()) return;
  if (!inside) throw CellIndexError();
  auto& lines = (*columns_)[col].Cells();
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
    auto& current = (*columns_)[col].Cells();
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
    auto& lines = (*columns_)[c].Cells();
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
    auto& lines = (*columns_)[c].Cells();
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
    auto& lines = (*columns_)[c].Cells();
    if (lines.size() <= static_cast<size_t>(row)) continue;
    // The removed line's storage goes to the end, emptied: the list keeps its length and a
    // later write there reuses it.
    std::rotate(lines.begin() + row, lines.begin() + row + 1, lines.end());
    lines.back().clear();
  }
  if (rowCount_ == sel_.row + 1) --sel_.row;
  setRowCount(rowCount_ - 1);
  raiseCellEvent(fw::access::event::Reorder, -1, -1);
}

void TCellGrid::ClearAll() {
  for (int c = 0; c < ColCount(); ++c) (*columns_)[c].Cells().clear();
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

void TCellGrid::setRowCount(int v) {
  v = std::max(0, v);  // a negative count would index before the first line
  if (v == rowCount_) return;
  rowCount_ = v;
  sel_.clampTo(ColCount(), rowCount_);
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
  scroll_.x = scroll_.y = 0;
  sel_.clampTo(ColCount(), rowCount_);
  columns_->EndUpdate();
  NotifyColRowChanged();
}

void TCellGrid::setColumns(const TCellColumns& v) { columns_->Assign(v); }

bool TCellGrid::EditorActive() const { return inplace_ && inplace_->Open(); }

void TCellGrid::columnsChanged(TCellColumn* column) {
  if (column) {
    InvalidateColumn(column->Index());
    return;
  }
  // Columns added or taken away other than through ColCount must not leave the current cell
  // or the selection outside the grid.
  if (!sel_.fits(ColCount(), rowCount_)) sel_.clampTo(ColCount(), rowCount_);
  RebuildHeader();
  FullRepaint();
}

void TCellGrid::SetCurrentCell(int col, int row) {
  sel_.col = col;
  sel_.row = row;
  const TGridRect keep = sel_.block;
  sel_.clampTo(ColCount(), rowCount_);
  sel_.block = keep;
  SelectSingleCell();
}

}  // namespace grid
