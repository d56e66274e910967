// Top-level windows built from stored layouts.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "fw/control.h"
#include "fw/layout.h"
#include "fw/scale.h"

namespace fw {

class MainMenu;

enum class FormPosition { Designed, Default, DefaultPosOnly, ScreenCenter };

using CloseQueryEvent = std::function<void(Component& sender, bool& canClose)>;

class Form : public Control {
 public:
  explicit Form(Component* owner);
  ~Form() override;

  // When a layout's components are made: at once, or when the window is first shown (a window
  // that starts hidden costs a bare top-level window until someone opens it).
  enum class Components { Now, OnFirstShow };

  // Reads the stored layout: the form's own properties, then each component created by class
  // name with its properties applied, then the end-of-loading step of each. Throws LayoutError
  // (for the components kept for the first showing: then, from makeComponents).
  void loadLayout(const std::string& resourceName, Components when = Components::Now);
  // Makes the components a layout read with Components::OnFirstShow kept back; nothing when
  // they exist. Showing the window calls it before the window appears, so the first showing
  // looks as if they had always been there.
  void makeComponents();
  // The component of that name, made first if the layout kept it back.
  template <class T>
  T& part(std::string_view name) {
    makeComponents();
    return component<T>(name);
  }

  // Asks to close: runs the close request; a main form that closes ends the message loop,
  // any other form is hidden.
  void close();
  bool keyPreview() const { return keyPreview_; }
  MainMenu* menu() const { return menu_; }
  void setMenu(MainMenu* menu);
  FormPosition position() const { return position_; }
  void setPosition(FormPosition p);
  void setClientSize(Size s);
  // A window shown for the first time makes the components its layout kept back before it
  // appears: made while the window is being shown, they would miss its first paint.
  void setVisible(bool v) override;
  int dpi() const override { return dpi_; }
  // The client size the window wants at `dpi`: its layout's size as read at that density
  // while the window still has it, else its present size in proportion. The platform asks
  // before it suggests a rectangle for a move to another density, so that a window which
  // moves there and back comes back exactly.
  Size clientSizeAt(int dpi) const;
  // The same for a window whose layout gives its frame's size (Width, Height) and which still
  // has it: that size as read at `dpi`. Empty otherwise, and the client size decides.
  std::optional<Size> designedFrameAt(int dpi) const;
  // The window moved to a screen of another density (or the screen's density changed): the
  // window takes the suggested rectangle (screen coordinates of its frame) and everything in
  // it is laid out again at the new density. An auto-sized window then fits its content,
  // keeping the suggested top-left corner.
  void handleDpiChanged(int newDpi, const Rect& suggested);

  CloseQueryEvent onCloseQuery;
  NotifyEvent onShow;

  // Called by the backend.
  bool handleCloseRequest();  // true when the window may close
  void handleShown();
  void handleHidden();
  // The window was moved or sized, by the user or by the system: its bounds follow, so that
  // setting the old ones again is not taken for no change.
  void handleFrameChanged(const Rect& bounds) { noteBounds(bounds); }
  bool closed() const { return closed_; }

  void applyProperty(const LayoutProperty& p, LoadContext& ctx) override;
  void loaded() override;

 protected:
  void fitToContent() override;
  // A form fits its content at the end of loading, once it has its components.
  void propertiesApplied() override {}
  // The layout's components exist now: a form that keeps them back binds their handlers here.
  virtual void componentsMade() {}

 private:
  void loadChildren(const LayoutNode& node, Control* parent, LoadContext& ctx);
  // The form's components kept back by loadLayout, read again from this node when made.
  struct PendingLayout {
    std::string file;
    LayoutNode root;
  };
  void finishLayout(const LayoutNode& root, const std::string& file);
  // A window is laid out at the system's density when made; the screen it is first shown on
  // may have another, and no move tells it so.
  void adoptScreenDensity();

  MainMenu* menu_ = nullptr;
  FormPosition position_ = FormPosition::Designed;
  Size designClient_{kNoDesign, kNoDesign};  // the layout's client size, in design pixels
  bool keyPreview_ = false;
  bool closed_ = false;
  int dpi_ = 114;
  std::string icon_;
  std::unique_ptr<PendingLayout> pending_;
};

// A form's component by name, for forms whose components are made on first showing: found
// (and made, if need be) on first use.
template <class T>
class Part {
 public:
  Part(Form& form, const char* name) : form_(form), name_(name) {}
  T& operator*() const {
    if (!found_) found_ = &form_.part<T>(name_);
    return *found_;
  }
  T* operator->() const { return &**this; }

 private:
  Form& form_;
  const char* name_;
  mutable T* found_ = nullptr;
};

}  // namespace fw
