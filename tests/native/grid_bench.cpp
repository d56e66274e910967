// Figures for the call-list grid (prints them; asserts nothing):
// - the cost of painting a grid of 100,000 rows against one of 11 rows in the same window;
// - the allocations of one recorded call (trim, append, six writes in a batch) as the history
//   of calls grows;
// - pasting a 50 MB text of 1,000,000 lines into the 11-row call list, against pasting its
//   first 11 lines alone and against a bare scan of the 50 MB for its line breaks.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "cell_grid.h"
#include "fw/form.h"
#include "fw/platform.h"
#include "fw/testing/headless.h"
#include "grid_fixtures.h"

namespace {
long long allocations = 0;
}

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using Clock = std::chrono::steady_clock;

// The main window's call list.
void configure(grid::TCellGrid& g) {
  gridtest::shapeAsCallList(g);
  for (int c = 0; c < 6; ++c) g.Columns()[c].setTitle("Column " + std::to_string(c));
  g.setFitToWidth(true);
}

void recordCall(grid::TCellGrid& g, int number) {
  gridtest::recordCall(g, {std::to_string(number), std::to_string(1 + number % 4),
                           "0532" + std::to_string(1000000 + number),
                           "10.12.2026 05:27:" + std::to_string(10 + number % 50), "A00017",
                           number % 3 ? "" : "ek bilgi"});
}

// Microseconds per paint of the whole window, or of one cell's update box alone (the inside of
// the text cell of the row in the middle), and the cells offered to OnDrawCell per paint.
std::pair<double, long> paintCost(int rows, int rounds, bool oneCell = false) {
  fw::Form form(nullptr);
  auto& g = form.create<grid::TCellGrid>(&form);
  configure(g);
  g.setRowCount(rows);
  for (int r = 0; r < rows; r += std::max(1, rows / 50)) g.setCellText(2, r, "05321234567");
  g.SetCurrentCell(0, rows / 2);
  long offered = 0;
  g.OnDrawCell = [&](grid::TCellGrid&, fw::Canvas&, int, int, const fw::Rect&, bool&) { ++offered; };
  const fw::Rect cell = g.CellRectToClient(g.CellRect(2, rows / 2));
  const fw::Rect inside{cell.left + 1, cell.top + 1, cell.right - 1, cell.bottom - 1};
  const fw::Rect* box = oneCell ? &inside : nullptr;
  fw::headless::paint(g, box);  // warm up
  offered = 0;
  const auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) fw::headless::paint(g, box);
  const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / rounds;
  return {us, offered / rounds};
}

// Call lines of 50 bytes each, CR LF included (a million of them make 50 MB).
std::string callLines(int lines) {
  std::string text;
  text.reserve(static_cast<size_t>(lines) * 50);
  char line[64];
  for (int n = 0; n < lines; ++n) {
    std::snprintf(line, sizeof line, "%07d\t1\t05321234567\t10.12.2026 05:27\tA00017\tek\r\n", n);
    text += line;
  }
  return text;
}

// Milliseconds of the fastest of a few pastes of the clipboard into an 11-row call list.
double pasteMs(const std::string& text) {
  fw::Form form(nullptr);
  auto& g = form.create<grid::TCellGrid>(&form);
  configure(g);
  g.setRowCount(11);
  fw::clipboard::setText(text);
  double best = 1e300;
  for (int round = 0; round < 3; ++round) {
    g.ClearAll();
    const auto start = Clock::now();
    g.PasteClipboard();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

// Milliseconds of the fastest of a few counts of the text's line feeds.
double scanMs(const std::string& text, long& lines) {
  double best = 1e300;
  for (int round = 0; round < 3; ++round) {
    const auto start = Clock::now();
    lines = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))))) {
      ++lines;
      if (++p == end) break;
    }
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

void printPasteFigures() {
  const std::string large = callLines(1000000);
  const std::string small = callLines(11);
  long lines = 0;
  const double scan = scanMs(large, lines);
  const double pasteSmall = pasteMs(small);
  const double pasteLarge = pasteMs(large);
  std::printf("paste into 11 rows, its 11 lines alone:        %8.3f ms\n", pasteSmall);
  std::printf("paste into 11 rows, %.1f MB of %ld lines:   %8.3f ms\n", static_cast<double>(large.size()) / 1e6,
              lines, pasteLarge);
  std::printf("bare scan of the %.1f MB for line feeds:       %8.3f ms\n", static_cast<double>(large.size()) / 1e6,
              scan);
  std::printf("large paste beyond the 11 lines, in scans:     %8.2f  (the text is read, not split into lines)\n",
              (pasteLarge - pasteSmall) / scan);
}

}  // namespace

int main() {
  constexpr int kRounds = 300;
  const auto small = paintCost(11, kRounds);
  const auto large = paintCost(100000, kRounds);
  std::printf("paint, 11 rows:       %8.1f us  (%ld cells offered to OnDrawCell)\n", small.first, small.second);
  std::printf("paint, 100,000 rows:  %8.1f us  (%ld cells offered to OnDrawCell)\n", large.first, large.second);
  std::printf("ratio 100,000 / 11:   %8.2f  (target: at most 2)\n", large.first / small.first);
  const auto cell = paintCost(11, kRounds, true);
  std::printf("repaint of one cell:  %8.1f us  (%ld cells offered to OnDrawCell)\n", cell.first, cell.second);
  std::printf("ratio one cell / all: %8.2f  (target: well under 1)\n", cell.first / small.first);

  fw::Form form(nullptr);
  auto& g = form.create<grid::TCellGrid>(&form);
  configure(g);
  std::printf("allocations of one recorded call, by number of calls before it:\n");
  long long fewest = -1, most = 0;
  for (int call = 1; call <= 5000; ++call) {
    fw::headless::takeInvalidations(g);
    const long long before = allocations;
    recordCall(g, call);
    const long long used = allocations - before;
    if (call > 11) {  // once the list is full
      fewest = fewest < 0 ? used : std::min(fewest, used);
      most = std::max(most, used);
    }
    if (call == 12 || call == 100 || call == 1000 || call == 5000) std::printf("  call %5d: %lld\n", call, used);
  }
  std::printf("  from call 12 to 5000: between %lld and %lld per call (target: no growth with history)\n", fewest,
              most);

  printPasteFigures();
  return 0;
}
