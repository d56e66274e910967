// The headless backend's canvas: paints into memory with the same pixel rules as the
// platform's, so that painting code can be checked pixel by pixel in native tests. Text is
// drawn as one solid box per character (headless text metrics), spaces left out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fw/canvas.h"

namespace fw {

class RasterCanvas final : public Canvas {
 public:
  // `paintBox` is the update area; nothing outside it is painted.
  RasterCanvas(int width, int height, Color background, Rect paintBox);
  RasterCanvas(int width, int height, Color background = clWhite)
      : RasterCanvas(width, height, background, Rect{0, 0, width, height}) {}

  Color pixel(int x, int y) const;  // RGB; out of bounds is an error
  int width() const { return width_; }
  int height() const { return height_; }
  struct TextCall {
    Rect clip;
    Point at;
    std::string text;
    Font font;
  };
  const std::vector<TextCall>& texts() const { return texts_; }

  void setPen(const Pen& pen) override { pen_ = pen; }
  void setBrush(const Brush& brush) override { brush_ = brush; }
  void setFont(const Font& font) override { font_ = font; }
  void rectangle(const Rect& r) override;
  void fillRect(const Rect& r) override;
  void moveTo(Point p) override { position_ = p; }
  void lineTo(Point p) override;
  void polygon(const std::vector<Point>& points) override;
  void textOut(const Rect& clip, int x, int y, const std::string& text) override;
  Size textExtent(const std::string& text) override;
  void setClip(const Region& region) override { clip_ = region; }
  void clearClip() override { clip_.reset(); }
  Rect clipBox() const override;

 private:
  void plot(int x, int y, Color c);
  void fill(const Rect& r, Color c);
  void line(Point from, Point to, bool includeLast);

  int width_, height_;
  std::vector<std::uint32_t> pixels_;
  Rect paintBox_;
  std::optional<Region> clip_;
  Pen pen_;
  Brush brush_;
  Font font_;
  Point position_;
  std::vector<TextCall> texts_;
};

}  // namespace fw
