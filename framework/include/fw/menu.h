#pragma once

#include <string>
#include <vector>

#include "fw/component.h"
#include "fw/control.h"
#include "fw/geometry.h"

namespace fw {

class MenuItem : public Component {
 public:
  explicit MenuItem(Component* owner) : Component(owner) {}
  const std::string& caption() const { return caption_; }
  void setCaption(std::string c) { caption_ = std::move(c); }
  void click();
  NotifyEvent onClick;
  // The default command of its menu (drawn bold; a double-click on the owner may choose it).
  bool isDefault() const { return default_; }
  void setDefault(bool on) { default_ = on; }
  void applyProperty(const LayoutProperty& p, LoadContext& ctx) override;

 private:
  std::string caption_;
  bool default_ = false;
};

// Holds its items in order; items are owned by the form like every component.
class Menu : public Component {
 public:
  explicit Menu(Component* owner) : Component(owner) {}
  const std::vector<MenuItem*>& items() const { return items_; }
  MenuItem& addItem(MenuItem& item) {
    items_.push_back(&item);
    return item;
  }

 private:
  std::vector<MenuItem*> items_;
};

class MainMenu : public Menu {
 public:
  using Menu::Menu;
};

class PopupMenu : public Menu {
 public:
  using Menu::Menu;
  void popup(Point screen);
  // Off: whoever owns the menu does not open it by itself on a click.
  bool autoPopup() const { return autoPopup_; }
  void setAutoPopup(bool on) { autoPopup_ = on; }
  // The component the menu was last opened for.
  Component* popupComponent() const { return popupComponent_; }
  void setPopupComponent(Component* c) { popupComponent_ = c; }
  void applyProperty(const LayoutProperty& p, LoadContext& ctx) override;

 private:
  bool autoPopup_ = true;
  Component* popupComponent_ = nullptr;
};

}  // namespace fw
