#include "fw/control.h"

#include <algorithm>
#include <utility>

#include "fw/application.h"
#include "fw/menu.h"

namespace fw {
namespace {
bool makeHeld = false;  // MadeHeld: the next control made starts held
}  // namespace

Control::MadeHeld::MadeHeld() { makeHeld = true; }
Control::MadeHeld::~MadeHeld() { makeHeld = false; }

Control::Control(Component* owner, Control* parent, WidgetKind kind, const WidgetStyle& style)
    : Component(owner),
      parent_(parent),
      designLeft_(kNoDesign),
      designTop_(kNoDesign),
      designWidth_(kNoDesign),
      designHeight_(kNoDesign),
      designFontHeight_(kNoDesign) {
  if (parent_) {
    font_ = parent_->font_;
    parent_->children_.push_back(this);
  }
  // Only the control itself starts held, not those it makes of its own.
  windowHeld_ = std::exchange(makeHeld, false);
  peer_ = createWidget(kind, *this, parent_ ? parent_->peer_.get() : nullptr, style);
  if (windowHeld_) {
    fontPending_ = true;
  } else {
    peer_->setFont(font_);
  }
}

Control::~Control() {
  // Owned components hold windows inside ours: they go first.
  destroyComponents();
  if (parent_) std::erase(parent_->children_, this);
}

void Control::setName(std::string name) {
  peer_->setName(name);
  Component::setName(std::move(name));
}

const std::string& Control::caption() const { return caption_; }

void Control::setCaption(const std::string& text) {
  caption_ = text;
  peer_->setText(text);
  if (autoSize_ && !loading_) fitToContent();
}

void Control::setBoundsQuietly(const Rect& r) {
  bounds_ = r;
  if (windowHeld_) {
    boundsPending_ = true;
    return;
  }
  boundsPending_ = false;
  peer_->setBounds(r);
}

void Control::holdWindow(bool hold) {
  if (hold || !windowHeld_) {
    windowHeld_ = hold;
    return;
  }
  propertiesApplied();
  windowHeld_ = false;
  if (std::exchange(fontPending_, false)) peer_->setFont(font_);
  // An aligned control is placed by its parent's alignment at the end of loading.
  if (boundsPending_ && align_ == Align::None) setBoundsQuietly(bounds_);
}

void Control::placeWindowNow() {
  if (std::exchange(boundsPending_, false)) peer_->setBounds(bounds_);
}

void Control::placeWaitingWindows() {
  if (boundsPending_ && !windowHeld_) setBoundsQuietly(bounds_);
  for (Control* c : children_) c->placeWaitingWindows();
}

void Control::propertiesApplied() {
  if (autoSize_) fitToContent();
}

void Control::setBounds(const Rect& r) {
  if (r == bounds_) return;
  const bool resized = r.width() != bounds_.width() || r.height() != bounds_.height();
  setBoundsQuietly(r);
  if (resized && !loading_) realign();
  if (parent_ && align_ != Align::None && !loading_) parent_->realign();
}

void Control::setVisible(bool v) {
  visible_ = v;
  peer_->setVisible(v);
}

void Control::setEnabled(bool e) {
  enabled_ = e;
  peer_->setEnabled(e);
}

void Control::setFont(const Font& f) {
  parentFont_ = false;
  inheritFont(f);
}

void Control::inheritFont(const Font& f) {
  font_ = f;
  if (windowHeld_) {
    fontPending_ = true;
  } else {
    peer_->setFont(f);
  }
  for (Control* c : children_)
    if (c->parentFont_) c->inheritFont(f);
  if (autoSize_ && !loading_) fitToContent();
  fontChanged();
}

void Control::setColor(std::uint32_t c) { peer_->setColor(c); }

void Control::setHint(const std::string& hint) {
  hint_ = hint;
  peer_->setHint(hint_, showHint_);
}

void Control::setShowHint(bool show) {
  showHint_ = show;
  peer_->setHint(hint_, showHint_);
}

void Control::setAlign(Align a) {
  align_ = a;
  if (parent_ && !loading_) parent_->realign();
}

void Control::setAutoSize(bool on) {
  autoSize_ = on;
  if (on && !loading_) fitToContent();
}

Rect Control::alignRect() const {
  const Size client = peer_->clientSize();
  return {0, 0, client.width, client.height};
}

void Control::realign() {
  Rect area = alignRect();
  for (Control* c : children_) {
    if (!c->visible_ || c->align_ == Align::None) continue;
    const Rect b = c->bounds_;
    Rect placed;
    switch (c->align_) {
      case Align::Top:
        placed = {area.left, area.top, area.right, area.top + b.height()};
        area.top = placed.bottom;
        break;
      case Align::Bottom:
        placed = {area.left, area.bottom - b.height(), area.right, area.bottom};
        area.bottom = placed.top;
        break;
      case Align::Left:
        placed = {area.left, area.top, area.left + b.width(), area.bottom};
        area.left = placed.right;
        break;
      case Align::Right:
        placed = {area.right - b.width(), area.top, area.right, area.bottom};
        area.right = placed.left;
        break;
      case Align::Client:
        placed = area;
        break;
      case Align::None:
        break;
    }
    if (placed != c->bounds_ || c->boundsPending_) {
      c->setBoundsQuietly(placed);
      c->realign();
    }
  }
}

void Control::handleClick() {
  if (onClick) onClick(*this);
}

void Control::handleMouseUp(MouseButton button, Point at) {
  if (onMouseUp) onMouseUp(*this, button, at);
}

void Control::handleMouseDown(MouseButton button, ShiftState shift, Point at) {
  if (onMouseDown) onMouseDown(*this, button, shift, at);
}

void Control::handleMouseMove(ShiftState shift, Point at) {
  if (onMouseMove) onMouseMove(*this, shift, at);
}

bool Control::handleKeyDown(int& key, ShiftState shift) {
  if (onKeyDown) onKeyDown(*this, key, shift);
  return key == 0;
}

bool Control::handleKeyPress(char& key) {
  if (onKeyPress) onKeyPress(*this, key);
  return key == 0;
}

void Control::handleContextMenu(Point screen) {
  if (popupMenu_) popupMenu_->popup(screen);
}

void Control::handleResize() {
  if (!scaling_) realign();
}

void Control::applyProperty(const LayoutProperty& p, LoadContext& ctx) {
  const std::string& k = p.key;
  if (k == "Left") {
    designLeft_ = ctx.integer(p);
    setLeft(ctx.scaled(p));
  } else if (k == "Top") {
    designTop_ = ctx.integer(p);
    setTop(ctx.scaled(p));
  } else if (k == "Width") {
    designWidth_ = ctx.integer(p);
    setWidth(ctx.scaled(p));
  } else if (k == "Height") {
    designHeight_ = ctx.integer(p);
    setHeight(ctx.scaled(p));
  } else if (k == "Caption") {
    setCaption(ctx.text(p));
  } else if (k == "Visible") {
    setVisible(ctx.boolean(p));
  } else if (k == "Enabled") {
    setEnabled(ctx.boolean(p));
  } else if (k == "Hint") {
    setHint(ctx.text(p));
  } else if (k == "AccessibleName") {
    setAccessibleName(ctx.text(p));
  } else if (k == "ShowHint") {
    setShowHint(ctx.boolean(p));
  } else if (k == "AutoSize") {
    setAutoSize(ctx.boolean(p));
  } else if (k == "Cursor") {
    setCursor(ctx.integer(p));
  } else if (k == "TabOrder") {
    ctx.integer(p);  // creation order is the tab order
  } else if (k == "Color") {
    setColor(ctx.color(p));
  } else if (k == "Align") {
    setAlign(ctx.choice<Align>(p, {{"alNone", Align::None},
                                   {"alTop", Align::Top},
                                   {"alBottom", Align::Bottom},
                                   {"alLeft", Align::Left},
                                   {"alRight", Align::Right},
                                   {"alClient", Align::Client}}));
  } else if (k == "ParentFont") {
    parentFont_ = ctx.boolean(p);
  } else if (k == "PopupMenu") {
    const std::string name = ctx.identifier(p);
    auto* menu = ctx.form ? dynamic_cast<PopupMenu*>(ctx.form->findComponent(name)) : nullptr;
    if (!menu) ctx.fail(p, "no popup menu '" + name + "' is declared before this component");
    setPopupMenu(menu);
  } else if (k.starts_with("Font.")) {
    Font f = font_;
    applyFontProperty(f, std::string_view(k).substr(5), p, ctx);
    if (k == "Font.Height") designFontHeight_ = ctx.integer(p);
    setFont(f);
  } else {
    Component::applyProperty(p, ctx);
  }
}

void applyFontProperty(Font& f, std::string_view field, const LayoutProperty& p, LoadContext& ctx) {
  if (field == "Name") {
    f.name = ctx.text(p);
  } else if (field == "Height") {
    f.height = ctx.scaled(p);
  } else if (field == "Charset") {
    f.charset = ctx.choice<int>(p, {{"DEFAULT_CHARSET", kDefaultCharset},
                                    {"ANSI_CHARSET", kAnsiCharset},
                                    {"TURKISH_CHARSET", kTurkishCharset}});
  } else if (field == "Color") {
    f.color = ctx.color(p);
  } else if (field == "Style") {
    f.bold = f.italic = f.underline = false;
    for (const auto& s : ctx.set(p)) {
      if (s == "fsBold") f.bold = true;
      else if (s == "fsItalic") f.italic = true;
      else if (s == "fsUnderline") f.underline = true;
      else ctx.fail(p, "'" + s + "' is not a font style");
    }
  } else {
    ctx.fail(p, "unknown property of this class");
  }
}

void Control::loaded() {
  loading_ = false;
  if (autoSize_) fitToContent();
}

int Control::dpi() const { return parent_ ? parent_->dpi() : backend::screenDpi(); }

void Control::scaleContent(int oldDpi, int newDpi) {
  // Sizing to content and aligning wait until every value is at the new density.
  const bool wasLoading = std::exchange(loading_, true);
  if (!parentFont_) {
    Font f = font_;
    f.height = rescale(f.height, designFontHeight_, oldDpi, newDpi);
    inheritFont(f);
  }
  for (Control* c : std::vector<Control*>(children_)) c->changeScale(oldDpi, newDpi);
  loading_ = wasLoading;
}

void Control::changeScale(int oldDpi, int newDpi) {
  // The window's resize must not align the children before they are at the new density
  // themselves: they are placed as their layout places them, as when the layout was read.
  const bool wasScaling = std::exchange(scaling_, true);
  const Rect b = bounds_;
  setBoundsQuietly(Rect::fromSize(rescale(b.left, designLeft_, oldDpi, newDpi), rescale(b.top, designTop_, oldDpi, newDpi),
                                  rescale(b.width(), designWidth_, oldDpi, newDpi),
                                  rescale(b.height(), designHeight_, oldDpi, newDpi)));
  scaleContent(oldDpi, newDpi);
  scaling_ = wasScaling;
  // Aligned children are placed again only where loading placed them: by their form.
  if (!loading_ && autoSize_) fitToContent();
}

}  // namespace fw
