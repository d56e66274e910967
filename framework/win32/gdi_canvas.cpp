#include "gdi_canvas.h"

#include <vector>

#include "internal.h"

namespace fw::win32 {

GdiObject<HFONT> createFont(const Font& font) {
  const std::wstring face = font.name == "Default" ? L"MS Shell Dlg 2" : wide(font.name);
  return GdiObject<HFONT>(CreateFontW(-font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic,
                                      font.underline, FALSE, static_cast<BYTE>(font.charset), OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
}

GdiCanvas::GdiCanvas(HDC dc) : dc_(dc), saved_(SaveDC(dc)) { SetBkMode(dc_, TRANSPARENT); }

GdiCanvas::~GdiCanvas() {
  // Restoring the DC deselects our objects; only then may their owners delete them.
  RestoreDC(dc_, saved_);
}

void GdiCanvas::setPen(const Pen& pen) {
  if (penSet_ && pen == pen_) return;
  pen_ = pen;
  penSet_ = true;
  GdiObject<HPEN> created(pen.clear ? nullptr : CreatePen(pen.dotted ? PS_DOT : PS_SOLID, pen.dotted ? 1 : pen.width, toColorRef(pen.color)));
  SelectObject(dc_, created ? static_cast<HGDIOBJ>(created.get()) : GetStockObject(NULL_PEN));
  hpen_ = std::move(created);
}

void GdiCanvas::setBrush(const Brush& brush) {
  if (brushSet_ && brush == brush_) return;
  brush_ = brush;
  brushSet_ = true;
  GdiObject<HBRUSH> created(brush.clear ? nullptr : CreateSolidBrush(toColorRef(brush.color)));
  SelectObject(dc_, created ? static_cast<HGDIOBJ>(created.get()) : GetStockObject(NULL_BRUSH));
  hbrush_ = std::move(created);
}

void GdiCanvas::setFont(const Font& font) {
  if (fontSet_ && font == font_) return;
  font_ = font;
  fontSet_ = true;
  GdiObject<HFONT> created = createFont(font);
  SelectObject(dc_, created.get());
  hfont_ = std::move(created);
  SetTextColor(dc_, toColorRef(font.color));
}

void GdiCanvas::rectangle(const Rect& r) { Rectangle(dc_, r.left, r.top, r.right, r.bottom); }

void GdiCanvas::fillRect(const Rect& r) {
  if (brush_.clear || !hbrush_) return;
  RECT rc{r.left, r.top, r.right, r.bottom};
  FillRect(dc_, &rc, hbrush_.get());
}

void GdiCanvas::moveTo(Point p) { MoveToEx(dc_, p.x, p.y, nullptr); }
void GdiCanvas::lineTo(Point p) { LineTo(dc_, p.x, p.y); }

void GdiCanvas::polygon(const std::vector<Point>& points) {
  std::vector<POINT> pts;
  pts.reserve(points.size());
  for (Point p : points) pts.push_back({p.x, p.y});
  Polygon(dc_, pts.data(), static_cast<int>(pts.size()));
}

void GdiCanvas::textOut(const Rect& clip, int x, int y, const std::string& text) {
  const std::wstring w = wide(text);
  RECT rc{clip.left, clip.top, clip.right, clip.bottom};
  ExtTextOutW(dc_, x, y, ETO_CLIPPED, &rc, w.c_str(), static_cast<UINT>(w.size()), nullptr);
}

Size GdiCanvas::textExtent(const std::string& text) {
  const std::wstring w = wide(text);
  SIZE s{0, 0};
  GetTextExtentPoint32W(dc_, w.c_str(), static_cast<int>(w.size()), &s);
  TEXTMETRICW tm;
  GetTextMetricsW(dc_, &tm);
  return {s.cx, w.empty() ? static_cast<int>(tm.tmHeight) : s.cy};
}

void GdiCanvas::setClip(const Region& region) {
  GdiObject<HRGN> combined(CreateRectRgn(0, 0, 0, 0));
  for (const Rect& r : region.rects()) {
    GdiObject<HRGN> part(CreateRectRgn(r.left, r.top, r.right, r.bottom));
    CombineRgn(combined.get(), combined.get(), part.get(), RGN_OR);
  }
  SelectClipRgn(dc_, combined.get());  // the DC keeps a copy
}

void GdiCanvas::clearClip() { SelectClipRgn(dc_, nullptr); }

Rect GdiCanvas::clipBox() const {
  RECT rc;
  GetClipBox(dc_, &rc);
  return {rc.left, rc.top, rc.right, rc.bottom};
}

}  // namespace fw::win32
