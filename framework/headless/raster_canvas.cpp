#include "fw/testing/raster_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "fw/testing/headless.h"

namespace fw {

RasterCanvas::RasterCanvas(int width, int height, Color background, Rect paintBox)
    : width_(width),
      height_(height),
      pixels_(static_cast<size_t>(width) * height, resolveColor(background)),
      paintBox_(paintBox.intersect({0, 0, width, height})) {}

Color RasterCanvas::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) throw std::out_of_range("pixel outside the canvas");
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

void RasterCanvas::plot(int x, int y, Color c) {
  if (!paintBox_.contains({x, y})) return;
  if (clip_ && !clip_->contains({x, y})) return;
  pixels_[static_cast<size_t>(y) * width_ + x] = c;
}

void RasterCanvas::fill(const Rect& r, Color c) {
  const Rect box = r.intersect(paintBox_);
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) plot(x, y, c);
}

void RasterCanvas::fillRect(const Rect& r) {
  if (!brush_.clear) fill(r, resolveColor(brush_.color));
}

void RasterCanvas::rectangle(const Rect& r) {
  if (r.empty()) return;
  if (pen_.clear) {
    if (!brush_.clear) fill({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, resolveColor(brush_.color));
    return;
  }
  const Color c = resolveColor(pen_.color);
  if (pen_.dotted) {
    if (!brush_.clear) fill({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, resolveColor(brush_.color));
    // Round the outline clockwise from the top-left corner, three pixels on, three off.
    const Point corners[] = {{r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}};
    int step = 0;
    for (int i = 0; i < 4; ++i) {
      Point p = corners[i];
      const Point to = corners[(i + 1) % 4];
      do {
        if (step++ % 6 < 3) plot(p.x, p.y, c);
        p.x += (to.x > p.x) - (to.x < p.x);
        p.y += (to.y > p.y) - (to.y < p.y);
      } while (p != to);
    }
    return;
  }
  // The outline runs through the outermost pixels (left, top) and (right - 1, bottom - 1); a
  // pen of width w covers [edge - w / 2, edge - w / 2 + w) around each.
  const int w = std::max(1, pen_.width);
  const int out = w / 2, in = w - w / 2;
  const Rect outer{r.left - out, r.top - out, r.right - 1 - out + w, r.bottom - 1 - out + w};
  const Rect inner{r.left + in, r.top + in, r.right - 1 - out, r.bottom - 1 - out};
  if (!brush_.clear) fill(inner, resolveColor(brush_.color));
  for (int y = outer.top; y < outer.bottom; ++y) {
    for (int x = outer.left; x < outer.right; ++x) {
      if (inner.contains({x, y})) continue;
      const bool corner = (x == outer.left || x == outer.right - 1) && (y == outer.top || y == outer.bottom - 1);
      if (corner && w >= 3) continue;
      plot(x, y, c);
    }
  }
}

// Bresenham, the way the platform steps a 1-pixel line.
void RasterCanvas::line(Point from, Point to, bool includeLast) {
  if (pen_.clear) return;
  const Color c = resolveColor(pen_.color);
  int x = from.x, y = from.y;
  const int dx = std::abs(to.x - x), dy = -std::abs(to.y - y);
  const int sx = x < to.x ? 1 : -1, sy = y < to.y ? 1 : -1;
  int err = dx + dy;
  while (x != to.x || y != to.y) {
    plot(x, y, c);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  if (includeLast) plot(x, y, c);
}

void RasterCanvas::lineTo(Point p) {
  line(position_, p, false);
  position_ = p;
}

void RasterCanvas::polygon(const std::vector<Point>& points) {
  if (points.size() < 2) return;
  if (!brush_.clear) {
    // Pixel centres inside the outline (even-odd), as the platform's alternate fill mode.
    const Color c = resolveColor(brush_.color);
    Rect box{points[0].x, points[0].y, points[0].x, points[0].y};
    for (Point p : points) {
      box.left = std::min(box.left, p.x);
      box.top = std::min(box.top, p.y);
      box.right = std::max(box.right, p.x);
      box.bottom = std::max(box.bottom, p.y);
    }
    for (int y = box.top; y < box.bottom; ++y) {
      for (int x = box.left; x < box.right; ++x) {
        const double px = x + 0.5, py = y + 0.5;
        bool inside = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
          const Point a = points[i], b = points[j];
          if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / double(b.y - a.y) + a.x) inside = !inside;
        }
        if (inside) plot(x, y, c);
      }
    }
  }
  for (size_t i = 0; i < points.size(); ++i) line(points[i], points[(i + 1) % points.size()], true);
}

void RasterCanvas::textOut(const Rect& clip, int x, int y, const std::string& text) {
  texts_.push_back({clip, {x, y}, text, font_});
  const Size cell = headless::textExtent("x", font_.height);
  const Color c = resolveColor(font_.color);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ') continue;
    const Rect glyph = Rect{x + static_cast<int>(i) * cell.width, y + 1, x + static_cast<int>(i + 1) * cell.width - 1,
                            y + cell.height - 1}
                           .intersect(clip);
    fill(glyph, c);
  }
}

Size RasterCanvas::textExtent(const std::string& text) { return headless::textExtent(text, font_.height); }

Rect RasterCanvas::clipBox() const { return clip_ ? clip_->bounds().intersect(paintBox_) : paintBox_; }

}  // namespace fw
