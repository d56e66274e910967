// Integer geometry in device pixels, Windows conventions: a rectangle holds left/top and
// excludes right/bottom.
#pragma once

#include <algorithm>

namespace fw {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  static Rect fromSize(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
  }
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  Rect offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  Rect intersect(const Rect& o) const {
    Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    return r.empty() ? Rect{} : r;
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace fw
