// The win32 backend's canvas: GDI on a device context, with owned pens, brushes and fonts.
#pragma once

#include <windows.h>

#include "fw/canvas.h"
#include "fw/win32/handles.h"

namespace fw::win32 {

class GdiCanvas final : public Canvas {
 public:
  // Everything the canvas selects or clips is undone when it goes.
  explicit GdiCanvas(HDC dc);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  void setPen(const Pen& pen) override;
  void setBrush(const Brush& brush) override;
  void setFont(const Font& font) override;
  void rectangle(const Rect& r) override;
  void fillRect(const Rect& r) override;
  void moveTo(Point p) override;
  void lineTo(Point p) override;
  void polygon(const std::vector<Point>& points) override;
  void textOut(const Rect& clip, int x, int y, const std::string& text) override;
  Size textExtent(const std::string& text) override;
  void setClip(const Region& region) override;
  void clearClip() override;
  Rect clipBox() const override;

 private:
  HDC dc_;
  int saved_;
  Pen pen_;
  Brush brush_;
  Font font_;
  bool penSet_ = false, brushSet_ = false, fontSet_ = false;
  GdiObject<HPEN> hpen_;
  GdiObject<HBRUSH> hbrush_;
  GdiObject<HFONT> hfont_;
};

// The one place fonts become GDI objects.
GdiObject<HFONT> createFont(const Font& font);

}  // namespace fw::win32
