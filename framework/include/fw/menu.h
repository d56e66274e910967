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
  void applyProperty(const LayoutProperty& p, LoadContext& ctx) override;

 private:
  std::string caption_;
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
};

}  // namespace fw
