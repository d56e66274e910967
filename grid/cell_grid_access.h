// What a screen reader reads from the grid: a table with one header row of column headers and
// one row per grid row, each with one cell per column. Everything is computed from the grid's
// state at the moment it is asked, so nothing is kept in step and nothing costs while no
// client asks.
#pragma once

#include "fw/accessible.h"

namespace grid {

class TCellGrid;

class TCellGridAccessible final : public fw::access::Model {
 public:
  explicit TCellGridAccessible(const TCellGrid& grid) : grid_(grid) {}

  // The name a grid without an accessible name of its own reads as.
  static constexpr const char* kDefaultName = "Arayanlar";

  // Element numbers: the header row is row -1. A number depends on the column count, which
  // the list never changes while it runs.
  static fw::access::ElementId RowId(const TCellGrid& grid, int row);
  static fw::access::ElementId CellId(const TCellGrid& grid, int col, int row);

  bool exists(fw::access::ElementId id) const override;
  int childCount(fw::access::ElementId id) const override;
  fw::access::ElementId child(fw::access::ElementId id, int index) const override;
  std::optional<fw::access::ElementId> parent(fw::access::ElementId id) const override;
  int role(fw::access::ElementId id) const override;
  std::string name(fw::access::ElementId id) const override;
  std::string value(fw::access::ElementId id) const override;
  unsigned state(fw::access::ElementId id) const override;
  fw::Rect location(fw::access::ElementId id) const override;
  std::optional<fw::access::ElementId> navigate(fw::access::ElementId from, fw::access::Nav direction) const override;
  std::optional<fw::access::ElementId> hitTest(fw::Point client) const override;
  std::optional<fw::access::ElementId> focus() const override;
  std::vector<fw::access::ElementId> selection() const override;

 private:
  // An element by place: row -1 is the header row, col -1 the row itself; self is (-2, -2).
  struct Place {
    int col;
    int row;
  };
  std::optional<Place> placeOf(fw::access::ElementId id) const;
  bool hasHeaderRow() const;
  int firstRow() const { return hasHeaderRow() ? -1 : 0; }
  bool columnShown(int col) const;
  std::string columnHeaderName(int col) const;
  fw::Rect cellBox(int col, int row) const;
  // The client area where rows (or, for row -1, header cells) are painted.
  fw::Rect viewOf(int row) const;

  const TCellGrid& grid_;
};

}  // namespace grid
