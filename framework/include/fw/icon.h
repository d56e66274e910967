// Icon images and lists of them, for the notification area.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fw/component.h"
#include "fw/shell.h"

namespace fw {

// One icon image, owned. Assigning copies the image, never shares the native handle, so each
// holder frees its own.
class Icon {
 public:
  Icon() = default;
  ~Icon();
  Icon(const Icon&) = delete;
  Icon& operator=(const Icon&) = delete;

  bool empty() const { return handle_ == 0; }
  shell::NativeIcon handle() const { return handle_; }
  // Each change of the image calls onChange.
  void assign(const Icon& other);
  // The program's icon resource of that name, at the small-icon size; false (and empty) when
  // there is none.
  bool loadResource(const std::string& name);
  // Takes ownership of a native icon made elsewhere (a test's drawn icon, say).
  void adopt(shell::NativeIcon handle);
  void clear();

  std::function<void()> onChange;

 private:
  void replace(shell::NativeIcon handle);
  shell::NativeIcon handle_ = 0;
};

// An ordered list of icon images.
class ImageList : public Component {
 public:
  explicit ImageList(Component* owner) : Component(owner) {}
  ~ImageList() override;
  int count() const { return static_cast<int>(images_.size()); }
  // Copies the image in.
  void add(const Icon& icon);
  void clear();
  // Copies the image at index into `into`; throws std::out_of_range for a bad index.
  void getIcon(int index, Icon& into) const;

 private:
  std::vector<shell::NativeIcon> images_;
};

}  // namespace fw
