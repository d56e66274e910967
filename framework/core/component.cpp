#include "fw/component.h"

#include <algorithm>
#include <utility>

#include "fw/scale.h"
#include "fw/text.h"

namespace fw {

int LoadContext::scale(long long designPixels) const {
  return scaleToDpi(static_cast<int>(designPixels), dpi);
}

void LoadContext::fail(const LayoutProperty& p, const std::string& message) const {
  throw LayoutError(file, p.line, p.key, message);
}

int LoadContext::integer(const LayoutProperty& p) const {
  if (p.value.kind != LayoutValue::Kind::Integer) fail(p, "expected an integer");
  if (p.value.integer < INT32_MIN || p.value.integer > INT32_MAX) fail(p, "the integer is out of range");
  return static_cast<int>(p.value.integer);
}

bool LoadContext::boolean(const LayoutProperty& p) const {
  if (p.value.kind == LayoutValue::Kind::Identifier) {
    if (p.value.text == "True") return true;
    if (p.value.text == "False") return false;
  }
  fail(p, "expected True or False");
}

std::string LoadContext::text(const LayoutProperty& p) const {
  if (p.value.kind != LayoutValue::Kind::String) fail(p, "expected a string");
  return fromUtf8(p.value.text);
}

std::string LoadContext::identifier(const LayoutProperty& p) const {
  if (p.value.kind != LayoutValue::Kind::Identifier) fail(p, "expected a name");
  return p.value.text;
}

std::vector<std::string> LoadContext::set(const LayoutProperty& p) const {
  if (p.value.kind != LayoutValue::Kind::Set) fail(p, "expected a set such as [fsBold]");
  return p.value.items;
}

std::vector<std::string> LoadContext::lines(const LayoutProperty& p) const {
  if (p.value.kind != LayoutValue::Kind::List) fail(p, "expected a list of strings in ( )");
  std::vector<std::string> out;
  out.reserve(p.value.items.size());
  for (const auto& s : p.value.items) out.push_back(fromUtf8(s));
  return out;
}

Color LoadContext::color(const LayoutProperty& p) const {
  if (p.value.kind == LayoutValue::Kind::Integer) return static_cast<Color>(integer(p));
  return choice<Color>(p, {{"clWindow", clWindow},
                           {"clWindowText", clWindowText},
                           {"clBtnFace", clBtnFace},
                           {"clBtnShadow", clBtnShadow},
                           {"clBtnHighlight", clBtnHighlight},
                           {"clGrayText", clGrayText},
                           {"clHighlight", clHighlight},
                           {"clHotLight", clHotLight},
                           {"clBlack", clBlack},
                           {"clWhite", clWhite},
                           {"clRed", clRed}});
}

Component::Component(Component* owner) : owner_(owner) {}

Component::~Component() {
  destroyComponents();
  for (Component* w : std::exchange(watchers_, {})) {
    std::erase(w->watched_, this);
    w->removed(*this);
  }
  for (Component* c : watched_) std::erase(c->watchers_, this);
}

void Component::freeNotification(Component& other) {
  if (&other == this || std::find(watched_.begin(), watched_.end(), &other) != watched_.end()) return;
  watched_.push_back(&other);
  other.watchers_.push_back(this);
}

void Component::removeFreeNotification(Component& other) {
  std::erase(watched_, &other);
  std::erase(other.watchers_, this);
}

void Component::destroyComponents() {
  while (!owned_.empty()) owned_.pop_back();
}

Component* Component::findComponent(std::string_view name) const {
  for (const auto& c : owned_) {
    if (c->name() == name) return c.get();
    if (auto* inner = c->findComponent(name)) return inner;
  }
  return nullptr;
}

void Component::applyProperty(const LayoutProperty& p, LoadContext& ctx) {
  ctx.fail(p, "unknown property of this class");
}

ClassRegistry& ClassRegistry::instance() {
  static ClassRegistry registry;
  return registry;
}

void ClassRegistry::add(const std::string& className, Factory factory) {
  factories_[className] = std::move(factory);
}

std::unique_ptr<Component> ClassRegistry::create(const std::string& className, Component* owner, Control* parent) const {
  auto it = factories_.find(className);
  if (it == factories_.end()) return nullptr;
  return it->second(owner, parent);
}

}  // namespace fw
