#include "fw/custom_control.h"

namespace fw {

CustomControl::CustomControl(Component* owner, Control* parent)
    : CustomControl(owner, parent, WidgetStyle{.border = false}) {}

CustomControl::CustomControl(Component* owner, Control* parent, const WidgetStyle& style)
    : Control(owner, parent, WidgetKind::Custom, style) {}

void CustomControl::paint(Canvas& canvas) {
  canvas.setBrush({color_, false});
  canvas.fillRect(canvas.clipBox());
}

void CustomControl::setBackground(Color c) {
  color_ = c;
  invalidate();
}

}  // namespace fw
