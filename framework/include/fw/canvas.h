// Drawing on a control, with the platform's pixel rules: rectangles include their left and top
// edges and exclude their right and bottom ones, a line leaves out its last point, and a
// 1-pixel pen outlines a rectangle on its inside edge; a wider pen is centred on that outline
// (width w covers w / 2 pixels outside it) with round joins, which leave out the outermost
// pixel of each corner.
#pragma once

#include <string>
#include <vector>

#include "fw/color.h"
#include "fw/font.h"
#include "fw/geometry.h"

namespace fw {

struct Pen {
  Color color = clBlack;
  int width = 1;
  bool clear = false;   // draws nothing
  bool dotted = false;  // 1 pixel wide, three pixels drawn and three left out
  friend bool operator==(const Pen&, const Pen&) = default;
};

struct Brush {
  Color color = clWhite;
  bool clear = false;  // leaves the inside as it is
  friend bool operator==(const Brush&, const Brush&) = default;
};

// A set of pixels made of rectangles, as clip regions are.
class Region {
 public:
  Region() = default;
  explicit Region(const Rect& r) { add(r); }
  void add(const Rect& r) {
    if (!r.empty()) rects_.push_back(r);
  }
  // Removes the rectangle from every part of the region.
  void subtract(const Rect& r);
  bool contains(Point p) const;
  bool empty() const { return rects_.empty(); }
  Rect bounds() const;
  const std::vector<Rect>& rects() const { return rects_; }

 private:
  std::vector<Rect> rects_;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual void setPen(const Pen& pen) = 0;
  virtual void setBrush(const Brush& brush) = 0;
  virtual void setFont(const Font& font) = 0;

  // Outline with the pen, inside filled with the brush.
  virtual void rectangle(const Rect& r) = 0;
  // The brush only, no outline.
  virtual void fillRect(const Rect& r) = 0;
  virtual void moveTo(Point p) = 0;
  virtual void lineTo(Point p) = 0;
  // A closed polygon: outline with the pen, filled with the brush.
  virtual void polygon(const std::vector<Point>& points) = 0;
  // Text (Windows-1254) with its top-left at (x, y), drawn only inside `clip`; the background
  // of the text cell is left alone.
  virtual void textOut(const Rect& clip, int x, int y, const std::string& text) = 0;
  virtual Size textExtent(const std::string& text) = 0;

  // Drawing is limited to the region until clearClip (or the end of the paint).
  virtual void setClip(const Region& region) = 0;
  virtual void clearClip() = 0;
  // The part that needs painting: the update area of a paint, clipped.
  virtual Rect clipBox() const = 0;
};

// Sets a clip region for a scope, then puts back no clip.
class ScopedClip {
 public:
  ScopedClip(Canvas& canvas, const Region& region) : canvas_(canvas) { canvas_.setClip(region); }
  ~ScopedClip() { canvas_.clearClip(); }
  ScopedClip(const ScopedClip&) = delete;
  ScopedClip& operator=(const ScopedClip&) = delete;

 private:
  Canvas& canvas_;
};

}  // namespace fw
