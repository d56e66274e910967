// Components: named objects owned by a form, created by class name from stored layouts.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "fw/color.h"
#include "fw/layout.h"

namespace fw {

class Control;
class Form;

// What a component needs while its stored properties are applied.
struct LoadContext {
  std::string file;
  int dpi = 114;
  Form* form = nullptr;

  int scale(long long designPixels) const;
  [[noreturn]] void fail(const LayoutProperty& p, const std::string& message) const;
  // Typed readers; each fails with the file, line and property when the value has another kind.
  int integer(const LayoutProperty& p) const;
  int scaled(const LayoutProperty& p) const { return scale(integer(p)); }
  bool boolean(const LayoutProperty& p) const;
  std::string text(const LayoutProperty& p) const;  // Windows-1254
  std::string identifier(const LayoutProperty& p) const;
  std::vector<std::string> set(const LayoutProperty& p) const;
  std::vector<std::string> lines(const LayoutProperty& p) const;  // Windows-1254
  // A colour: a 0x00BBGGRR integer or one of the colour names; every control reads its colours
  // here, so a colour that loads on one loads on all.
  Color color(const LayoutProperty& p) const;
  template <class E>
  E choice(const LayoutProperty& p, std::initializer_list<std::pair<const char*, E>> names) const {
    const std::string id = identifier(p);
    for (const auto& [n, v] : names)
      if (id == n) return v;
    fail(p, "'" + id + "' is not one of its values");
  }
};

class Component {
 public:
  explicit Component(Component* owner);
  virtual ~Component();
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  const std::string& name() const { return name_; }
  virtual void setName(std::string name) { name_ = std::move(name); }
  Component* owner() const { return owner_; }

  // Takes ownership of a component created with this as owner.
  template <class T>
  T& adopt(std::unique_ptr<T> c) {
    T& ref = *c;
    owned_.push_back(std::move(c));
    return ref;
  }
  template <class T, class... Args>
  T& create(Args&&... args) {
    return adopt(std::make_unique<T>(this, std::forward<Args>(args)...));
  }

  // The owned component of that name, searched depth-first; null when there is none.
  Component* findComponent(std::string_view name) const;
  template <class T>
  T& component(std::string_view name) const {
    auto* c = dynamic_cast<T*>(findComponent(name));
    if (!c) throw std::logic_error("no component '" + std::string(name) + "' of the expected class");
    return *c;
  }
  const std::vector<std::unique_ptr<Component>>& components() const { return owned_; }

  // Applies one stored property through its setter; an unknown key fails with its place.
  virtual void applyProperty(const LayoutProperty& p, LoadContext& ctx);
  // Runs once after the whole layout has been read (end of loading).
  virtual void loaded() {}

  // Asks to be told through removed() when `other` is destroyed (a reference to it must then be
  // dropped). Either side may go first; each forgets the other.
  void freeNotification(Component& other);
  void removeFreeNotification(Component& other);

 protected:
  // Destroys the owned components, newest first; owners that hold windows call this before
  // their own window goes.
  void destroyComponents();
  // A component this one asked about (freeNotification) is being destroyed.
  virtual void removed(Component& /*other*/) {}

 private:
  Component* owner_;
  std::string name_;
  std::vector<std::unique_ptr<Component>> owned_;
  std::vector<Component*> watchers_;  // told when this one goes
  std::vector<Component*> watched_;   // tell this one when they go
};

// Creates components by class name while a layout is read.
class ClassRegistry {
 public:
  using Factory = std::function<std::unique_ptr<Component>(Component* owner, Control* parent)>;
  static ClassRegistry& instance();
  void add(const std::string& className, Factory factory);
  // Null when the class is unknown.
  std::unique_ptr<Component> create(const std::string& className, Component* owner, Control* parent) const;

 private:
  std::map<std::string, Factory, std::less<>> factories_;
};

// Registers the framework's own classes (TLabel, TCheckBox, ...). Called by Application.
void registerStandardClasses();

}  // namespace fw
