#include "fw/controls.h"

#include <algorithm>

#include "fw/application.h"
#include "fw/form.h"
#include "fw/menu.h"
#include "fw/timer.h"

namespace fw {

Label::Label(Component* owner, Control* parent) : Control(owner, parent, WidgetKind::Label) {
  setAutoSize(true);
}

void Label::applyProperty(const LayoutProperty& p, LoadContext& ctx) {
  if (p.key == "Transparent" || p.key == "WordWrap") {
    ctx.boolean(p);  // labels are always drawn on their parent's background
  } else {
    Control::applyProperty(p, ctx);
  }
}

void Label::fitToContent() {
  // An italic last letter leans out of its advance: without its overhang the label's window
  // would cut it in half.
  const TextMetrics m = backend::measureText(font(), caption());
  setBounds(Rect::fromSize(left(), top(), m.width + m.overhang, m.height));
}

CheckBox::CheckBox(Component* owner, Control* parent) : Control(owner, parent, WidgetKind::CheckBox) {}

int CheckBox::markExtent(int dpi) { return mulDiv(17, dpi, 96); }

int CheckBox::neededWidth() const {
  const TextMetrics m = backend::measureText(font(), caption());
  return markExtent(dpi()) + m.width + m.overhang;
}

void CheckBox::propertiesApplied() {
  Control::propertiesApplied();
  widenToText();
}

void CheckBox::changeScale(int oldDpi, int newDpi) {
  Control::changeScale(oldDpi, newDpi);
  // A box widened for its text starts again from its layout's width.
  if (designWidth() != kNoDesign) setWidth(scaleToDpi(designWidth(), newDpi));
  widenToText();
}

void CheckBox::widenToText() {
  if (width() < neededWidth()) setWidth(neededWidth());
}

void CheckBox::applyProperty(const LayoutProperty& p, LoadContext& ctx) {
  if (p.key == "Checked") {
    setChecked(ctx.boolean(p));
  } else {
    Control::applyProperty(p, ctx);
  }
}

ProgressBar::ProgressBar(Component* owner, Control* parent) : Control(owner, parent, WidgetKind::ProgressBar) {
  peer<ProgressPeer>().setRange(min_, max_);
}

int ProgressBar::clamp(int position, int min, int max) {
  return std::clamp(position, min, std::max(min, max));
}

void ProgressBar::setRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  peer<ProgressPeer>().setRange(min_, max_);
  setPosition(position_);
}

void ProgressBar::setPosition(int position) {
  position_ = clamp(position, min_, max_);
  peer<ProgressPeer>().setPosition(position_);
}

void ProgressBar::setSmooth(bool smooth) {
  smooth_ = smooth;
  peer<ProgressPeer>().setSmooth(smooth);
}

void ProgressBar::applyProperty(const LayoutProperty& p, LoadContext& ctx) {
  if (p.key == "Min") {
    setRange(ctx.integer(p), max_);
  } else if (p.key == "Max") {
    setRange(min_, ctx.integer(p));
  } else if (p.key == "Position") {
    setPosition(ctx.integer(p));
  } else if (p.key == "Step") {
    ctx.integer(p);  // the bar is never stepped
  } else if (p.key == "Smooth") {
    setSmooth(ctx.boolean(p));
  } else {
    Control::applyProperty(p, ctx);
  }
}

GroupBox::GroupBox(Component* owner, Control* parent) : Control(owner, parent, WidgetKind::GroupBox) {}

Rect GroupBox::alignRect() const {
  const Size client = clientSize();
  const int captionHeight = peer().measureText("0").height;
  return {2, captionHeight + 2, client.width - 2, client.height - 2};
}

StatusBar::StatusBar(Component* owner, Control* parent) : Control(owner, parent, WidgetKind::StatusBar) {
  setAlign(Align::Bottom);
}

void StatusBar::applyProperty(const LayoutProperty& p, LoadContext& ctx) {
  if (p.key == "SimpleText") {
    setSimpleText(ctx.text(p));
  } else if (p.key == "SimplePanel") {
    if (!ctx.boolean(p)) ctx.fail(p, "only a simple panel is supported");
  } else {
    Control::applyProperty(p, ctx);
  }
}

Memo::Memo(Component* owner, Control* parent)
    : Control(owner, parent, WidgetKind::Memo, WidgetStyle{.readOnly = true, .border = false}) {}

void Memo::setLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  std::string joined;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i) joined += "\r\n";
    joined += lines_[i];
  }
  setCaption(joined);
}

void Memo::applyProperty(const LayoutProperty& p, LoadContext& ctx) {
  if (p.key == "Lines") {
    setLines(ctx.lines(p));
  } else if (p.key == "ReadOnly") {
    if (!ctx.boolean(p)) ctx.fail(p, "memos are read-only");
  } else if (p.key == "BorderStyle") {
    if (ctx.identifier(p) != "bsNone") ctx.fail(p, "memos have no border");
  } else {
    Control::applyProperty(p, ctx);
  }
}

Button::Button(Component* owner, Control* parent) : Control(owner, parent, WidgetKind::Button) {}

Edit::Edit(Component* owner, Control* parent) : Control(owner, parent, WidgetKind::Edit) {}

Edit::Edit(Component* owner, Control* parent, const WidgetStyle& style)
    : Control(owner, parent, WidgetKind::Edit, style) {}

void Edit::handleChange() {
  if (onChange) onChange(*this);
}

void Edit::applyProperty(const LayoutProperty& p, LoadContext& ctx) {
  if (p.key == "Text") {
    setCaption(ctx.text(p));
  } else {
    Control::applyProperty(p, ctx);
  }
}

Image::Image(Component* owner, Control* parent) : Control(owner, parent, WidgetKind::Image) {}

void Image::setPictureResource(std::string name) {
  resource_ = std::move(name);
  decoded_ = false;
}

void Image::ensurePicture() {
  if (decoded_ || resource_.empty()) return;
  peer<PicturePeer>().setPicture(backend::loadPicture(resource_));
  decoded_ = true;
}

void Image::releasePicture() {
  if (!decoded_) return;
  peer<PicturePeer>().setPicture(nullptr);
  decoded_ = false;
}

void Image::applyProperty(const LayoutProperty& p, LoadContext& ctx) {
  if (p.key == "Picture") {
    setPictureResource(ctx.identifier(p));
  } else if (p.key == "Proportional") {
    setProportional(ctx.boolean(p));
  } else if (p.key == "Stretch") {
    if (!ctx.boolean(p)) ctx.fail(p, "pictures are always stretched");
  } else {
    Control::applyProperty(p, ctx);
  }
}

void MenuItem::click() {
  if (onClick) onClick(*this);
}

void MenuItem::applyProperty(const LayoutProperty& p, LoadContext& ctx) {
  if (p.key == "Caption") {
    setCaption(ctx.text(p));
  } else if (p.key == "Default") {
    setDefault(ctx.boolean(p));
  } else {
    Component::applyProperty(p, ctx);
  }
}

void PopupMenu::popup(Point screen) { backend::showPopupMenu(items(), screen); }

void PopupMenu::applyProperty(const LayoutProperty& p, LoadContext& ctx) {
  if (p.key == "AutoPopup") {
    setAutoPopup(ctx.boolean(p));
  } else {
    Menu::applyProperty(p, ctx);
  }
}

Timer::~Timer() {
  if (id_) backend::stopTimer(id_);
}

void Timer::setEnabled(bool on) {
  enabled_ = on;
  restart();
}

void Timer::setInterval(unsigned ms) {
  interval_ = ms;
  restart();
}

void Timer::restart() {
  if (id_) {
    backend::stopTimer(id_);
    id_ = 0;
  }
  if (enabled_ && interval_ > 0 && !loading_) id_ = backend::startTimer(interval_, [this] { tick(); });
}

void Timer::tick() {
  if (onTimer) onTimer(*this);
}

void Timer::applyProperty(const LayoutProperty& p, LoadContext& ctx) {
  if (p.key == "Interval") {
    setInterval(static_cast<unsigned>(std::max(0, ctx.integer(p))));
  } else if (p.key == "Enabled") {
    setEnabled(ctx.boolean(p));
  } else {
    Component::applyProperty(p, ctx);
  }
}

void Timer::loaded() {
  loading_ = false;
  restart();
}

void registerStandardClasses() {
  auto& r = ClassRegistry::instance();
  auto control = [&r]<class T>(const char* name) {
    r.add(name, [](Component* owner, Control* parent) -> std::unique_ptr<Component> {
      return std::make_unique<T>(owner, parent);
    });
  };
  auto component = [&r]<class T>(const char* name) {
    r.add(name, [](Component* owner, Control*) -> std::unique_ptr<Component> { return std::make_unique<T>(owner); });
  };
  control.operator()<Label>("TLabel");
  control.operator()<CheckBox>("TCheckBox");
  control.operator()<ProgressBar>("TProgressBar");
  control.operator()<GroupBox>("TGroupBox");
  control.operator()<StatusBar>("TStatusBar");
  control.operator()<Memo>("TMemo");
  control.operator()<Button>("TButton");
  control.operator()<Edit>("TEdit");
  control.operator()<Image>("TImage");
  component.operator()<Timer>("TTimer");
  component.operator()<MainMenu>("TMainMenu");
  component.operator()<PopupMenu>("TPopupMenu");
  component.operator()<MenuItem>("TMenuItem");
  component.operator()<ApplicationEvents>("TApplicationEvents");
}

}  // namespace fw
