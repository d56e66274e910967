// A control that paints itself on a canvas (the call-list grid is one).
#pragma once

#include <functional>

#include "fw/canvas.h"
#include "fw/control.h"

namespace fw {

class CustomControl : public Control {
 public:
  CustomControl(Component* owner, Control* parent);

  // Paints the part of the control that the canvas's clip box asks for.
  virtual void paint(Canvas& canvas);
  // Asks for a repaint of a part of the client area (client coordinates).
  void invalidateRect(const Rect& r) { peer().invalidateRect(r); }
  void invalidate() { peer().invalidate(); }
  // Paints what is pending now instead of at the next turn of the message loop.
  void update() { peer().update(); }
  // Draws at once, outside the paint cycle (a small part that changed, without waiting).
  void paintNow(const std::function<void(Canvas&)>& draw) { peer().paintNow(draw); }

  Color color() const { return color_; }
  void setBackground(Color c);

 protected:
  // A control with its own window options (a client edge, scroll bars).
  CustomControl(Component* owner, Control* parent, const WidgetStyle& style);

 private:
  Color color_ = clWindow;
};

}  // namespace fw
