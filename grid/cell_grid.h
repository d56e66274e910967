// TCellGrid, the call list: an owner-drawn grid whose text is stored column by column, with a
// header that may merge cells, a gutter, a footer, a selection with a fill handle, and scroll
// bars. It is platform-free: everything it needs of its window (painting, scroll bars, caret,
// focus, cursor) goes through the framework, so the headless backend runs all of it in tests.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cell_grid_columns.h"
#include "cell_insets.h"
#include "grid_drag.h"
#include "grid_hit_test.h"
#include "grid_scrolling.h"
#include "grid_selection.h"
#include "cell_grid_types.h"
#include "fw/canvas.h"
#include "fw/controls.h"
#include "fw/custom_control.h"
#include "fw/shell.h"

namespace grid {

struct TGridPaintView;
struct TGridPaintHooks;

// The layout's values in design pixels (fw::kNoDesign: none), which a change of density
// scales; the defaults are design values.
struct TGridDesignValues {
  int rowHeight = 18;
  int colWidth = 80;
  int gutterWidth = 20;
  int headerFontHeight = 13;
  int footerFontHeight = 13;
  int gutterFontHeight = 13;
};

class TCellGrid : public fw::CustomControl, private TColumnsOwner {
 public:
  TCellGrid(fw::Component* owner, fw::Control* parent);
  ~TCellGrid() override;

  // --- Properties. Setters do nothing when the value is unchanged (fonts and string lists are
  // copied and always count as changed).
  // The grid's own flag: keys and mouse are ignored and the grid paints in its disabled
  // colours, while its window stays enabled.
  bool Enabled() const { return enabled_; }
  void setEnabled(bool v);
  // Counts below 0 are taken as 0. Both setters hold the current cell inside the grid and
  // select it alone.
  int ColCount() const { return columns_->Count(); }
  void setColCount(int v);
  int RowCount() const { return rowCount_; }
  void setRowCount(int v);
  bool AutoAddRow() const { return autoAddRow_; }
  void setAutoAddRow(bool v) { autoAddRow_ = v; }
  bool AutoFillDown() const { return autoFillDown_; }
  void setAutoFillDown(bool v) { autoFillDown_ = v; }
  bool AutoFillRight() const { return autoFillRight_; }
  void setAutoFillRight(bool v) { autoFillRight_ = v; }
  // The height of every row, header line and footer; at least 1, since rows are counted by it,
  // and never less than a line of the grid's font, the header's or the shown footer's with
  // the padding the painting leaves round it (MinRowHeight), so the setter's value may be
  // raised.
  int DefRowHeight() const { return defRowHeight_; }
  int MinRowHeight() const;
  void setDefRowHeight(int v);
  int DefColWidth() const { return defColWidth_; }
  void setDefColWidth(int v);
  bool Flat() const { return flat_; }
  void setFlat(bool v);
  fw::Color Color() const { return color(); }
  void setColor(fw::Color v);
  fw::Color AlternateColor() const { return alternateColor_; }
  void setAlternateColor(fw::Color v);
  fw::Color GridColor() const { return gridColor_; }
  void setGridColor(fw::Color v);
  bool ShowGrid() const { return showGrid_; }
  void setShowGrid(bool v);
  int HeaderLine() const { return headerLine_; }  // header lines, 0 or more
  void setHeaderLine(int v);
  fw::Color HeaderColor() const { return headerColor_; }
  void setHeaderColor(fw::Color v);
  fw::Color HeaderLightColor() const { return headerLightColor_; }
  void setHeaderLightColor(fw::Color v);
  fw::Color HeaderDarkColor() const { return headerDarkColor_; }
  void setHeaderDarkColor(fw::Color v);
  const fw::Font& HeaderFont() const { return headerFont_; }
  void setHeaderFont(const fw::Font& v);
  const fw::Font& FooterFont() const { return footerFont_; }
  void setFooterFont(const fw::Font& v);
  fw::Color SelectionColor() const { return selectionColor_; }
  void setSelectionColor(fw::Color v);
  bool FitToWidth() const { return fitToWidth_; }
  void setFitToWidth(bool v);
  bool AutoColWidth() const { return autoColWidth_; }
  void setAutoColWidth(bool v);
  bool ReadOnly() const { return readOnly_; }
  void setReadOnly(bool v) { readOnly_ = v; }
  TCellColumns& Columns() const { return *columns_; }
  void setColumns(const TCellColumns& v);
  TGutterKind GutterKind() const { return gutterKind_; }
  void setGutterKind(TGutterKind v);
  int GutterWidth() const { return gutterWidth_; }
  void setGutterWidth(int v);
  const fw::Font& GutterFont() const { return gutterFont_; }
  void setGutterFont(const fw::Font& v);
  const std::vector<std::string>& GutterStrings() const { return gutterStrings_; }
  void setGutterStrings(const std::vector<std::string>& v);
  bool ShowFooter() const { return showFooter_; }
  void setShowFooter(bool v);
  // The grid's Font is the control's (setFont); every column follows it.

  // --- Cells.
  // The stored text, empty beyond the column's list; no check against the row count.
  std::string RawCellText(int col, int row) const { return rawText(col, row); }
  // Throws CellIndexError for a cell beyond ColCount or RowCount.
  std::string CellText(int col, int row) const;
  // A program's write: no read-only check, no events.
  void setCellText(int col, int row, std::string text) { EditCellText(col, row, false, std::move(text)); }
  // A write on the user's behalf also honours the column's ReadOnly and raises OnCellChanging
  // and OnCellChange. Outside a batch the cell is repainted at once. The text is taken by value:
  // it may be another cell's, which padding the lists would move.
  void EditCellText(int col, int row, bool byUser, std::string text);

  // --- Rows. Out-of-range rows are ignored.
  int AppendRow();
  void InsertRow(int row);
  void RemoveRow(int row);
  // Empties every cell; the rows stay.
  void ClearAll();
  // Painting waits until EndBatch, which repaints everything once. Not counted: one EndBatch
  // ends any number of BeginBatch.
  void BeginBatch();
  void EndBatch();
  // A batch for the length of a scope. It ends also when an exception passes (a cell handler
  // that throws, say): a batch left open would keep the grid from ever painting again.
  class BatchScope {
   public:
    explicit BatchScope(TCellGrid& grid) : grid_(grid) { grid_.BeginBatch(); }
    ~BatchScope() { grid_.EndBatch(); }
    BatchScope(const BatchScope&) = delete;
    BatchScope& operator=(const BatchScope&) = delete;

   private:
    TCellGrid& grid_;
  };

  // --- The current cell and the selection.
  int CurrentCol() const { return sel_.col; }
  int CurrentRow() const { return sel_.row; }
  const TGridRect& Selection() const { return sel_.block; }
  int RangeEndCol() const { return sel_.endCol; }
  int RangeEndRow() const { return sel_.endRow; }
  // Makes a cell current, held inside the grid, and selects it alone.
  void SetCurrentCell(int col, int row);
  void SetSelection(const TGridRect& block, bool force);
  void SelectSingleCell();
  // Spans the selection from the current cell to (RangeEndCol, RangeEndRow) and brings that
  // corner into view; the current cell stays and no event is raised.
  void ExtendSelection();
  void NotifyColRowChanged();
  // Visible columns: -1 when there is none; Next and Previous give c itself at the end.
  int FirstVisibleColumn() const;
  int LastVisibleColumn() const;
  int NextVisibleColumn(int c) const;
  int PreviousVisibleColumn(int c) const;

  // --- Clipboard: blocks of cells as tab-separated lines, each ending in CR LF.
  void CopySelection();
  void CutSelection();
  void PasteClipboard();

  // --- Mouse: hit tests in client coordinates.
  TGridCoord CellAtPoint(int x, int y) const;  // always inside the grid's index range
  int ColumnAtX(int x) const;                  // -1 left of the columns
  int RowAtY(int y) const;                     // -1 above or below the rows
  // Notes the column to size when the point lies on a column border.
  THitZone ZoneAt(int x, int y);
  static TMouseMode ModeOfZone(THitZone zone);
  static int CursorOfMode(TMouseMode mode);
  static int CursorOfZone(THitZone zone) { return CursorOfMode(ModeOfZone(zone)); }
  int SizingColumn() const { return drag_.sizingColumn; }
  int SizingColumnLeft() const { return drag_.sizingColumnLeft; }
  int LastDragIndex() const { return drag_.lastIndex; }

  // --- Geometry, in content coordinates unless said otherwise.
  int ColumnLeft(int i) const;
  int TotalColumnWidth() const;
  fw::Rect CellRect(int col, int row) const;
  fw::Rect CellRectToClient(const fw::Rect& r) const;
  fw::Color CellColor(int col, int row) const;
  int MeasureColumnText(int col) const;
  // The width a column needs to show its header title and its widest expected text whole.
  int NeededColumnWidth(int col) const;
  // Widens the visible columns narrower than they need, taking the room from the columns that
  // have more than they need (the most first), so the total stays.
  void MakeRoomForTexts();
  // Pixels the painting leaves between a row's height and its text's cell height, and between
  // a column's width and its text's (cells, then header, gutter and footer boxes), at the design
  // density; at a higher one they grow with the insets (cell_insets.h), never below these.
  static constexpr int kCellPaddingY = 3;
  static constexpr int kCellPaddingX = 7;
  static constexpr int kBoxPaddingY = 4;
  static constexpr int kBoxPaddingX = 4;
  void Recalculate();
  void RebuildHeader();
  const std::vector<THeaderInfo>& HeaderCells() const { return headerCells_; }
  // The last layout's result.
  const TGridGeometry& Geometry() const { return geometry_; }

  // Batch, scrolling, fill and typing state.
  bool BatchLock() const { return batchLock_; }
  int ToggledColumn() const { return toggledColumn_; }
  int ScrollX() const { return scroll_.x; }
  int ScrollY() const { return scroll_.y; }
  const fw::Rect& FillHandleRect() const { return drag_.fillHandle; }
  const TGridRect& FillRange() const { return drag_.fillRange; }
  const std::string& TypedText() const { return typedText_; }
  bool EditorActive() const;
  TCellInplace& Inplace() const { return *inplace_; }

  // --- Scrolling.
  void ShowScrollBars(bool horizontal, bool vertical);
  void SetScrollX(int x);
  void SetScrollY(int y);
  void SnapScrollY();
  void EnsureCellVisible(int col, int row);
  void HideCaretAndEditor();
  void ShowGridCaret();
  // The one caret of the GUI thread, shared by all grids: whether a grid has shown it.
  static bool CaretShown();

  // --- Painting.
  void paint(fw::Canvas& canvas) override;
  // Paints a cell's inside at once (not through the paint cycle); returns where a caret goes
  // after the drawn text, (-1, -1) when the cell is out of view or a handler drew it.
  fw::Point RepaintCellText(int col, int row, bool typing);
  // Repaint requests: each asks for a client rectangle; nothing is painted until the next
  // paint cycle.
  void FullRepaint();
  void InvalidateCellArea();
  void InvalidateHeader();
  void InvalidateGutter();
  void InvalidateBelow(int y);
  void InvalidateRightOf(int x);
  void InvalidateColumn(int i);

  // --- Events.
  TOnDrawCellEvent OnDrawCell;
  TOnDrawHeaderEvent OnDrawHeader;
  TOnDrawHeaderEvent OnDrawGutter;
  TOnDrawHeaderEvent OnDrawFooter;
  TOnFilterChar OnFilterChar;
  TOnHeaderClick OnHeaderClick;
  TOnGutterClick OnGutterClick;
  TOnCellChange OnCellChange;
  TOnCellChanging OnCellChanging;
  TOnColRowChanged OnColRowChanged;
  TOnRowEvent OnInsertRow;
  TOnRowEvent OnDeleteRow;
  TOnCellAssignment OnCellAssignment;

  // While a layout is read the layout waits for the end of loading: the stored column widths
  // are already the fitted ones and must not be fitted to a size the grid has only for now.
  void applyProperty(const fw::LayoutProperty& p, fw::LoadContext& ctx) override;
  void loaded() override;
  void handleResize() override;
  // Every pixel value at the new density; an open editor stays open over its cell, and the
  // current cell stays in view.
  void changeScale(int oldDpi, int newDpi) override;

  // Input from the window.
  bool handleKeyDown(int& key, fw::ShiftState shift) override;
  bool handleKeyPress(char& key) override;
  void handleMouseDown(fw::MouseButton button, fw::ShiftState shift, fw::Point at) override;
  void handleMouseMove(fw::ShiftState shift, fw::Point at) override;
  void handleMouseUp(fw::MouseButton button, fw::Point at) override;
  void handleScroll(fw::ScrollBar bar, int code, int position) override;
  bool handleMouseWheel(int delta, fw::ShiftState shift, fw::Point at) override;
  void handleFocusGained() override;
  void handleFocusLost(fw::Control* next) override;
  bool wantsNavigationKey(int key) const override;
  bool wantsCharacters() const override { return true; }

  // What screen readers read (cell_grid_access.h); made when a client first asks.
  const fw::access::Model* accessibleModel() override;

 protected:
  void fontChanged() override;

 private:
  // What the columns ask of their grid.
  int newColumnWidth() const override { return defColWidth_; }
  fw::Color newColumnColor() const override { return Color(); }
  const fw::Font& gridFont() const override { return font(); }
  void columnsChanged(TCellColumn* column) override;
  void columnToggled(int index) override { toggledColumn_ = index; }

  // Tells assistive technology about a cell (row -1: the header), or the grid when col is -1.
  void raiseCellEvent(unsigned event, int col, int row);
  // The stored text without a copy, for painting; empty beyond the lists.
  const std::string& rawText(int col, int row) const;
  // The laid-out grid where it is scrolled to now.
  TGridView view() const;
  TGridHitTest hitTest() const;
  fw::Rect clientRect() const;
  void fitColumns(int availW);
  // A length of the grid's own drawing and handling (the fill handle, the border band, the
  // smallest column) from its design pixels at the grid's density.
  int px(int designPixels) const { return fw::scaleToDpi(designPixels, dpi()); }
  // Sets the row height from the one asked for and the fonts' needs; true when it changed.
  bool updateRowHeight();

  // Keys, typing, the mouse and the clipboard act only on a grid with at least one cell.
  bool hasCells() const { return ColCount() > 0 && rowCount_ > 0; }

  // Holds painting and cell repaints back for the length of a scope, and gives the lock back
  // as it found it: inside a batch the batch goes on, and a throw cannot leave it set.
  class PaintHold {
   public:
    explicit PaintHold(TCellGrid& grid) : grid_(grid), was_(grid.batchLock_) { grid_.batchLock_ = true; }
    ~PaintHold() { grid_.batchLock_ = was_; }
    PaintHold(const PaintHold&) = delete;
    PaintHold& operator=(const PaintHold&) = delete;

   private:
    TCellGrid& grid_;
    bool was_;
  };

  // A block of cell writes (Delete, cut, paste, a fill): the cells are not repainted one by
  // one, and the cell area is repainted once at the end, also when a cell handler throws.
  class BlockEdit {
   public:
    explicit BlockEdit(TCellGrid& grid) : grid_(grid), hold_(grid) {}
    ~BlockEdit() {
      grid_.InvalidateCellArea();
      grid_.raiseCellEvent(fw::access::event::Reorder, -1, -1);
    }
    BlockEdit(const BlockEdit&) = delete;
    BlockEdit& operator=(const BlockEdit&) = delete;

   private:
    TCellGrid& grid_;
    PaintHold hold_;
  };

  // Keyboard (cell_grid_keys.cpp).
  void keyWithCtrl(int key);
  void keyWithShift(int key);
  void keyPlain(int key);
  void commitAndAdvance();
  // Enter's walk: the next cell of the block becomes current, the block stays.
  void walkInsideSelection(bool forward);
  void addRowBelow();
  void removeEmptyLastRowOrMoveUp();
  void typeCharacter(char ch);
  // Makes (col, row) current and selects it alone; col -1 (no visible column) keeps the column.
  void moveTo(int col, int row);
  void clearSelectedCells();
  // Down adds and Up removes rows at the end of the grid.
  bool autoRowsApply() const;
  // Writes text without its last character (the fill marker) from the current cell down to
  // row `last`, or right to column `last`.
  void fillFromCurrent(std::string text, bool down, int last);
  // Mouse (cell_grid_mouse.cpp).
  void setMouseMode(TMouseMode mode);
  void pressIn(TMouseMode mode, fw::MouseButton button, fw::ShiftState shift, fw::Point at);
  void dragIn(TMouseMode mode, fw::Point at);
  void sizeColumnTo(int x);
  void completeFill();

  // What the painter reads (grid_painter.h), and the drawing handlers with the grid as sender.
  TGridPaintView paintView() const;
  TGridPaintHooks paintHooks();

  bool enabled_ = true;
  int rowCount_ = 5;
  bool autoAddRow_ = false;
  bool autoFillDown_ = false;
  bool autoFillRight_ = false;
  int defRowHeight_ = 18;
  int askedRowHeight_ = 18;  // DefRowHeight as set, before the fonts' minimum
  int defColWidth_ = 80;
  TGridDesignValues design_;
  bool flat_ = true;
  fw::Color alternateColor_ = fw::clWindow;
  fw::Color gridColor_ = fw::clBtnFace;
  bool showGrid_ = true;
  int headerLine_ = 1;
  fw::Color headerColor_ = fw::clBtnFace;
  fw::Color headerLightColor_ = fw::clBtnHighlight;
  fw::Color headerDarkColor_ = fw::clBtnShadow;
  fw::Font headerFont_;
  fw::Font footerFont_;
  fw::Color selectionColor_ = 0x00CAFFFF;
  bool fitToWidth_ = false;
  bool autoColWidth_ = false;
  bool readOnly_ = false;
  std::unique_ptr<TCellColumns> columns_;
  TGutterKind gutterKind_ = gkBlank;
  int gutterWidth_ = 20;
  fw::Font gutterFont_;
  std::vector<std::string> gutterStrings_;
  bool showFooter_ = false;

  TGridSelection sel_;
  bool batchLock_ = false;
  int toggledColumn_ = -1;
  TGridGeometry geometry_;
  TScrollOffsets scroll_;
  std::vector<THeaderInfo> headerCells_;
  std::string typedText_;
  std::unique_ptr<TCellInplace> inplace_;
  std::unique_ptr<TCellGridAccessible> accessible_;
  bool loadingLayout_ = false;
  TDragState drag_;
};

// The one-line editor the grid lays over a cell to edit part of its text. Each grid has one,
// hidden until a press on the current cell opens it.
class TCellInplace : public fw::Edit {
 public:
  explicit TCellInplace(TCellGrid& grid);
  TCellGrid& OwnerGrid() const { return grid_; }
  THorzAlign EditorAlignment() const { return alignment_; }
  int EditCol() const { return editCol_; }
  int EditRow() const { return editRow_; }
  // Loads a cell and lays the editor over it; the grid keeps the focus.
  void ShowEditorAt(int col, int row);
  // Lays the open editor over its cell again, in the column's font (after a change of the
  // grid's geometry); its text, selection and focus stay.
  void PlaceEditor();
  // Hides the editor; the grid no longer counts it as open.
  void HideEditor();
  bool Open() const { return open_; }
  void SetEditorAlignment(THorzAlign a);

  // Every change of the text is written into the cell at once.
  void handleChange() override;
  bool handleKeyDown(int& key, fw::ShiftState shift) override;
  bool handleKeyPress(char& key) override;
  // Enter, Escape, Up and Down close the editor, so the dialog manager must leave them to it.
  bool wantsNavigationKey(int key) const override;

 private:
  TCellGrid& grid_;
  THorzAlign alignment_ = haLeft;
  int editCol_ = -1;
  int editRow_ = -1;
  bool open_ = false;
};

// Makes "TCellGrid" known to layouts and registers the grid's five cursors (101 to 105) from
// the program's cursor resources. Called once by the program before its first layout is read.
void registerClasses();

}  // namespace grid
