// The call-list grid's clipboard on the headless backend: copy, cut and paste of blocks of cells
// as tab-separated lines, with hidden and read-only columns, repetition over a selection,
// dropped overflow, events, repaints and very large texts.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "cell_grid.h"
#include "fw/form.h"
#include "fw/testing/headless.h"
#include "fw/platform.h"

namespace {

using grid::TCellGrid;
using grid::TGridRect;

// Where a test puts the grid before an operation: its size, which columns are hidden or
// read-only, the current cell, and the selection around it (none: the current cell alone).
struct GridState {
  int cols = 4;
  int rows = 4;
  std::set<int> hiddenCols;
  std::set<int> readOnlyCols;
  int col = 0;
  int row = 0;
  std::optional<TGridRect> selection;

  GridState& size(int c, int r) { return cols = c, rows = r, *this; }
  GridState& hidden(std::set<int> c) { return hiddenCols = std::move(c), *this; }
  GridState& readOnly(std::set<int> c) { return readOnlyCols = std::move(c), *this; }
  GridState& at(int c, int r) { return col = c, row = r, *this; }
  GridState& select(TGridRect block) { return selection = block, *this; }
};

class ClipboardTest : public ::testing::Test {
 protected:
  ClipboardTest() : form(nullptr), g(form.create<TCellGrid>(&form)) {}

  // Every cell starts as "." so that an emptied cell shows.
  void prepare(const GridState& s) {
    g.setColCount(0);  // fresh columns: no hidden or read-only ones left from a case before
    g.setColCount(s.cols);
    g.setRowCount(s.rows);
    for (int c = 0; c < s.cols; ++c)
      for (int r = 0; r < s.rows; ++r) g.setCellText(c, r, ".");
    for (int c : s.hiddenCols) g.Columns()[c].setVisible(false);
    for (int c : s.readOnlyCols) g.Columns()[c].setReadOnly(true);
    g.SetCurrentCell(s.col, s.row);
    if (s.selection) g.SetSelection(*s.selection, false);
    fw::headless::takeInvalidations(g);
    fw::headless::takeDrawnNow(g);
  }

  // The cells row by row, each row's texts joined by "|".
  std::vector<std::string> rows() const {
    std::vector<std::string> out;
    for (int r = 0; r < g.RowCount(); ++r) {
      std::string line;
      for (int c = 0; c < g.ColCount(); ++c) line += (c ? "|" : "") + g.RawCellText(c, r);
      out.push_back(line);
    }
    return out;
  }

  // The rectangle one repaint of the cell area asks for.
  fw::Rect cellAreaRequest() {
    fw::headless::takeInvalidations(g);
    g.InvalidateCellArea();
    const auto requests = fw::headless::takeInvalidations(g);
    return requests.empty() ? fw::Rect{} : requests.front();
  }

  fw::Form form;
  TCellGrid& g;
};

// ---------------------------------------------------------------------------------------------
// Copy

TEST_F(ClipboardTest, CopyPutsTheVisibleCellsOfEachSelectedRowAsOneTabSeparatedLine) {
  const struct {
    const char* name;
    GridState setup;
    std::string expected;
  } cases[] = {
      {"one cell", GridState().at(1, 2), "b2\r\n"},
      {"hidden middle column: two fields a line", GridState().hidden({1}).select({0, 0, 2, 1}), "a0\tc0\r\na1\tc1\r\n"},
      {"hidden left column makes no field of its own", GridState().hidden({0}).at(1, 1).select({0, 1, 2, 2}),
       "b1\tc1\r\nb2\tc2\r\n"},
      {"hidden columns only: an empty line a row", GridState().hidden({1, 2}).at(1, 0).select({1, 0, 2, 1}),
       "\r\n\r\n"},
      {"read-only columns are copied", GridState().readOnly({3}).at(2, 3).select({2, 3, 3, 3}), "c3\td3\r\n"},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    prepare(tc.setup);
    for (int c = 0; c < 4; ++c)
      for (int r = 0; r < 4; ++r) g.setCellText(c, r, std::string(1, static_cast<char>('a' + c)) + std::to_string(r));
    g.CopySelection();
    EXPECT_EQ(fw::clipboard::text(), tc.expected);
  }
}

TEST_F(ClipboardTest, EmptyCellsStillMakeTheirFields) {
  prepare(GridState().size(3, 2).select({0, 0, 2, 1}));
  g.setCellText(1, 0, "");
  g.setCellText(0, 1, "");
  g.setCellText(2, 1, "");
  g.CopySelection();
  EXPECT_EQ(fw::clipboard::text(), ".\t\t.\r\n\t.\t\r\n");
}

TEST_F(ClipboardTest, ABlockCopiedAndPastedBackLandsOnTheSameCells) {
  for (const std::set<int>& hidden : {std::set<int>{}, std::set<int>{0}, std::set<int>{1}, std::set<int>{0, 2}}) {
    SCOPED_TRACE(testing::PrintToString(hidden));
    prepare(GridState().size(4, 3).hidden(hidden).at(1, 1).select({0, 1, 3, 2}));
    for (int c = 0; c < 4; ++c)
      for (int r = 0; r < 3; ++r) g.setCellText(c, r, std::to_string(10 * c + r));
    const std::vector<std::string> before = rows();
    g.CopySelection();
    for (int c = 0; c < 4; ++c)
      for (int r = 1; r < 3; ++r)
        if (!hidden.count(c)) g.setCellText(c, r, "");
    g.PasteClipboard();
    EXPECT_EQ(rows(), before);
  }
}

// A cell that holds a tab or a line break once split into several cells or rows on the
// clipboard, so a spreadsheet received shifted columns. Such a cell, and one that begins with a
// double quote, is now written in the quoted form; every other cell as it is.
TEST_F(ClipboardTest, CopyQuotesACellWithATabALineBreakOrALeadingQuote) {
  const struct {
    std::string cell;
    std::string field;
  } cases[] = {
      {"a\tb", "\"a\tb\""},
      {"c\nd", "\"c\nd\""},
      {"e\r\nf", "\"e\r\nf\""},
      {"g\r", "\"g\r\""},
      {"\"quoted\"", "\"\"\"quoted\"\"\""},
      {"\"", "\"\"\"\""},
      {"say \"hi\"\tthere", "\"say \"\"hi\"\"\tthere\""},
      {"inner \"quotes\" alone", "inner \"quotes\" alone"},
      {"", ""},
      {" ", " "},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::PrintToString(tc.cell));
    prepare(GridState().size(3, 1).select({0, 0, 2, 0}));
    g.setCellText(1, 0, tc.cell);
    g.CopySelection();
    EXPECT_EQ(fw::clipboard::text(), ".\t" + tc.field + "\t.\r\n");
  }
}

TEST_F(ClipboardTest, PasteReadsTheQuotedFormAndLeavesOtherQuotesAlone) {
  const struct {
    const char* name;
    std::string text;
    std::vector<std::string> expected;
  } cases[] = {
      {"quoted fields", "\"a\tb\"\t\"c\r\nd\"\r\n\"\"\"q\"\"\"\tx", {"a\tb|c\r\nd|.", "\"q\"|x|.", ".|.|."}},
      {"an empty quoted field", "\"\"\tz", {"|z|.", ".|.|.", ".|.|."}},
      {"a quote inside a plain field is text", "a\"b\tc\"", {"a\"b|c\"|.", ".|.|.", ".|.|."}},
      {"text after the closing quote: plain", "\"ab\"c\td", {"\"ab\"c|d|.", ".|.|.", ".|.|."}},
      {"a quote never closed: plain to the tab", "\"ab\tc\r\nd", {"\"ab|c|.", "d||.", ".|.|."}},
      {"a lone quote", "\"", {"\"|.|.", ".|.|.", ".|.|."}},
      {"the quoted form ends the text", "1\t\"x\ny\"", {"1|x\ny|.", ".|.|.", ".|.|."}},
      {"a quoted line break is not a line", "\"1\n2\n3\"\t4\n5", {"1\n2\n3|4|.", "5||.", ".|.|."}},
      {"doubled quotes that never close", "\"\"\"\"\"\tb", {"\"\"\"\"\"|b|.", ".|.|.", ".|.|."}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    prepare(GridState().size(3, 3));
    fw::clipboard::setText(tc.text);
    g.PasteClipboard();
    EXPECT_EQ(rows(), tc.expected);
  }
}

// The property the clipboard keeps for every grid: a copy, then a paste into an empty grid of
// the same shape, gives back the same cells, whatever they hold.
TEST_F(ClipboardTest, AnyCellTextsSurviveACopyAndAPaste) {
  const std::vector<std::string> texts = {
      "", "\t", "\r\n", "\r", "\n", "\"", "\"\"", "\"a\"", "\"a\"b", "a\"", "a\"\"b", "\t\"\t",
      "\"\r\n\"", " \"x", "\n\n", std::string(1, '\0') + "zz", "\x01\x7F\xFE", "\"\t", "x\r\"\ny"};
  for (const std::set<int>& hidden : {std::set<int>{}, std::set<int>{1}}) {
    SCOPED_TRACE(testing::PrintToString(hidden));
    const int cols = 3;
    const int rowCount = static_cast<int>((texts.size() + cols - 1) / cols);
    prepare(GridState().size(cols, rowCount).hidden(hidden).select({0, 0, cols - 1, rowCount - 1}));
    for (size_t i = 0; i < texts.size(); ++i) g.setCellText(static_cast<int>(i % cols), static_cast<int>(i / cols), texts[i]);
    std::vector<std::string> before;
    for (int r = 0; r < rowCount; ++r)
      for (int c = 0; c < cols; ++c)
        if (!hidden.count(c)) before.push_back(g.RawCellText(c, r));
    g.CopySelection();

    prepare(GridState().size(cols, rowCount).hidden(hidden));
    for (int c = 0; c < cols; ++c)
      for (int r = 0; r < rowCount; ++r) g.setCellText(c, r, "");
    g.PasteClipboard();
    std::vector<std::string> after;
    for (int r = 0; r < rowCount; ++r)
      for (int c = 0; c < cols; ++c)
        if (!hidden.count(c)) after.push_back(g.RawCellText(c, r));
    EXPECT_EQ(after, before);
  }
}

// ---------------------------------------------------------------------------------------------
// Cut

TEST_F(ClipboardTest, CutEmptiesTheVisibleCellsItCopiesAndLeavesReadOnlyAndHiddenOnes) {
  prepare(GridState().size(4, 3).hidden({1}).readOnly({2}).at(0, 1).select({0, 1, 3, 2}));
  for (int c = 0; c < 4; ++c) g.setCellText(c, 1, std::to_string(c));
  std::vector<std::string> events;
  g.OnCellChanging = [&](TCellGrid&, int col, int row, bool&) {
    events.push_back("changing " + std::to_string(col) + "," + std::to_string(row));
  };
  g.OnCellChange = [&](TCellGrid& s, int col, int row, std::string& str) {
    events.push_back("change " + std::to_string(col) + "," + std::to_string(row) + " [" + str + "] was [" +
                     s.RawCellText(col, row) + "]");
  };
  g.CutSelection();
  EXPECT_EQ(fw::clipboard::text(), "0\t2\t3\r\n.\t.\t.\r\n");
  EXPECT_EQ(rows(), (std::vector<std::string>{".|.|.|.", "|1|2|", "|.|.|"}));
  EXPECT_EQ(events, (std::vector<std::string>{"changing 0,1", "change 0,1 [] was [0]", "changing 3,1",
                                              "change 3,1 [] was [3]", "changing 0,2", "change 0,2 [] was [.]",
                                              "changing 3,2", "change 3,2 [] was [.]"}))
      << "each cell is read before it is emptied, and only cells that change raise events";
}

TEST_F(ClipboardTest, ACellThatRefusesTheCutKeepsItsTextButIsCopied) {
  prepare(GridState().size(2, 1).select({0, 0, 1, 0}));
  g.OnCellChanging = [](TCellGrid&, int col, int, bool& canChange) { canChange = col != 1; };
  g.CutSelection();
  EXPECT_EQ(fw::clipboard::text(), ".\t.\r\n");
  EXPECT_EQ(rows(), (std::vector<std::string>{"|."}));
}

// ---------------------------------------------------------------------------------------------
// Paste

TEST_F(ClipboardTest, PasteWritesTheBlockFromTheCurrentCellOrRepeatsItOverTheSelection) {
  const struct {
    const char* name;
    GridState setup;
    std::string text;
    std::vector<std::string> expected;
  } cases[] = {
      {"two lines at the first cell; the short line is padded",
       GridState().size(3, 3),
       "1\t2\r\n3",
       {"1|2|.", "3||.", ".|.|."}},
      {"2 x 2 into a 4 x 4 selection repeats four times",
       GridState().select({0, 0, 3, 3}),
       "a\tb\r\nc\td\r\n",
       {"a|b|a|b", "c|d|c|d", "a|b|a|b", "c|d|c|d"}},
      {"2 x 2 at a cell in the last column writes only that column",
       GridState().at(3, 1),
       "a\tb\r\nc\td\r\n",
       {".|.|.|.", ".|.|.|a", ".|.|.|c", ".|.|.|."}},
      {"a hidden column is skipped without using a value",
       GridState().hidden({1}),
       "1\t2\t3",
       {"1|.|2|3", ".|.|.|.", ".|.|.|.", ".|.|.|."}},
      {"hidden columns are skipped over a selection too",
       GridState().hidden({1}).select({0, 0, 3, 1}),
       "a\tb",
       {"a|.|b|a", "a|.|b|a", ".|.|.|.", ".|.|.|."}},
      {"a read-only column keeps its text and uses its value",
       GridState().readOnly({1}).at(0, 2),
       "1\t2\t3\r\n4\t5\t6",
       {".|.|.|.", ".|.|.|.", "1|.|3|.", "4|.|6|."}},
      {"rows beyond the last are dropped", GridState().size(4, 2).at(0, 1), "1\r\n2\r\n3\r\n4", {".|.|.|.", "1|.|.|."}},
      {"the width counts lines that are dropped", GridState().size(4, 1), "1\r\n2\t3\t4", {"1|||."}},
      {"line feeds alone", GridState().size(1, 4), "1\n2\n\n3\n", {"1", "2", "", "3"}},
      {"carriage returns alone", GridState().size(1, 4), "1\r2\r\r3\r", {"1", "2", "", "3"}},
      {"LF CR is two breaks, CR LF one", GridState().size(1, 4), "1\n\r2\r\n3", {"1", "", "2", "3"}},
      {"a final break adds no line to repeat",
       GridState().size(1, 4).select({0, 0, 0, 3}),
       "x\r\n",
       {"x", "x", "x", "x"}},
      {"a selection shorter than the block takes its first lines",
       GridState().size(2, 4).select({0, 1, 1, 2}),
       "1\r\n2\r\n3\r\n4",
       {".|.", "1|1", "2|2", ".|."}},
      {"one empty line empties the cell", GridState().size(2, 4).at(1, 0), "\r\n", {".|", ".|.", ".|.", ".|."}},
      {"an empty text into one cell writes nothing", GridState().size(2, 4), "", {".|.", ".|.", ".|.", ".|."}},
      {"an empty text into a selection writes nothing",
       GridState().size(2, 4).select({0, 0, 1, 3}),
       "",
       {".|.", ".|.", ".|.", ".|."}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    prepare(tc.setup);
    fw::clipboard::setText(tc.text);
    g.PasteClipboard();
    EXPECT_EQ(rows(), tc.expected);
  }
}

TEST_F(ClipboardTest, PasteWithoutTextOnTheClipboardDoesNothing) {
  prepare(GridState().select({0, 0, 1, 1}));
  g.ShowGridCaret();
  fw::headless::clearClipboard();
  g.PasteClipboard();
  EXPECT_EQ(rows(), (std::vector<std::string>(4, ".|.|.|.")));
  EXPECT_TRUE(fw::headless::takeInvalidations(g).empty());
  EXPECT_TRUE(TCellGrid::CaretShown()) << "not even the caret is hidden";
  g.HideCaretAndEditor();
}

TEST_F(ClipboardTest, PastedCellsRaiseTheUsersEventsAndAHandlerMayChangeTheValue) {
  prepare(GridState().size(3, 2));
  g.setCellText(1, 0, "same");
  std::vector<std::string> events;
  g.OnCellChanging = [&](TCellGrid&, int col, int row, bool& canChange) {
    events.push_back("changing " + std::to_string(col) + "," + std::to_string(row));
    canChange = !(col == 2 && row == 0);
  };
  g.OnCellChange = [&](TCellGrid&, int col, int row, std::string& str) {
    events.push_back("change " + std::to_string(col) + "," + std::to_string(row) + " " + str);
    str = "<" + str + ">";
  };
  fw::clipboard::setText("x\tsame\ty\r\nz");
  g.PasteClipboard();
  EXPECT_EQ(events,
            (std::vector<std::string>{"changing 0,0", "change 0,0 x", "changing 2,0", "changing 0,1", "change 0,1 z",
                                      "changing 1,1", "change 1,1 ", "changing 2,1", "change 2,1 "}))
      << "an unchanged cell raises nothing; a refused one no change";
  EXPECT_EQ(rows(), (std::vector<std::string>{"<x>|same|.", "<z>|<>|<>"}));
}

// Copy, cut and paste leave the current cell and the selection where they were; cut and
// paste hold the cells' repaints back and ask for one repaint of the cell area; only paste
// hides the caret.
TEST_F(ClipboardTest, BlockOperationsRepaintOnceAndKeepTheCurrentCellAndSelection) {
  const struct {
    const char* name;
    void (*operation)(TCellGrid&);
    bool repaints;
    bool hidesCaret;
  } cases[] = {
      {"copy", [](TCellGrid& grid) { grid.CopySelection(); }, false, false},
      {"cut", [](TCellGrid& grid) { grid.CutSelection(); }, true, false},
      {"paste", [](TCellGrid& grid) { grid.PasteClipboard(); }, true, true},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    prepare(GridState().at(1, 1).select({0, 0, 2, 2}));
    const fw::Rect cellArea = cellAreaRequest();
    g.EditCellText(0, 3, true, "x");
    ASSERT_TRUE(fw::headless::takeDrawnNow(g)) << "a single write outside a block is drawn at once";
    fw::headless::takeInvalidations(g);
    g.ShowGridCaret();
    fw::clipboard::setText("1\t2\t3\r\n4\t5\t6\r\n7\t8\t9\r\n");

    tc.operation(g);

    EXPECT_EQ(g.CurrentCol(), 1);
    EXPECT_EQ(g.CurrentRow(), 1);
    EXPECT_EQ(g.Selection(), (TGridRect{0, 0, 2, 2}));
    EXPECT_FALSE(g.BatchLock());
    EXPECT_FALSE(fw::headless::takeDrawnNow(g)) << "no cell was drawn on its own";
    EXPECT_EQ(fw::headless::takeInvalidations(g),
              tc.repaints ? std::vector<fw::Rect>{cellArea} : std::vector<fw::Rect>{});
    EXPECT_EQ(TCellGrid::CaretShown(), !tc.hidesCaret);
    g.HideCaretAndEditor();
  }
}

TEST_F(ClipboardTest, AThrowingCellHandlerStillEndsTheBlockEdit) {
  prepare(GridState().size(2, 2));
  const fw::Rect cellArea = cellAreaRequest();
  g.OnCellChange = [](TCellGrid&, int, int, std::string&) { throw std::runtime_error("refused"); };
  fw::clipboard::setText("1\t2");
  EXPECT_THROW(g.PasteClipboard(), std::runtime_error);
  EXPECT_FALSE(g.BatchLock()) << "later writes repaint again";
  EXPECT_EQ(fw::headless::takeInvalidations(g), std::vector<fw::Rect>{cellArea});
}

TEST_F(ClipboardTest, AHandlerThatShrinksTheGridMidPasteEndsItQuietly) {
  prepare(GridState().size(3, 3).select({0, 0, 2, 2}));
  g.OnCellChange = [](TCellGrid& s, int, int, std::string&) {
    s.setRowCount(1);
    s.setColCount(2);
  };
  fw::clipboard::setText("1\t2\t3");
  EXPECT_NO_THROW(g.PasteClipboard());
  EXPECT_EQ(rows(), (std::vector<std::string>{"1|2"}));
}

// A text far taller than the grid costs a scan of the text, not a line for every one of its
// rows; the cells that exist get their lines.
TEST_F(ClipboardTest, AMillionLinePasteFillsOnlyTheRowsThatExist) {
  constexpr int kLines = 1000000;
  std::string text;
  text.reserve(kLines * 16);
  for (int n = 0; n < kLines; ++n) text += std::to_string(n) + "\t#" + std::to_string(n) + (n % 2 ? "\n" : "\r\n");
  text += "w\tx\ty\tz";  // the widest line comes last and empties a third column
  fw::clipboard::setText(text);

  for (const bool oneCell : {true, false}) {
    SCOPED_TRACE(oneCell ? "at one cell" : "into a selection");
    GridState state = GridState().size(3, 11).at(0, 1);
    if (!oneCell) state.select({0, 1, 2, 10});
    prepare(state);
    g.PasteClipboard();
    const std::vector<std::string> got = rows();
    ASSERT_EQ(got.size(), 11u);
    EXPECT_EQ(got[0], ".|.|.");
    for (int r = 1; r < 11; ++r) {
      const std::string n = std::to_string(r - 1);
      EXPECT_EQ(got[static_cast<size_t>(r)], n + "|#" + n + "|");
    }
  }
}

}  // namespace
