// What the grid's native tests share: printers for its values, a grid laid out as the main
// window's call list, a call recorded as the main window records it, and the fixtures of the
// grid's layout and painting, mouse and keyboard tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cell_grid.h"
#include "fw/form.h"
#include "fw/testing/headless.h"
#include "fw/text.h"

namespace grid {
inline void PrintTo(const TGridRect& r, std::ostream* os) {
  *os << "{" << r.Left << "," << r.Top << " - " << r.Right << "," << r.Bottom << "}";
}
inline void PrintTo(const TGridCoord& c, std::ostream* os) { *os << "(" << c.Col << "," << c.Row << ")"; }
}  // namespace grid

namespace fw {
inline void PrintTo(const Rect& r, std::ostream* os) {
  *os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}
}  // namespace fw

namespace gridtest {

using grid::TCellColumn;
using grid::TCellGrid;
using grid::TCellInplace;
using grid::TGridCoord;
using grid::TGridRect;
namespace vk = grid::vk;
namespace hl = fw::headless;
using Rects = std::vector<fw::Rect>;
using Strings = std::vector<std::string>;

inline std::string at(int col, int row) { return std::to_string(col) + "," + std::to_string(row); }

// The main window's call list without its texts and fonts: 549 x 222 pixels inside its edge,
// six read-only columns at their layout widths, no rows yet.
inline void shapeAsCallList(TCellGrid& g) {
  g.setBounds(fw::Rect::fromSize(2, 16, 553, 226));
  g.setColCount(6);
  g.setRowCount(0);
  g.setFlat(false);
  g.setReadOnly(true);
  g.setGutterKind(grid::gkNone);
  const int widths[] = {39, 47, 122, 121, 128, 92};
  for (int c = 0; c < 6; ++c) {
    g.Columns()[c].setWidth(widths[c]);
    g.Columns()[c].setHorzAlign(c == 2 ? grid::haRight : grid::haCenter);
  }
}

// One call as the main window records it: the oldest rows go beyond ten, a row is added and
// its six cells are written in one batch.
inline void recordCall(TCellGrid& g, const std::array<std::string, 6>& cells) {
  while (g.RowCount() > 10) g.RemoveRow(0);
  g.AppendRow();
  const int row = g.RowCount() - 1;
  TCellGrid::BatchScope batch(g);
  for (int c = 0; c < 6; ++c) g.setCellText(c, row, cells[static_cast<size_t>(c)]);
}

// ---------------------------------------------------------------------------------------------
// Layout and painting

inline constexpr fw::Color kFace = fw::rgb(240, 240, 240);    // clBtnFace, the grid lines and the header
inline constexpr fw::Color kShadow = fw::rgb(160, 160, 160);  // clBtnShadow
inline constexpr fw::Color kWhite = fw::clWhite;              // clWindow and clBtnHighlight
inline constexpr fw::Color kBlack = fw::clBlack;

inline std::vector<int> widths(const TCellGrid& g) {
  std::vector<int> w;
  for (int c = 0; c < g.ColCount(); ++c) w.push_back(g.Columns()[c].Width());
  return w;
}

inline std::vector<size_t> listLengths(const TCellGrid& g) {
  std::vector<size_t> n;
  for (int c = 0; c < g.ColCount(); ++c) n.push_back(g.Columns()[c].Strings().size());
  return n;
}

inline std::string hex(fw::Color c) {
  char b[16];
  std::snprintf(b, sizeof b, "%06X", static_cast<unsigned>(c));
  return b;
}

// A form holding one grid; the grid's window has a 2-pixel client edge on every side.
class GridTest : public ::testing::Test {
 protected:
  GridTest() : form(nullptr), g(form.create<TCellGrid>(&form)) {}

  // The main window's call list: 549 x 222 pixels inside its edge.
  void configureAsCallList() {
    shapeAsCallList(g);
    g.setGutterWidth(0);
    fw::Font f;
    f.height = 15;
    f.charset = fw::kTurkishCharset;
    g.setFont(f);
    f.charset = fw::kDefaultCharset;
    f.height = 14;
    g.setHeaderFont(f);
    const char8_t* titles[] = {u8"Sıra", u8"HatNo", u8"Arayan numara", u8"Zaman", u8"Cihaz Seri No", u8"Ek bilgi"};
    for (int c = 0; c < 6; ++c) g.Columns()[c].setTitle(fw::ansi(titles[c]));
    g.setFitToWidth(true);
  }

  // One call as the main window records it.
  void addCall(int number) {
    recordCall(g, {std::to_string(number), "1", "05321234567", "10.12.2026 05:27:37", "A00017", ""});
  }

  fw::RasterCanvas paint() { return fw::headless::paint(g); }

  fw::Form form;
  TCellGrid& g;
};

// ---------------------------------------------------------------------------------------------
// The mouse

inline constexpr fw::ShiftState kLeftHeld{.left = true};

inline const char* buttonName(fw::MouseButton b) {
  return b == fw::MouseButton::Left ? "left" : b == fw::MouseButton::Right ? "right" : "middle";
}

// A form holding one grid; the grid's window has a 2-pixel client edge, so bounds of 404 x 304
// give a 400 x 300 client area. The gutter is 20 pixels wide, the header and each row 18 high.
struct Rig {
  explicit Rig(int cols = 4, int rows = 10, int width = 60, fw::Size bounds = {404, 304})
      : form(nullptr), g(form.create<TCellGrid>(&form)), ed(g.Inplace()) {
    g.setBounds(fw::Rect::fromSize(0, 0, bounds.width, bounds.height));
    g.setColCount(cols);
    g.setRowCount(rows);
    for (int c = 0; c < cols; ++c) g.Columns()[c].setWidth(width);
  }

  // Every event the grid raises, in order.
  void record() {
    g.OnColRowChanged = [this](TCellGrid&, int c, int r) { log.push_back("colrow " + at(c, r)); };
    g.OnGutterClick = [this](TCellGrid&, int r, fw::MouseButton b, fw::ShiftState) {
      log.push_back("gutter " + std::to_string(r) + " " + buttonName(b));
    };
    g.OnHeaderClick = [this](TCellGrid&, int c, fw::MouseButton b, fw::ShiftState) {
      log.push_back("header " + std::to_string(c) + " " + buttonName(b));
    };
    g.onMouseDown = [this](fw::Component&, fw::MouseButton b, fw::ShiftState, fw::Point) {
      log.push_back(std::string("down ") + buttonName(b));
    };
    g.OnCellChanging = [this](TCellGrid&, int c, int r, bool& ok) {
      log.push_back("changing " + at(c, r));
      if (refuse) ok = false;
    };
    g.OnCellChange = [this](TCellGrid&, int c, int r, std::string&) { log.push_back("change " + at(c, r)); };
  }
  Strings takeLog() { return std::exchange(log, {}); }

  fw::Point centre(int col, int row) const {
    const fw::Rect r = g.CellRectToClient(g.CellRect(col, row));
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  fw::Point gutter(int row) const { return {g.Geometry().gutterExtent / 2, centre(0, row).y}; }
  fw::Point header(int col) const { return {centre(col, 0).x, g.Geometry().headerHeight / 2}; }

  // The pointer arrives without a button held: that sets the mode of the next press.
  void hover(fw::Point p) { hl::mouseMove(g, p); }
  void press(fw::Point p, fw::MouseButton b = fw::MouseButton::Left, fw::ShiftState s = {}) {
    hover(p);
    hl::mouseDown(g, b, p, s);
  }
  void click(fw::Point p, fw::MouseButton b = fw::MouseButton::Left) {
    press(p, b);
    hl::mouseUp(g, b, p);
  }
  void dragTo(const std::vector<fw::Point>& via) {
    for (fw::Point p : via) hl::mouseMove(g, p, kLeftHeld);
  }
  // A cell that is not current becomes current; a second click on it opens the editor.
  void openEditorAt(int col, int row) {
    if (g.CurrentCol() != col || g.CurrentRow() != row) click(centre(col, row));
    click(centre(col, row));
  }

  // Every row as its cells joined by commas.
  Strings rows() const {
    Strings out;
    for (int r = 0; r < g.RowCount(); ++r) {
      std::string line;
      for (int c = 0; c < g.ColCount(); ++c) line += (c ? "," : "") + g.RawCellText(c, r);
      out.push_back(line);
    }
    return out;
  }
  TGridCoord current() const { return {g.CurrentCol(), g.CurrentRow()}; }
  int countOf(const std::string& prefix) const {
    int n = 0;
    for (const std::string& e : log) n += e.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }

  fw::Form form;
  TCellGrid& g;
  TCellInplace& ed;
  Strings log;
  bool refuse = false;
};

// ---------------------------------------------------------------------------------------------
// The keyboard

struct Stroke {
  int key;
  bool shift = false;
  bool ctrl = false;
};
inline Stroke plain(int key) { return {key}; }
inline Stroke shifted(int key) { return {key, true, false}; }
inline Stroke ctrl(int key) { return {key, false, true}; }
inline Stroke ctrlShift(int key) { return {key, true, true}; }

// Every cell that holds text, as "col,row=text", column by column.
inline Strings filledCells(const TCellGrid& g) {
  Strings cells;
  for (int c = 0; c < g.ColCount(); ++c)
    for (int r = 0; r < g.RowCount(); ++r)
      if (!g.RawCellText(c, r).empty()) cells.push_back(at(c, r) + "=" + g.RawCellText(c, r));
  return cells;
}

// A form holding one grid whose events are written to a log in the order they come.
class GridKeysTest : public ::testing::Test {
 protected:
  GridKeysTest() : form(nullptr), g(form.create<TCellGrid>(&form)) {}
  // Handlers run inside the application's guard, which would swallow a throw.
  void TearDown() override { EXPECT_EQ(hl::reportedErrors().size(), errorsBefore) << "an error escaped a handler"; }

  // Five columns, the middle one hidden, in a window where everything fits.
  void makeGrid(int rows) {
    g.setBounds(fw::Rect::fromSize(0, 0, 604, 404));
    g.setColCount(5);
    g.setRowCount(rows);
    g.Columns()[2].setVisible(false);
    logEvents();
  }

  void logEvents() {
    g.OnColRowChanged = [this](TCellGrid&, int c, int r) { log.push_back("colrow " + at(c, r)); };
    g.OnInsertRow = [this](TCellGrid&, int r) { log.push_back("insert " + std::to_string(r)); };
    g.OnDeleteRow = [this](TCellGrid&, int r) { log.push_back("delete " + std::to_string(r)); };
    g.OnCellChanging = [this](TCellGrid&, int c, int r, bool&) { log.push_back("changing " + at(c, r)); };
    g.OnCellChange = [this](TCellGrid&, int c, int r, std::string& s) {
      log.push_back("change " + at(c, r) + " " + s);
    };
    g.onKeyDown = [this](fw::Component&, int& key, fw::ShiftState) { log.push_back("key " + std::to_string(key)); };
    g.onKeyPress = [this](fw::Component&, char& ch) { log.push_back(std::string("press ") + ch); };
  }

  void press(Stroke s) { hl::keyDown(g, s.key, fw::ShiftState{.shift = s.shift, .ctrl = s.ctrl}); }
  void type(const std::string& text) { hl::typeText(g, text); }
  Strings takeLog() { return std::exchange(log, {}); }
  TGridCoord current() const { return {g.CurrentCol(), g.CurrentRow()}; }

  size_t errorsBefore = hl::reportedErrors().size();
  fw::Form form;
  TCellGrid& g;
  Strings log;
};

}  // namespace gridtest
