// What a screen reader reads from the call-list grid, on the headless backend: the table's
// tree (roles, names, values, states, places) for a grid with a hidden column, scrolled rows,
// a selection and a current cell; navigation and hit tests against the painted cells; and the
// events the grid raises as it changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cell_grid.h"
#include "cell_grid_access.h"
#include "fw/form.h"
#include "fw/testing/headless.h"
#include "fw/text.h"

namespace {

using grid::TCellGrid;
using grid::TCellGridAccessible;
namespace acc = fw::access;
namespace hl = fw::headless;
using fw::ansi;

constexpr unsigned kCellStates = acc::state::Focusable | acc::state::Selectable | acc::state::ExtSelectable;

// Four columns of 60 pixels, the third hidden; 30 rows of 18 pixels scrolled down by five,
// in a window of 300 x 200 client pixels with a 20-pixel gutter and one header line.
class GridAccessTest : public ::testing::Test {
 protected:
  GridAccessTest() : form(nullptr), g(form.create<TCellGrid>(&form)) {
    g.setBounds(fw::Rect::fromSize(0, 0, 304, 204));
    g.setColCount(4);
    g.setRowCount(30);
    const char8_t* titles[] = {u8"Sıra", u8"HatNo", u8"Gizli", u8"Arayan numara"};
    for (int c = 0; c < 4; ++c) {
      g.Columns()[c].setTitle(ansi(titles[c]));
      g.Columns()[c].setWidth(60);
    }
    g.Columns()[2].setVisible(false);
    for (int r = 0; r < 30; ++r) {
      g.setCellText(0, r, std::to_string(r + 1));
      g.setCellText(1, r, "2");
      g.setCellText(2, r, ansi(u8"saklı"));
      g.setCellText(3, r, ansi(u8"0312 Çağrı ") + std::to_string(r));
    }
    g.SetScrollY(5 * 18);
    g.SetCurrentCell(1, 6);
    model = g.accessibleModel();
    hl::takeAccessibleEvents(g);
  }

  acc::ElementId cell(int col, int row) const { return TCellGridAccessible::CellId(g, col, row); }
  acc::ElementId row(int r) const { return TCellGridAccessible::RowId(g, r); }

  fw::Form form;
  TCellGrid& g;
  const acc::Model* model = nullptr;
};

TEST_F(GridAccessTest, TheTreeIsATableOfAHeaderRowAndOneRowPerGridRow) {
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->role(acc::kSelf), acc::role::Table);
  EXPECT_EQ(model->name(acc::kSelf), "Arayanlar");
  g.setAccessibleName(ansi(u8"Gelen çağrılar"));
  EXPECT_EQ(model->name(acc::kSelf), ansi(u8"Gelen çağrılar"));

  ASSERT_EQ(model->childCount(acc::kSelf), 31);
  EXPECT_EQ(model->child(acc::kSelf, 0), row(-1));
  EXPECT_EQ(model->child(acc::kSelf, 30), row(29));
  // The header: visible titles, the hidden column's header there but invisible.
  EXPECT_EQ(model->role(row(-1)), acc::role::Row);
  EXPECT_EQ(model->name(row(-1)), ansi(u8"Sıra, HatNo, Arayan numara"));
  ASSERT_EQ(model->childCount(row(-1)), 4);
  EXPECT_EQ(model->role(cell(3, -1)), acc::role::ColumnHeader);
  EXPECT_EQ(model->name(cell(0, -1)), ansi(u8"Sıra"));
  EXPECT_EQ(model->state(cell(2, -1)), acc::state::Invisible);
  // A row reads as its visible cells in column order; a cell as its text, which is its value.
  EXPECT_EQ(model->name(row(6)), ansi(u8"7, 2, 0312 Çağrı 6"));
  ASSERT_EQ(model->childCount(row(6)), 4);
  EXPECT_EQ(model->child(row(6), 3), cell(3, 6));
  EXPECT_EQ(model->role(cell(3, 6)), acc::role::Cell);
  EXPECT_EQ(model->name(cell(3, 6)), ansi(u8"0312 Çağrı 6"));
  EXPECT_EQ(model->value(cell(3, 6)), ansi(u8"0312 Çağrı 6"));
  EXPECT_EQ(model->childCount(cell(3, 6)), 0);
  // Up the tree.
  EXPECT_EQ(model->parent(cell(3, 6)), row(6));
  EXPECT_EQ(model->parent(row(6)), acc::kSelf);
  EXPECT_EQ(model->parent(acc::kSelf), std::nullopt);
  // Numbers that name nothing.
  for (acc::ElementId id : {1, 31, row(30), cell(0, 30), -1000000})
    EXPECT_FALSE(model->exists(id)) << id;
  EXPECT_TRUE(model->exists(cell(3, 29)));
}

TEST_F(GridAccessTest, StatesFollowScrollingHiddenColumnsSelectionAndFocus) {
  g.SetSelection({0, 6, 3, 7}, false);
  struct Case {
    int col, row;
    unsigned state;
  } cases[] = {
      {0, 4, kCellStates | acc::state::Offscreen},                           // scrolled out above
      {0, 5, kCellStates},                                                    // first row in view
      {1, 6, kCellStates | acc::state::Selected},                             // current, not focused
      {2, 6, acc::state::Invisible},                                          // hidden column
      {3, 7, kCellStates | acc::state::Selected},                             // in the block
      {3, 15, kCellStates},                                                   // partly in view
      {3, 16, kCellStates | acc::state::Offscreen},                           // below the view
      {3, -1, acc::state::ReadOnly},                                          // header stays in view
  };
  for (const Case& c : cases)
    EXPECT_EQ(model->state(cell(c.col, c.row)), c.state) << c.col << "," << c.row;
  EXPECT_EQ(model->state(row(4)), acc::state::Offscreen);
  EXPECT_EQ(model->state(row(5)), 0u);
  EXPECT_EQ(model->focus(), std::nullopt);
  EXPECT_EQ(model->selection(), (std::vector<acc::ElementId>{cell(0, 6), cell(1, 6), cell(3, 6), cell(0, 7), cell(1, 7),
                                                             cell(3, 7)}));

  g.setFocus();
  EXPECT_EQ(model->state(cell(1, 6)), kCellStates | acc::state::Selected | acc::state::Focused);
  EXPECT_EQ(model->state(acc::kSelf), acc::state::Focusable | acc::state::Focused);
  EXPECT_EQ(model->focus(), cell(1, 6));
  g.setReadOnly(true);
  EXPECT_EQ(model->state(cell(0, 5)), kCellStates | acc::state::ReadOnly);
}

TEST_F(GridAccessTest, PlacesAreThePaintedCellsAndHitTestsFindThem) {
  // Client coordinates: the gutter is 20 pixels, the header 18, rows 18 from row 5 on.
  EXPECT_EQ(model->location(cell(1, 6)), (fw::Rect{80, 36, 140, 54}));
  EXPECT_EQ(model->location(cell(3, 6)), (fw::Rect{140, 36, 200, 54}));  // after the hidden one
  EXPECT_EQ(model->location(cell(0, -1)), (fw::Rect{20, 0, 80, 18}));
  EXPECT_EQ(model->location(cell(0, 0)), (fw::Rect{20, -72, 80, -54}));  // scrolled out: above
  EXPECT_EQ(model->location(row(6)), (fw::Rect{20, 36, 200, 54}));
  EXPECT_TRUE(model->location(cell(2, 6)).empty());
  const fw::Size client = g.clientSize();
  EXPECT_EQ(model->location(acc::kSelf), (fw::Rect{0, 0, client.width, client.height}));

  // The middle of every cell in view hits it, and the mouse finds the same cell there.
  for (int r = 5; r <= 15; ++r) {
    for (int c : {0, 1, 3}) {
      const fw::Rect box = model->location(cell(c, r));
      const fw::Point mid{(box.left + box.right) / 2, (box.top + std::min(box.bottom, client.height)) / 2};
      EXPECT_EQ(model->hitTest(mid), cell(c, r)) << c << "," << r;
      EXPECT_EQ(g.CellAtPoint(mid.x, mid.y), (grid::TGridCoord{c, r})) << c << "," << r;
      // Corners: the cells tile without overlap.
      EXPECT_EQ(model->hitTest({box.left, box.top}), cell(c, r)) << c << "," << r;
      EXPECT_EQ(model->hitTest({box.right - 1, box.bottom - 1}), r == 15 && box.bottom > client.height
                                                                     ? std::nullopt
                                                                     : std::optional(cell(c, r)));
    }
  }
  EXPECT_EQ(model->hitTest({150, 5}), cell(3, -1));
  EXPECT_EQ(model->hitTest({10, 40}), acc::kSelf);   // the gutter
  EXPECT_EQ(model->hitTest({250, 40}), acc::kSelf);  // right of the columns
  EXPECT_EQ(model->hitTest({-1, 40}), std::nullopt);
  EXPECT_EQ(model->hitTest({50, client.height}), std::nullopt);
  g.setRowCount(6);  // everything fits: below the last row is the table's
  EXPECT_EQ(model->hitTest({50, 150}), acc::kSelf);
}

TEST_F(GridAccessTest, NavigationMovesAsTheArrowKeysOverThePaintedCells) {
  const std::optional<acc::ElementId> none;
  struct Case {
    acc::ElementId from;
    acc::Nav dir;
    std::optional<acc::ElementId> to;
  } cases[] = {
      {cell(1, 6), acc::Nav::Right, cell(3, 6)},  // over the hidden column
      {cell(3, 6), acc::Nav::Left, cell(1, 6)},
      {cell(3, 6), acc::Nav::Next, none},
      {cell(0, 6), acc::Nav::Left, none},
      {cell(0, 6), acc::Nav::Previous, none},
      {cell(1, 6), acc::Nav::Next, cell(3, 6)},
      {cell(1, 6), acc::Nav::Up, cell(1, 5)},
      {cell(1, 0), acc::Nav::Up, cell(1, -1)},  // into the header
      {cell(1, -1), acc::Nav::Up, none},
      {cell(1, -1), acc::Nav::Down, cell(1, 0)},
      {cell(1, 29), acc::Nav::Down, none},
      {cell(1, 6), acc::Nav::FirstChild, none},
      {row(6), acc::Nav::FirstChild, cell(0, 6)},
      {row(6), acc::Nav::LastChild, cell(3, 6)},
      {row(6), acc::Nav::Down, row(7)},
      {row(0), acc::Nav::Up, row(-1)},
      {row(29), acc::Nav::Next, none},
      {row(6), acc::Nav::Left, none},
      {acc::kSelf, acc::Nav::FirstChild, row(-1)},
      {acc::kSelf, acc::Nav::LastChild, row(29)},
      {acc::kSelf, acc::Nav::Down, none},
      {7, acc::Nav::Down, none},
  };
  for (const Case& c : cases)
    EXPECT_EQ(model->navigate(c.from, c.dir), c.to) << c.from << " dir " << static_cast<int>(c.dir);
  g.Columns()[3].setVisible(false);
  EXPECT_EQ(model->navigate(cell(1, 6), acc::Nav::Right), none);
  EXPECT_EQ(model->navigate(row(6), acc::Nav::LastChild), cell(1, 6));
}

TEST_F(GridAccessTest, AnEmptyGridIsATableWithItsHeaderOnly) {
  g.setRowCount(0);
  EXPECT_EQ(model->childCount(acc::kSelf), 1);
  EXPECT_EQ(model->focus(), std::nullopt);
  g.setFocus();
  EXPECT_EQ(model->focus(), acc::kSelf);
  EXPECT_TRUE(model->selection().empty());
  EXPECT_EQ(model->navigate(acc::kSelf, acc::Nav::LastChild), row(-1));
  g.setHeaderLine(0);
  EXPECT_EQ(model->childCount(acc::kSelf), 0);
  EXPECT_EQ(model->navigate(acc::kSelf, acc::Nav::FirstChild), std::nullopt);
}

// ---- events

using Events = std::vector<hl::AccessibleEvent>;

TEST_F(GridAccessTest, EventsTellOfFocusSelectionTextAndRows) {
  g.setFocus();
  EXPECT_EQ(hl::takeAccessibleEvents(g), (Events{{acc::event::Focus, cell(1, 6)}}));

  // An arrow key: the new cell is selected, then focused.
  hl::keyDown(g, grid::vk::Down);
  EXPECT_EQ(hl::takeAccessibleEvents(g), (Events{{acc::event::Selection, cell(1, 7)}, {acc::event::Focus, cell(1, 7)}}));
  hl::keyDown(g, grid::vk::Right, fw::ShiftState{.shift = true});
  EXPECT_EQ(hl::takeAccessibleEvents(g), (Events{{acc::event::SelectionWithin, acc::kSelf}}));

  // A cell's text, written outside a batch and inside one.
  g.setCellText(0, 8, "neu");
  EXPECT_EQ(hl::takeAccessibleEvents(g), (Events{{acc::event::NameChange, cell(0, 8)}}));
  g.setCellText(0, 8, "neu");  // unchanged: nothing to tell
  EXPECT_EQ(hl::takeAccessibleEvents(g), Events{});
  g.BeginBatch();
  g.setCellText(0, 9, "a");
  g.setCellText(1, 9, "b");
  g.EndBatch();
  EXPECT_EQ(hl::takeAccessibleEvents(g), (Events{{acc::event::Reorder, acc::kSelf}}));

  // Rows added, removed, emptied.
  g.AppendRow();
  g.RemoveRow(0);
  g.RemoveRow(500);  // ignored, and so not told
  g.ClearAll();
  const hl::AccessibleEvent reorder{acc::event::Reorder, acc::kSelf};
  EXPECT_EQ(hl::takeAccessibleEvents(g), (Events{reorder, reorder, reorder}));
}

TEST_F(GridAccessTest, WithoutTheFocusMovingTheCellIsSelectionOnly) {
  g.SetCurrentCell(3, 9);
  EXPECT_EQ(hl::takeAccessibleEvents(g), (Events{{acc::event::Selection, cell(3, 9)}}));
}

}  // namespace
