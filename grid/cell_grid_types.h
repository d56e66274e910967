// The grid's value types: blocks and cells by index, header cells, alignments, hit zones and
// mouse modes with their cursors, the keys it answers, its laid-out geometry and its events.
#pragma once

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "fw/canvas.h"
#include "fw/controls.h"

namespace grid {

enum THorzAlign { haLeft, haCenter, haRight };
enum TVertAlign { vaTop, vaCenter, vaBottom };
enum TGutterKind { gkNone, gkBlank, gkPointer, gkNumber, gkString };
// Where the selection's fill handle is drawn next (the mouse sets it for one drawing).
enum class TFillHandleCorner { BottomRight, TopRight, BottomLeft };

// A block of cells by index; all four edges inclusive (not a pixel rectangle).
struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
  // The smallest block holding both cells, or both blocks.
  static TGridRect Spanning(int col1, int row1, int col2, int row2) {
    return {std::min(col1, col2), std::min(row1, row2), std::max(col1, col2), std::max(row1, row2)};
  }
  TGridRect United(const TGridRect& o) const {
    return {std::min(Left, o.Left), std::min(Top, o.Top), std::max(Right, o.Right), std::max(Bottom, o.Bottom)};
  }
  friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// One header cell: its caption and the columns and header lines it spans (inclusive).
struct THeaderInfo {
  std::string Caption;
  TGridRect Span;
  friend bool operator==(const THeaderInfo&, const THeaderInfo&) = default;
};

// A cell by index.
struct TGridCoord {
  int Col = 0;
  int Row = 0;
  friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};
// The zones of the control under the pointer; each has its mouse mode (ModeOfZone).
enum THitZone { hzNone, hzCorner, hzGutter, hzHeader, hzCell, hzColumnBorder, hzFillHandle };

// What a press and the drag after it do. The mode is chosen by the zone under the pointer on
// a free move (or a release) and shown as its cursor; it stays while the left button is held,
// so one drag keeps one meaning from start to end.
enum class TMouseMode { None, SelectAll, SelectRows, SelectColumns, SelectCells, SizeColumn, Fill };

// Cursor numbers: the grid's five registered cursors, and the platform's ones it uses.
inline constexpr int crDefault = 0;
inline constexpr int crCellPlus = 101;
inline constexpr int crFillCross = 102;
inline constexpr int crGutterRight = 103;
inline constexpr int crHeaderDown = 104;
inline constexpr int crCornerLeftTop = 105;
inline constexpr int crHSplit = -14;

// Virtual keys the grid answers, numbered as the platform's.
namespace vk {
inline constexpr int Back = 8;
inline constexpr int Return = 13;
inline constexpr int Escape = 27;
inline constexpr int Prior = 33;
inline constexpr int Next = 34;
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int C = 67;
inline constexpr int V = 86;
inline constexpr int X = 88;
}  // namespace vk

// A cell index beyond the grid.
class CellIndexError : public std::out_of_range {
 public:
  CellIndexError() : std::out_of_range("Cell Index out of bound.") {}
};

class TCellGrid;
class TCellColumns;
class TCellInplace;
class TCellGridAccessible;

using TOnDrawCellEvent =
    std::function<void(TCellGrid& Sender, fw::Canvas& ACanvas, int X, int Y, const fw::Rect& Rc, bool& Handled)>;
using TOnDrawHeaderEvent = std::function<void(TCellGrid& Sender, fw::Canvas& ACanvas, const fw::Rect& Rc,
                                              const std::string& Str, bool& Handled)>;
// The sender is the grid, or its in-place editor for characters typed there.
using TOnFilterChar = std::function<void(fw::Component& Sender, int Col, int Row, char Chr, bool& Allowed)>;
using TOnHeaderClick = std::function<void(TCellGrid& Sender, int Col, fw::MouseButton Button, fw::ShiftState Shift)>;
using TOnGutterClick = std::function<void(TCellGrid& Sender, int Row, fw::MouseButton Button, fw::ShiftState Shift)>;
using TOnCellChange = std::function<void(TCellGrid& Sender, int Col, int Row, std::string& Str)>;
using TOnCellChanging = std::function<void(TCellGrid& Sender, int Col, int Row, bool& CanChange)>;
using TOnColRowChanged = std::function<void(TCellGrid& Sender, int Col, int Row)>;
using TOnRowEvent = std::function<void(TCellGrid& Sender, int ARow)>;
using TOnCellAssignment = std::function<void(TCellGrid& Sender, int Col, int Row, std::string& Str)>;

// Where Recalculate laid the grid out: extents in client pixels, the scroll limits, and the
// areas the painting and the hit tests share. A value, so tests compare it whole.
struct TGridGeometry {
  int gutterExtent = 0;    // width of the gutter, 0 without one
  int headerHeight = 0;    // all header lines
  int columnsWidth = 0;    // the visible columns side by side
  int rowsHeight = 0;      // all rows
  int footerTop = 0;       // client y of the footer's top line (with a footer shown)
  fw::Rect cellArea;       // the client area the cells are painted in
  int contentRight = 200;  // client x where the grid's content ends (at most the client width)
  int contentBottom = 200;
  int maxScrollX = 0;
  int maxScrollY = 0;      // whole rows
  // Content x of each column's left edge, and one more for the right edge of the last; a
  // hidden column adds no width. Recomputed whenever a width may have changed.
  std::vector<int> columnLefts{0};
  std::vector<bool> columnShown;
  friend bool operator==(const TGridGeometry&, const TGridGeometry&) = default;
};

// The laid-out grid where it is scrolled to now, as its hit test and scrolling read it.
struct TGridView {
  const TGridGeometry& geometry;
  int scrollX = 0;
  int scrollY = 0;
  int rowHeight = 1;
  int rowCount = 0;
};

}  // namespace grid
