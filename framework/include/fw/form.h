// Top-level windows built from stored layouts.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "fw/control.h"
#include "fw/scale.h"

namespace fw {

class MainMenu;

enum class FormPosition { Designed, Default, DefaultPosOnly, ScreenCenter };

using CloseQueryEvent = std::function<void(Component& sender, bool& canClose)>;

class Form : public Control {
 public:
  explicit Form(Component* owner);
  ~Form() override;

  // Reads the stored layout: the form's own properties, then each component created by class
  // name with its properties applied, then the end-of-loading step of each. Throws LayoutError.
  void loadLayout(const std::string& resourceName);

  // Asks to close: runs the close request; a main form that closes ends the message loop,
  // any other form is hidden.
  void close();
  bool keyPreview() const { return keyPreview_; }
  MainMenu* menu() const { return menu_; }
  void setMenu(MainMenu* menu);
  FormPosition position() const { return position_; }
  void setPosition(FormPosition p);
  void setClientSize(Size s);
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

 private:
  void loadChildren(const LayoutNode& node, Control* parent, LoadContext& ctx);
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
};

}  // namespace fw
