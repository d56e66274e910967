#include "fw/form.h"

#include <algorithm>
#include <vector>

#include "fw/application.h"
#include "fw/controls.h"
#include "fw/custom_control.h"
#include "fw/menu.h"
#include "fw/startup_trace.h"

namespace fw {

Form::Form(Component* owner) : Control(owner, nullptr, WidgetKind::Form) {
  setVisible(false);
  dpi_ = backend::screenDpi();
  peer<FormPeer>().setDpi(dpi_);
}

Form::~Form() = default;

void Form::loadLayout(const std::string& resourceName, Components when) {
  LayoutNode root = parseLayout(backend::loadLayoutText(resourceName), resourceName);
  startup_trace::mark(("  layout read " + resourceName).c_str());
  LoadContext ctx{resourceName, dpi_, this};
  setName(root.name);
  // A window that waits for its first showing is not sized to its content yet, nor given its
  // icon: neither shows while it is hidden, and both cost the window system's work at start.
  if (when == Components::OnFirstShow) pending_ = std::make_unique<PendingLayout>(PendingLayout{resourceName, {}});
  holdWindow(true);
  for (const auto& p : root.properties)
    if (p.key != "Menu") applyProperty(p, ctx);
  holdWindow(false);
  if (pending_) {
    pending_->root = std::move(root);
    return;
  }
  finishLayout(root, resourceName);
}

void Form::makeComponents() {
  if (!pending_) return;
  const std::unique_ptr<PendingLayout> pending = std::move(pending_);
  if (!icon_.empty()) peer<FormPeer>().setIcon(icon_);
  finishLayout(pending->root, pending->file);
  componentsMade();
}

void Form::finishLayout(const LayoutNode& root, const std::string& file) {
  // Read at the density the form has now: it may have moved since its own properties were.
  LoadContext ctx{file, dpi_, this};
  loadChildren(root, this, ctx);
  // The menu bar is one of the form's own components: it is attached once they exist.
  for (const auto& p : root.properties)
    if (p.key == "Menu") applyProperty(p, ctx);
  // End of loading, in creation order, the form last.
  for (const auto& c : components()) c->loaded();
  loaded();
  placeWaitingWindows();
  startup_trace::mark("  loaded");
}

void Form::loadChildren(const LayoutNode& node, Control* parent, LoadContext& ctx) {
  for (const LayoutNode& child : node.children) {
    std::unique_ptr<Component> component;
    {
      Control::MadeHeld held;
      component = ClassRegistry::instance().create(child.className, this, parent);
    }
    if (!component) throw LayoutError(ctx.file, child.line, "", "unknown class '" + child.className + "'");
    component->setName(child.name);
    Component& c = adopt(std::move(component));
    // A self-painted control lays itself out from its window's size and measures with its
    // window's font while its properties are applied, so its window follows each change; the
    // system's controls get their font and their place once.
    auto* control = dynamic_cast<Control*>(&c);
    if (control && dynamic_cast<CustomControl*>(control)) control->holdWindow(false);
    for (const auto& p : child.properties) c.applyProperty(p, ctx);
    if (control) control->holdWindow(false);
    if (auto* control = dynamic_cast<Control*>(&c)) {
      loadChildren(child, control, ctx);
    } else if (auto* menu = dynamic_cast<Menu*>(&c)) {
      for (const LayoutNode& itemNode : child.children) {
        auto item = std::make_unique<MenuItem>(this);
        if (itemNode.className != "TMenuItem")
          throw LayoutError(ctx.file, itemNode.line, "", "a menu holds only TMenuItem");
        item->setName(itemNode.name);
        MenuItem& ref = adopt(std::move(item));
        for (const auto& p : itemNode.properties) ref.applyProperty(p, ctx);
        menu->addItem(ref);
      }
    } else if (!child.children.empty()) {
      throw LayoutError(ctx.file, child.children.front().line, "", "'" + child.name + "' cannot hold components");
    }
  }
}

void Form::setMenu(MainMenu* menu) {
  menu_ = menu;
  peer<FormPeer>().setMenu(menu ? &menu->items() : nullptr);
}

void Form::setVisible(bool v) {
  if (v) makeComponents();
  Control::setVisible(v);
}

void Form::setPosition(FormPosition p) { position_ = p; }

void Form::setClientSize(Size s) {
  // The frame around the client area is the window's: it must have its place first.
  placeWindowNow();
  peer().setClientSize(s);
  noteBounds(peer().bounds());
}

std::optional<Size> Form::designedFrameAt(int dpi) const {
  const int w = designWidth(), h = designHeight();
  if (w == kNoDesign || h == kNoDesign) return std::nullopt;
  if (Size{scaleToDpi(w, dpi_), scaleToDpi(h, dpi_)} != Size{width(), height()}) return std::nullopt;
  return Size{scaleToDpi(w, dpi), scaleToDpi(h, dpi)};
}

Size Form::clientSizeAt(int dpi) const {
  const Size now = clientSize();
  return {rescale(now.width, designClient_.width, dpi_, dpi), rescale(now.height, designClient_.height, dpi_, dpi)};
}

void Form::close() {
  if (!handleCloseRequest()) return;
  if (this == Application::instance().mainForm()) {
    closed_ = true;
    hide();
    backend::quit();
  } else {
    hide();
  }
}

bool Form::handleCloseRequest() {
  bool canClose = true;
  // An error in the handler is reported like any other and does not keep the window open.
  if (onCloseQuery) Application::guard([&] { onCloseQuery(*this, canClose); });
  return canClose;
}

namespace {
template <class Visit>
void forEachImage(const Control& root, Visit visit) {
  std::vector<const Control*> pending{&root};
  while (!pending.empty()) {
    const Control* c = pending.back();
    pending.pop_back();
    for (Control* child : c->children()) {
      if (auto* image = dynamic_cast<Image*>(child)) visit(*image);
      pending.push_back(child);
    }
  }
}
}  // namespace

void Form::handleShown() {
  makeComponents();
  adoptScreenDensity();
  // Pictures are decoded when their window is shown, not at start-up.
  forEachImage(*this, [](Image& image) { image.ensurePicture(); });
  if (onShow) onShow(*this);
}

void Form::handleHidden() {
  // A decoded picture is many times its stored size (the guide's is 12 MB) and a hidden window
  // paints nothing: the memory goes back at once, and showing the window again decodes anew,
  // as its first showing did.
  forEachImage(*this, [](Image& image) { image.releasePicture(); });
}

void Form::applyProperty(const LayoutProperty& p, LoadContext& ctx) {
  const std::string& k = p.key;
  if (k == "ClientWidth") {
    designClient_.width = ctx.integer(p);
    setClientSize({ctx.scaled(p), clientSize().height});
  } else if (k == "ClientHeight") {
    designClient_.height = ctx.integer(p);
    setClientSize({clientSize().width, ctx.scaled(p)});
  } else if (k == "Position") {
    setPosition(ctx.choice<FormPosition>(p, {{"poDesigned", FormPosition::Designed},
                                             {"poDefault", FormPosition::Default},
                                             {"poDefaultPosOnly", FormPosition::DefaultPosOnly},
                                             {"poScreenCenter", FormPosition::ScreenCenter}}));
  } else if (k == "KeyPreview") {
    keyPreview_ = ctx.boolean(p);
  } else if (k == "Scaled" || k == "AutoScroll") {
    ctx.boolean(p);  // forms always scale to the screen and never scroll
  } else if (k == "Icon") {
    icon_ = ctx.identifier(p);
    if (!pending_) peer<FormPeer>().setIcon(icon_);
  } else if (k == "Menu") {
    const std::string name = ctx.identifier(p);
    auto* menu = dynamic_cast<MainMenu*>(findComponent(name));
    if (!menu) ctx.fail(p, "no main menu '" + name + "' in this layout");
    setMenu(menu);
  } else {
    Control::applyProperty(p, ctx);
  }
}

void Form::fitToContent() {
  if (pending_) return;  // fitted when its components are made
  Size extent;
  for (const Control* c : children()) {
    if (!c->visible()) continue;
    extent.width = std::max(extent.width, c->bounds().right);
    extent.height = std::max(extent.height, c->bounds().bottom);
  }
  setClientSize(extent);
}

void Form::handleDpiChanged(int newDpi, const Rect& suggested) {
  const int oldDpi = dpi_;
  dpi_ = newDpi;
  peer<FormPeer>().setDpi(newDpi);
  if (!icon_.empty()) peer<FormPeer>().setIcon(icon_);
  setBoundsQuietly(suggested);
  if (newDpi != oldDpi) scaleContent(oldDpi, newDpi);
  if (autoSize()) {
    fitToContent();
  } else {
    setBoundsQuietly(peer().bounds());
  }
  realign();
}

void Form::adoptScreenDensity() {
  const int screenDpi = peer<FormPeer>().windowDpi();
  if (screenDpi <= 0 || screenDpi == dpi_) return;
  // As the platform would suggest for a move there: the size the window wants at that
  // density, the frame in proportion, the corner kept.
  const Rect frame = bounds();
  const std::optional<Size> designed = designedFrameAt(screenDpi);
  const Size client = clientSize(), wanted = clientSizeAt(screenDpi);
  const Size size = designed ? *designed
                             : Size{wanted.width + mulDiv(frame.width() - client.width, screenDpi, dpi_),
                                    wanted.height + mulDiv(frame.height() - client.height, screenDpi, dpi_)};
  handleDpiChanged(screenDpi, Rect::fromSize(frame.left, frame.top, size.width, size.height));
  if (!designed && !autoSize() && clientSize() != wanted) setClientSize(wanted);
  // A centred window stays centred where it is, on the screen it was placed on.
  if (position_ == FormPosition::ScreenCenter) {
    const Rect now = bounds();
    setBoundsQuietly(Rect::fromSize(frame.left + (frame.width() - now.width()) / 2,
                                    frame.top + (frame.height() - now.height()) / 2, now.width(), now.height()));
  }
}

void Form::loaded() {
  realign();
  Control::loaded();
  if (position_ == FormPosition::ScreenCenter) {
    peer<FormPeer>().centerOnScreen();
    setBoundsQuietly(peer().bounds());
  }
}

}  // namespace fw
