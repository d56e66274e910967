#include "fw/icon.h"

#include <stdexcept>
#include <string>

namespace fw {

Icon::~Icon() {
  if (handle_) shell::destroyIcon(handle_);
}

void Icon::replace(shell::NativeIcon handle) {
  if (handle_) shell::destroyIcon(handle_);
  handle_ = handle;
  if (onChange) onChange();
}

void Icon::assign(const Icon& other) {
  if (&other == this) return;
  replace(other.handle_ ? shell::copyIcon(other.handle_) : 0);
}

bool Icon::loadResource(const std::string& name) {
  const shell::NativeIcon h = shell::loadIcon(name);
  replace(h);
  return h != 0;
}

void Icon::adopt(shell::NativeIcon handle) { replace(handle); }

void Icon::clear() { replace(0); }

ImageList::~ImageList() { clear(); }

void ImageList::add(const Icon& icon) {
  images_.push_back(icon.handle() ? shell::copyIcon(icon.handle()) : 0);
}

void ImageList::clear() {
  for (shell::NativeIcon h : images_)
    if (h) shell::destroyIcon(h);
  images_.clear();
}

void ImageList::getIcon(int index, Icon& into) const {
  if (index < 0 || index >= count())
    throw std::out_of_range("image index " + std::to_string(index) + " is outside the list of " +
                            std::to_string(count()));
  into.adopt(images_[static_cast<std::size_t>(index)] ? shell::copyIcon(images_[static_cast<std::size_t>(index)]) : 0);
}

}  // namespace fw
