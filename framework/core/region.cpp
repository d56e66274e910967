#include <algorithm>

#include "fw/canvas.h"

namespace fw {

void Region::subtract(const Rect& cut) {
  std::vector<Rect> kept;
  for (const Rect& r : rects_) {
    const Rect overlap = r.intersect(cut);
    if (overlap.empty()) {
      kept.push_back(r);
      continue;
    }
    // What is left of r around the overlap: a band above, a band below, and the two sides.
    const Rect pieces[] = {{r.left, r.top, r.right, overlap.top},
                           {r.left, overlap.bottom, r.right, r.bottom},
                           {r.left, overlap.top, overlap.left, overlap.bottom},
                           {overlap.right, overlap.top, r.right, overlap.bottom}};
    for (const Rect& p : pieces)
      if (!p.empty()) kept.push_back(p);
  }
  rects_ = std::move(kept);
}

bool Region::contains(Point p) const {
  return std::any_of(rects_.begin(), rects_.end(), [p](const Rect& r) { return r.contains(p); });
}

Rect Region::bounds() const {
  if (rects_.empty()) return {};
  Rect b = rects_.front();
  for (const Rect& r : rects_) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

}  // namespace fw
