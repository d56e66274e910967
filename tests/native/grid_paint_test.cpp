// The call-list grid on the headless backend: its colours, repaint requests, the painted
// pixels, and the grid read from a stored layout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid_fixtures.h"

namespace {

using namespace gridtest;

// ---------------------------------------------------------------------------------------------
// Colours

TEST_F(GridTest, CellColoursAlternateOnlyOnTheGridsOwnColourAndShowTheSelection) {
  const fw::Color alt = fw::rgb(1, 1, 1), own = fw::rgb(2, 2, 2), sel = g.SelectionColor();
  g.setColCount(2);
  g.setRowCount(6);
  g.setAlternateColor(alt);
  g.Columns()[1].setColor(own);
  g.SetCurrentCell(0, 2);
  g.SetSelection({0, 1, 1, 3}, false);
  const struct {
    int col, row;
    fw::Color expected;
  } cases[] = {
      {0, 0, fw::clWindow}, {0, 5, alt},  {1, 5, own},  // odd rows only in the grid's colour
      {0, 1, sel},          {1, 3, sel},  {1, 2, sel},  // inside the block
      {0, 2, fw::clWindow},                             // the current cell keeps its own
      {0, 4, fw::clWindow},
  };
  for (const auto& c : cases) EXPECT_EQ(g.CellColor(c.col, c.row), c.expected) << c.col << "," << c.row;
  g.setEnabled(false);
  EXPECT_EQ(g.CellColor(1, 3), own) << "a disabled grid shows no selection";
  EXPECT_EQ(g.CellColor(0, 1), alt);
}

// ---------------------------------------------------------------------------------------------
// Repaint requests

TEST_F(GridTest, EachChangeAsksForItsOwnBand) {
  g.setColCount(3);
  g.setRowCount(20);  // a vertical bar: the client area is 179 x 196
  const int w = g.clientSize().width, h = g.clientSize().height;
  ASSERT_EQ(w, 179);
  using Rects = std::vector<fw::Rect>;
  const fw::Rect all{0, 0, w, h}, cells{18, 16, w, h}, header{0, 0, w, 18}, gutter{0, 18, 20, h};
  const struct {
    const char* what;
    std::function<void()> change;
    Rects expected;
  } cases[] = {
      {"AlternateColor", [&] { g.setAlternateColor(1); }, {cells}},
      {"GridColor", [&] { g.setGridColor(1); }, {cells}},
      {"ShowGrid", [&] { g.setShowGrid(false); }, {cells}},
      {"SelectionColor", [&] { g.setSelectionColor(1); }, {cells}},
      {"HeaderFont", [&] { g.setHeaderFont(fw::Font{}); }, {header}},
      {"GutterFont", [&] { g.setGutterFont(fw::Font{}); }, {gutter}},
      {"GutterStrings (not shown)", [&] { g.setGutterStrings({"a"}); }, {}},
      {"GutterKind blank to number", [&] { g.setGutterKind(grid::gkNumber); }, {gutter}},
      {"GutterKind to none", [&] { g.setGutterKind(grid::gkNone); }, {all}},
      {"GutterKind back", [&] { g.setGutterKind(grid::gkBlank); }, {all}},
      {"Flat", [&] { g.setFlat(false); }, {all}},
      {"Enabled", [&] { g.setEnabled(false); }, {all}},
      {"HeaderColor", [&] { g.setHeaderColor(1); }, {all}},
      {"unchanged", [&] { g.setHeaderColor(1); }, {}},
      {"column Footer", [&] { g.Columns()[1].setFooter("f"); }, {{20 + 80 - 3, 0, 20 + 160 + 3, h}}},
      {"column HorzAlign", [&] { g.Columns()[0].setHorzAlign(grid::haRight); }, {{20 - 3, 0, 20 + 80 + 3, h}}},
      {"column Font", [&] { g.Columns()[2].setFont(fw::Font{}); }, {{20 + 160 - 3, 0, 20 + 240 + 3, h}}},
      {"column Title", [&] { g.Columns()[2].setTitle("t"); }, {all}},
      {"row count", [&] { g.setRowCount(21); }, {all}},
      {"end of a batch", [&] { g.EndBatch(); }, {all}},
  };
  for (const auto& c : cases) {
    fw::headless::takeInvalidations(g);
    c.change();
    EXPECT_EQ(fw::headless::takeInvalidations(g), c.expected) << c.what;
  }
}

TEST_F(GridTest, ScrollingAndSelectionAskForTheBandsTheyChange) {
  g.setBounds(fw::Rect::fromSize(0, 0, 304, 204));
  g.setColCount(3);
  g.setRowCount(30);  // a vertical bar: 283 x 200 inside
  ASSERT_EQ(g.clientSize(), (fw::Size{283, 200}));
  using Rects = std::vector<fw::Rect>;
  fw::headless::takeInvalidations(g);
  g.SetScrollY(40);
  EXPECT_EQ(g.ScrollY(), 36) << "snapped to whole rows";
  EXPECT_EQ(g.peer().scrollInfo(fw::ScrollBar::Vertical).position, 36);
  EXPECT_EQ(fw::headless::takeInvalidations(g), (Rects{{0, 18, 283, 200}})) << "below the header";
  g.SetScrollY(36);
  EXPECT_TRUE(fw::headless::takeInvalidations(g).empty());
  g.SetScrollY(-5);
  EXPECT_EQ(g.ScrollY(), 0);
  fw::headless::takeInvalidations(g);

  g.SetSelection({0, 0, 1, 1}, false);  // from the single cell (0, 0)
  EXPECT_EQ(fw::headless::takeInvalidations(g), (Rects{{16, 14, 183, 57}})) << "both blocks, 3 pixels round";
  g.SetSelection({0, 0, 1, 1}, false);
  EXPECT_TRUE(fw::headless::takeInvalidations(g).empty()) << "an unchanged block";
  g.setGutterKind(grid::gkPointer);
  fw::headless::takeInvalidations(g);
  g.SetSelection({0, 0, 1, 1}, true);
  EXPECT_EQ(fw::headless::takeInvalidations(g), (Rects{{16, 14, 183, 57}, {0, 18, 20, 200}})) << "the pointer too";
}

TEST_F(GridTest, FooterGutterAndHeaderTextsGoInTheirBoxes) {
  g.setBounds(fw::Rect::fromSize(0, 0, 254, 204));  // 250 x 200 inside
  g.setColCount(2);
  g.setRowCount(3);
  g.setGutterKind(grid::gkNumber);
  g.setShowFooter(true);
  g.Columns()[0].setTitle("A;B;");
  g.Columns()[1].setTitle("C");
  g.Columns()[0].setFooter("f0");
  EXPECT_EQ(g.Geometry().footerTop, 4 * 18 - 1) << "under the last row, on its bottom line";
  EXPECT_EQ(g.Geometry().cellArea, (fw::Rect{20, 18, 250, 71}));
  fw::RasterCanvas c = paint();
  auto at = [&](const std::string& text) {
    for (const auto& t : c.texts())
      if (t.text == text) return t.at;
    ADD_FAILURE() << "no text " << text;
    return fw::Point{};
  };
  // Header box of column 0: (19, -1, 100, 18), its text area (21, 1, 97, 15); two lines of 13.
  EXPECT_EQ(at("A"), (fw::Point{21 + (76 - 6) / 2, 1 + (14 - 26) / 2}));
  EXPECT_EQ(at("B"), (fw::Point{21 + (76 - 6) / 2, 1 + (14 - 26) / 2 + 13}));
  // Gutter box of row 1: (-1, 35, 20, 54), text area (1, 37, 17, 51).
  EXPECT_EQ(at("2"), (fw::Point{1 + (16 - 6) / 2, 37 + (14 - 13) / 2}));
  EXPECT_EQ(at("f0"), (fw::Point{21 + (76 - 12) / 2, 73 + (14 - 13) / 2}));
  EXPECT_EQ(c.pixel(50, 71), kShadow) << "the footer's top border on the last row's line";
  EXPECT_EQ(c.pixel(50, 150), kFace) << "the space under the footer is a box too";
  EXPECT_EQ(c.pixel(200, 150), kWhite) << "right of the columns: the grid's colour";

  g.setRowCount(20);  // a vertical bar: the footer sits on the last whole row slot
  EXPECT_EQ(g.Geometry().footerTop, (200 / 18 - 1) * 18 - 1);
  c = paint();
  EXPECT_EQ(c.pixel(50, g.Geometry().footerTop), kShadow);
}

TEST_F(GridTest, ACellWrittenOutsideABatchIsRedrawnInsideItsLines) {
  g.setColCount(2);
  g.setRowCount(3);
  g.setAlternateColor(fw::rgb(0, 0, 200));
  fw::headless::takeDrawnNow(g);
  g.setCellText(1, 1, "ab");
  const auto drawn = fw::headless::takeDrawnNow(g);
  ASSERT_TRUE(drawn.has_value());
  // Cell (1, 1): x 99..179 with its lines at 99 and 179, y 35..54 with lines at 35 and 53.
  const fw::Rect r = g.CellRectToClient(g.CellRect(1, 1));
  ASSERT_EQ(r, (fw::Rect{99, 35, 180, 54}));
  EXPECT_EQ(drawn->pixel(r.left + 4, r.top + 2), fw::rgb(0, 0, 200)) << "the inside in the cell's colour";
  EXPECT_EQ(drawn->pixel(r.right - 5, r.bottom - 3), fw::rgb(0, 0, 200));
  EXPECT_EQ(drawn->pixel(r.left + 3, r.top + 5), kWhite) << "left of the inside: untouched";
  EXPECT_EQ(drawn->pixel(r.right - 4, r.top + 5), kWhite);
  EXPECT_EQ(drawn->pixel(r.left + 5, r.top + 1), kWhite);
  EXPECT_EQ(drawn->pixel(r.left + 5, r.bottom - 2), kWhite);
  ASSERT_EQ(drawn->texts().size(), 1u);
  EXPECT_EQ(drawn->texts()[0].text, "ab");
  EXPECT_EQ(drawn->texts()[0].at, (fw::Point{r.left + 4, r.top + 2 + (15 - 13) / 2})) << "left, centred down";

  const fw::Point caret = g.RepaintCellText(1, 1, true);
  EXPECT_EQ(caret, (fw::Point{r.left + 4 + 12 + 1, r.top + 2 - 1})) << "one pixel after the text, above it";
  fw::headless::takeDrawnNow(g);
  g.setRowCount(100);
  g.setCellText(0, 99, "far");
  EXPECT_FALSE(fw::headless::takeDrawnNow(g).has_value()) << "a cell out of view is not drawn";
}

// ---------------------------------------------------------------------------------------------
// Painting

TEST_F(GridTest, TheCallListPaintsSharedLinesAndARaisedHeader) {
  configureAsCallList();
  for (int i = 1; i <= 3; ++i) addCall(i);
  form.show();
  const fw::RasterCanvas c = paint();
  // Column 0 is x 0..38 (its line at 38), column 1 from 39; rows from y 18, 18 pixels each.
  // Row 2, away from the current cell's frame at (0, 0):
  EXPECT_EQ(c.pixel(38, 62), kFace) << "one line between columns 0 and 1";
  EXPECT_EQ(c.pixel(37, 62), kWhite);
  EXPECT_EQ(c.pixel(39, 62), kWhite);
  EXPECT_EQ(c.pixel(100, 53), kFace) << "one line between rows 1 and 2";
  EXPECT_EQ(c.pixel(100, 52), kWhite);
  EXPECT_EQ(c.pixel(100, 54), kWhite);
  EXPECT_EQ(c.pixel(548, 62), kFace) << "the last column's right line";
  EXPECT_EQ(c.pixel(100, 71), kFace) << "the last row's bottom line";
  EXPECT_EQ(c.pixel(100, 72), kWhite) << "below the rows: the grid's colour";

  // The raised header box of column 1, x 38..85, y -1..17: black border, light top-left
  // inner edge, dark bottom-right inner edge.
  const struct {
    int x, y;
    fw::Color expected;
    const char* what;
  } header[] = {
      {38, 8, kBlack, "left border, shared with column 0's box"},
      {85, 8, kBlack, "right border"},
      {60, 17, kBlack, "bottom border"},
      {39, 8, kWhite, "light left edge"},
      {60, 0, kWhite, "light top edge"},
      {84, 8, kShadow, "dark right edge"},
      {60, 16, kShadow, "dark bottom edge"},
      {41, 3, kFace, "face"},
      {37, 8, kShadow, "column 0's dark right edge"},
  };
  for (const auto& p : header) EXPECT_EQ(hex(c.pixel(p.x, p.y)), hex(p.expected)) << p.what;

  const auto& texts = c.texts();
  auto find = [&](const std::string& s) -> const fw::RasterCanvas::TextCall* {
    for (const auto& t : texts)
      if (t.text == s) return &t;
    return nullptr;
  };
  const auto* number = find("05321234567");
  ASSERT_NE(number, nullptr);
  EXPECT_EQ(number->at.x, 86 + 122 - 4 - 11 * 7) << "right-aligned inside the 4-pixel margin";
  EXPECT_EQ(number->font.height, 15);
  const auto* title = find("Zaman");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->font.height, 14);
  // Its box is x 207..328; the text area 209..325.
  EXPECT_EQ(title->at.x, 209 + (117 - 5 * 7) / 2) << "header texts are centred";
  EXPECT_EQ(hex(c.pixel(300, 100)), hex(kWhite)) << "below the rows: the grid's colour";
}

TEST_F(GridTest, AFlatHeaderHasADarkBorderAndNoShadow) {
  g.setColCount(2);
  g.setGutterKind(grid::gkNone);
  g.Columns()[0].setTitle("A");
  g.Columns()[1].setTitle("B");
  const fw::RasterCanvas c = paint();
  EXPECT_EQ(hex(c.pixel(79, 8)), hex(kShadow)) << "border in the dark colour";
  EXPECT_EQ(hex(c.pixel(78, 8)), hex(kFace)) << "no dark inner edge";
  EXPECT_EQ(hex(c.pixel(80, 8)), hex(kWhite)) << "the next box's light edge";
}

TEST_F(GridTest, TheSelectionHasAThreePixelFrameAndASixPixelHandle) {
  g.setBounds(fw::Rect::fromSize(0, 0, 304, 204));
  g.setColCount(3);
  g.setRowCount(5);
  g.SetCurrentCell(1, 1);
  g.SetSelection({1, 1, 2, 2}, false);
  g.setFocus();
  // The block in client coordinates: s = (99, 35, 260, 72).
  const fw::RasterCanvas c = paint();
  const fw::Rect s{99, 35, 260, 72};
  for (int d : {-1, 0, 1}) {
    EXPECT_EQ(c.pixel(s.left + d, 50), kBlack) << "left frame " << d;
    EXPECT_EQ(c.pixel(s.right - 1 + d, 50), kBlack) << "right frame " << d;
    EXPECT_EQ(c.pixel(150, s.top + d), kBlack) << "top frame " << d;
  }
  EXPECT_EQ(c.pixel(s.left - 2, 50), kWhite) << "outside the frame";
  EXPECT_EQ(c.pixel(s.left + 2, 60), g.SelectionColor()) << "inside the frame";
  EXPECT_EQ(c.pixel(s.left + 2, 40), kWhite) << "the current cell keeps its colour";
  // The handle: x 257..262, y 69..74, white border round a black inside.
  for (int x = 257; x <= 262; ++x) {
    EXPECT_EQ(c.pixel(x, 69), kWhite) << x;
    EXPECT_EQ(c.pixel(x, 74), kWhite) << x;
  }
  for (int y = 70; y <= 73; ++y) {
    EXPECT_EQ(c.pixel(257, y), kWhite) << y;
    EXPECT_EQ(c.pixel(258, y), kBlack) << y;
    EXPECT_EQ(c.pixel(261, y), kBlack) << y;
    EXPECT_EQ(c.pixel(262, y), kWhite) << y;
  }
  EXPECT_EQ(c.pixel(263, 71), kWhite) << "right of the handle";
  EXPECT_EQ(g.FillHandleRect(), (fw::Rect{257, 69, 263, 75}));

  form.setFocus();  // the grid loses the focus: frame and handle in the grid colour
  const fw::RasterCanvas unfocused = paint();
  EXPECT_EQ(unfocused.pixel(s.left, 50), kFace);
  EXPECT_EQ(unfocused.pixel(259, 71), kFace);
}

TEST_F(GridTest, ADisabledGridShowsNoSelectionAndGreysItsText) {
  g.setColCount(2);
  g.setRowCount(3);
  g.setCellText(0, 0, "x");
  g.Columns()[0].setTitle("T");
  g.SetSelection({0, 0, 1, 1}, false);
  g.setFocus();
  g.setEnabled(false);
  const fw::RasterCanvas c = paint();
  EXPECT_EQ(c.pixel(20, 25), kWhite) << "no frame";
  EXPECT_EQ(c.pixel(110, 40), kWhite) << "no selection colour";
  for (const auto& t : c.texts()) {
    if (t.text == "x") {
      EXPECT_EQ(t.font.color, g.GridColor());
    } else if (t.text == "T") {
      EXPECT_EQ(t.font.color, g.HeaderDarkColor());
    }
  }
}

TEST_F(GridTest, EmptyGridsShowTheirColourAndHeaderOnly) {
  g.setColor(fw::rgb(0, 90, 0));
  fw::RasterCanvas c = paint();
  EXPECT_EQ(c.pixel(0, 0), fw::rgb(0, 90, 0)) << "no columns: all of it";
  EXPECT_EQ(c.pixel(195, 195), fw::rgb(0, 90, 0));

  g.setColCount(1);
  g.setRowCount(0);
  c = paint();
  EXPECT_EQ(c.pixel(5, 8), kFace) << "the header corner";
  EXPECT_EQ(c.pixel(50, 8), kFace) << "the header";
  EXPECT_EQ(c.pixel(50, 18), fw::rgb(0, 90, 0)) << "below the header";
  EXPECT_EQ(c.pixel(150, 8), fw::rgb(0, 90, 0)) << "right of the columns";
}

TEST_F(GridTest, APointerGutterMarksTheCurrentRowWithATriangle) {
  g.setColCount(1);
  g.setRowCount(3);
  g.setGutterKind(grid::gkPointer);
  g.SetCurrentCell(0, 1);
  const fw::RasterCanvas c = paint();
  // Row 1's gutter box: y 35..54; the triangle's upright at x 6 from y 40 to 49, its tip at
  // (14, 44).
  const int top = 35, bottom = 54;
  EXPECT_EQ(c.pixel(6, bottom - 5), kShadow) << "upright, lower end";
  EXPECT_EQ(c.pixel(6, top + 6), kShadow) << "upright, upper part";
  EXPECT_EQ(c.pixel(6, top + 4), kFace) << "5 pixels inside the box's top";
  EXPECT_EQ(c.pixel(6, bottom - 4), kFace) << "5 pixels inside the box's bottom";
  EXPECT_EQ(c.pixel(14, top + 9), kWhite) << "tip, where the light edge starts";
  EXPECT_EQ(c.pixel(10, top + 7), kShadow) << "upper slope";
  EXPECT_EQ(c.pixel(10, bottom - 7), kWhite) << "lower slope";
  EXPECT_EQ(c.pixel(15, top + 9), kFace);
  EXPECT_EQ(c.pixel(6, 20 + 5), kFace) << "row 0 has no triangle";
}

TEST_F(GridTest, OnlyCellsInViewAreOfferedToTheDrawHandlerInColumnOrder) {
  g.setColCount(2);
  g.setGutterKind(grid::gkNone);
  g.setRowCount(1000);
  g.SetCurrentCell(0, 500);
  std::vector<std::pair<int, int>> offered;
  g.OnDrawCell = [&](TCellGrid&, fw::Canvas& canvas, int col, int row, const fw::Rect& r, bool& handled) {
    offered.emplace_back(col, row);
    canvas.setBrush({fw::rgb(9, 9, 9)});
    canvas.fillRect(r);
    handled = row == 499;
  };
  const int first = g.ScrollY() / 18;
  const fw::RasterCanvas c = paint();
  std::vector<std::pair<int, int>> expected;
  for (int col = 0; col < 2; ++col)
    for (int row = first; row <= first + 10 && row < 1000; ++row)
      if ((row - first) * 18 - 1 < 196 - 18) expected.emplace_back(col, row);
  EXPECT_EQ(offered, expected);
  EXPECT_EQ(first, 492);
  EXPECT_EQ(c.pixel(30, 18 + (499 - first) * 18 + 5), fw::rgb(9, 9, 9)) << "a handled cell is the handler's";
  EXPECT_EQ(c.pixel(30, 18 + (498 - first) * 18 + 5), kWhite) << "the others are drawn by the grid";
}

// A repaint of part of the window visits only what meets the part, and paints there exactly
// what a full paint does (a cell's box holds its shared lines, so its neighbours are offered).
TEST_F(GridTest, AnUpdateBoxPaintsOnlyWhatItMeetsAsAFullPaintWould) {
  configureAsCallList();
  g.setGutterKind(grid::gkNumber);
  g.setGutterWidth(20);
  g.setShowFooter(true);
  for (int i = 1; i <= 8; ++i) addCall(i);
  g.SetCurrentCell(1, 2);
  g.SetSelection({1, 2, 2, 3}, false);
  const fw::RasterCanvas full = paint();
  const fw::Rect inside = g.CellRectToClient(g.CellRect(3, 5));
  const fw::Rect cellInside{inside.left + 2, inside.top + 2, inside.right - 2, inside.bottom - 2};
  const struct {
    const char* what;
    fw::Rect box;
    std::vector<std::pair<int, int>> cells;  // offered to OnDrawCell, in order
    int headerBoxes;                         // offered to OnDrawHeader
  } cases[] = {
      {"inside one cell", cellInside, {{3, 5}}, 0},
      {"one cell with its lines", inside, {{2, 4}, {2, 5}, {2, 6}, {3, 4}, {3, 5}, {3, 6}, {4, 4}, {4, 5}, {4, 6}}, 0},
      {"the header only", {0, 0, full.width(), g.Geometry().headerHeight - 2}, {}, 7},
      {"under the selection frame", g.CellRectToClient(g.CellRect(2, 3)),
       {{1, 2}, {1, 3}, {1, 4}, {2, 2}, {2, 3}, {2, 4}, {3, 2}, {3, 3}, {3, 4}}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::pair<int, int>> offered;
    int headerBoxes = 0;
    g.OnDrawCell = [&](TCellGrid&, fw::Canvas&, int col, int row, const fw::Rect&, bool&) { offered.emplace_back(col, row); };
    g.OnDrawHeader = [&](TCellGrid&, fw::Canvas&, const fw::Rect&, const std::string&, bool&) { ++headerBoxes; };
    const fw::RasterCanvas part = fw::headless::paint(g, &c.box);
    g.OnDrawCell = nullptr;
    g.OnDrawHeader = nullptr;
    EXPECT_EQ(offered, c.cells);
    EXPECT_EQ(headerBoxes, c.headerBoxes);
    const fw::RasterCanvas again = fw::headless::paint(g, &c.box);
    for (int y = c.box.top; y < c.box.bottom; ++y)
      for (int x = c.box.left; x < c.box.right; ++x)
        ASSERT_EQ(hex(again.pixel(x, y)), hex(full.pixel(x, y))) << "at " << x << "," << y;
  }
}

// ---------------------------------------------------------------------------------------------
// Stored layouts

TEST(GridLayout, TheCallListLoadsWithItsColumnsFontsAndCursor) {
  fw::registerStandardClasses();
  grid::registerClasses();
  fw::headless::setResourceDir(ZELVORA_TEST_DATA);
  fw::Form form(nullptr);
  form.loadLayout("grid_window.layout");
  auto& g = form.component<TCellGrid>("CellGrid1");
  EXPECT_EQ(g.ColCount(), 6);
  EXPECT_EQ(g.RowCount(), 0);
  EXPECT_TRUE(g.ReadOnly());
  EXPECT_TRUE(g.FitToWidth());
  EXPECT_FALSE(g.Flat());
  EXPECT_EQ(g.GutterKind(), grid::gkNone);
  EXPECT_EQ(g.Geometry().gutterExtent, 0);
  EXPECT_EQ(g.font().height, 15);
  EXPECT_EQ(g.font().charset, fw::kTurkishCharset);
  EXPECT_EQ(g.HeaderFont().height, 14);
  EXPECT_EQ(g.FooterFont().height, 16);
  EXPECT_EQ(g.GutterFont().height, 11);
  EXPECT_EQ(fw::headless::cursorOf(g), 101);
  EXPECT_EQ(g.clientSize().width, 549);
  EXPECT_EQ(widths(g), (std::vector<int>{39, 47, 122, 121, 128, 92})) << "stored widths are already fitted";
  EXPECT_EQ(g.Columns()[0].Title(), fw::ansi(u8"Sıra"));
  EXPECT_EQ(g.Columns()[2].HorzAlign(), grid::haRight);
  EXPECT_EQ(g.Columns()[3].HorzAlign(), grid::haCenter);
  EXPECT_EQ(g.Columns()[5].Font().charset, fw::kTurkishCharset) << "columns take the grid's font";
  EXPECT_EQ(g.HeaderCells().size(), 6u);
  EXPECT_EQ(g.CurrentCol(), -1);
}

// The header, footer and gutter draw Turkish titles: their fonts ask for the Turkish letters
// whether new or read from a layout that names only face and height.
TEST(GridLayout, TheBoxFontsAskForTurkishLettersNewAndFromTheLayout) {
  fw::registerStandardClasses();
  grid::registerClasses();
  fw::headless::setResourceDir(ZELVORA_TEST_DATA);
  fw::Form plain(nullptr);
  auto& fresh = plain.create<TCellGrid>(&plain);
  fw::Form form(nullptr);
  form.loadLayout("grid_window.layout");
  auto& loaded = form.component<TCellGrid>("CellGrid1");
  for (const TCellGrid* g : {&fresh, &loaded}) {
    SCOPED_TRACE(g == &fresh ? "new" : "from the layout");
    for (const fw::Font* f : {&g->HeaderFont(), &g->FooterFont(), &g->GutterFont()})
      EXPECT_EQ(f->charset, fw::kTurkishCharset) << f->name << " " << f->height;
  }
}

TEST(GridLayout, ColumnPropertiesFailWithTheirPlace) {
  fw::registerStandardClasses();
  grid::registerClasses();
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"  Column0.Title = \"a\"\n", "no column 0 (ColCount is 0)"},
      {"  ColCount = 1\n  Column0.Colour = 1\n", "unknown property of a column"},
      {"  ColCount = 1\n  Column0.HorzAlign = haMiddle\n", "'haMiddle' is not one of its values"},
      {"  ColCount = 1\n  Column0 = 1\n", "expected ColumnN.Property"},
  };
  for (const auto& c : cases) {
    fw::Form form(nullptr);
    auto& g = form.create<TCellGrid>(&form);
    fw::LoadContext ctx{"t.layout", 114, &form};
    const fw::LayoutNode node = fw::parseLayout(std::string("object G: TCellGrid\n") + c.text + "end\n", "t.layout");
    try {
      for (const auto& p : node.properties) g.applyProperty(p, ctx);
      ADD_FAILURE() << c.text;
    } catch (const fw::LayoutError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
