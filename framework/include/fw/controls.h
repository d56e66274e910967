// The standard controls.
#pragma once

#include <string>
#include <vector>

#include "fw/control.h"

namespace fw {

class Label : public Control {
 public:
  Label(Component* owner, Control* parent);
  void applyProperty(const LayoutProperty& p, LoadContext& ctx) override;

 protected:
  void fitToContent() override;
};

class CheckBox : public Control {
 public:
  CheckBox(Component* owner, Control* parent);
  bool checked() const { return peer<CheckPeer>().checked(); }
  void setChecked(bool c) { peer<CheckPeer>().setChecked(c); }
  void applyProperty(const LayoutProperty& p, LoadContext& ctx) override;
  // A box is never narrower than its mark and its text: once its layout is read and at every
  // density it widens when its font outgrew the layout's width.
  void changeScale(int oldDpi, int newDpi) override;
  // The width its mark and text need.
  int neededWidth() const;
  // The check mark and the gap before the text (13 and 4 pixels at 96 pixels per inch).
  static int markExtent(int dpi);

 protected:
  void propertiesApplied() override;

 private:
  void widenToText();
};

// Positions outside the range are held at the nearer end, as the platform's bar does.
class ProgressBar : public Control {
 public:
  ProgressBar(Component* owner, Control* parent);
  int min() const { return min_; }
  int max() const { return max_; }
  int position() const { return position_; }
  void setRange(int min, int max);
  void setPosition(int position);
  bool smooth() const { return smooth_; }
  void setSmooth(bool smooth);
  void applyProperty(const LayoutProperty& p, LoadContext& ctx) override;

  static int clamp(int position, int min, int max);

 private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  bool smooth_ = false;
};

class GroupBox : public Control {
 public:
  GroupBox(Component* owner, Control* parent);
  // Inside the frame and below the caption's line.
  Rect alignRect() const override;
};

// A status bar with one simple panel.
class StatusBar : public Control {
 public:
  StatusBar(Component* owner, Control* parent);
  void setSimpleText(const std::string& text) { setCaption(text); }
  void applyProperty(const LayoutProperty& p, LoadContext& ctx) override;
};

// Read-only multi-line text.
class Memo : public Control {
 public:
  Memo(Component* owner, Control* parent);
  const std::vector<std::string>& lines() const { return lines_; }
  void setLines(std::vector<std::string> lines);
  void applyProperty(const LayoutProperty& p, LoadContext& ctx) override;

 private:
  std::vector<std::string> lines_;
};

class Button : public Control {
 public:
  Button(Component* owner, Control* parent);
};

// A single-line text box. Every change of its text, by the user or by setCaption, raises
// onChange.
class Edit : public Control {
 public:
  Edit(Component* owner, Control* parent);
  void applyProperty(const LayoutProperty& p, LoadContext& ctx) override;

  NotifyEvent onChange;
  // Called by the backend after the text changed.
  virtual void handleChange();

 protected:
  Edit(Component* owner, Control* parent, const WidgetStyle& style);
};

// A picture stretched to the control; decoded the first time the control is shown.
class Image : public Control {
 public:
  Image(Component* owner, Control* parent);
  void setPictureResource(std::string name);
  bool proportional() const { return proportional_; }
  void setProportional(bool on) { proportional_ = on; }
  bool pictureDecoded() const { return decoded_; }
  void applyProperty(const LayoutProperty& p, LoadContext& ctx) override;
  void ensurePicture();
  // Gives the decoded pixels back; the next ensurePicture decodes them again.
  void releasePicture();

 private:
  std::string resource_;
  bool decoded_ = false;
  bool proportional_ = false;
};

}  // namespace fw
