// The grid's columns: each one's look, width and cell texts, and the ordered collection that
// reports their changes to the grid.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cell_grid_types.h"
#include "fw/scale.h"

namespace grid {

// One column: its look, its width and, in Strings, the text of all its cells (line r is row r;
// the list does not follow the grid's row count).
// What the columns need of the grid that owns them: the values a new column starts from, the
// grid's font (a column's own font is one that differs from it) and where changes go. The
// grid answers it; the columns see nothing else of the grid.
class TCellColumn;

class TColumnsOwner {
 public:
  virtual int newColumnWidth() const = 0;
  virtual fw::Color newColumnColor() const = 0;
  virtual const fw::Font& gridFont() const = 0;
  // A change of one column (its strip is repainted) or, for null, of all of them (laid out
  // again and repainted whole).
  virtual void columnsChanged(TCellColumn* column) = 0;
  // A column shown or hidden: the next fit to the width spares it.
  virtual void columnToggled(int index) = 0;

 protected:
  ~TColumnsOwner() = default;
};

class TCellColumn {
 public:
  explicit TCellColumn(TCellColumns& collection);
  TCellColumn(const TCellColumn&) = delete;
  TCellColumn& operator=(const TCellColumn&) = delete;

  TCellGrid& Grid() const;
  int Index() const;
  // The title, or "Column " and the index when there is none.
  std::string DisplayName() const;

  const std::string& Title() const { return title_; }
  void setTitle(const std::string& v);
  const std::string& Footer() const { return footer_; }
  void setFooter(const std::string& v);
  int Width() const { return width_; }
  void setWidth(int v);
  const fw::Font& Font() const { return font_; }
  void setFont(const fw::Font& v);  // always a change, as a font assigned is a font changed
  fw::Color Color() const { return color_; }
  void setColor(fw::Color v);
  THorzAlign HorzAlign() const { return horzAlign_; }
  void setHorzAlign(THorzAlign v);
  TVertAlign VertAlign() const { return vertAlign_; }
  void setVertAlign(TVertAlign v);
  bool Visible() const { return visible_; }
  void setVisible(bool v);
  int Tag() const { return tag_; }
  void setTag(int v) { tag_ = v; }
  int Tag2() const { return tag2_; }
  void setTag2(int v) { tag2_ = v; }
  const std::string& Hint() const { return hint_; }
  void setHint(const std::string& v) { hint_ = v; }
  const std::vector<std::string>& Strings() const { return strings_; }
  void setStrings(const std::vector<std::string>& v);
  bool CanResize() const { return canResize_; }
  void setCanResize(bool v) { canResize_ = v; }
  bool ReadOnly() const { return readOnly_; }
  void setReadOnly(bool v) { readOnly_ = v; }
  // The longest text the column's cells are expected to hold (a date and time, say): at the
  // end of loading and at every density the column is made wide enough to show it whole.
  const std::string& WidestText() const { return widestText_; }
  void setWidestText(const std::string& v) { widestText_ = v; }
  // The layout's width and font height in design pixels, which a change of density scales.
  void setDesignWidth(int v) { designWidth_ = v; }
  void setDesignFontHeight(int v) { designFontHeight_ = v; }
  // The grid's own writes, without a change report: the width its layout gives (a fit, the
  // measured width, room for texts), the column at another density, and the cell store, whose
  // writes the grid repaints itself.
  void storeWidth(int v) { width_ = v; }
  void rescale(int oldDpi, int newDpi);
  std::vector<std::string>& Cells() { return strings_; }

  // The font is the column's own (and would be stored with a layout) only when it differs
  // from the grid's.
  bool FontIsOwn() const;
  void Assign(const TCellColumn& source);

 private:
  void changed(bool all);

  TCellColumns& collection_;
  std::string title_;
  std::string footer_;
  int width_;
  fw::Font font_;
  fw::Color color_;
  THorzAlign horzAlign_ = haLeft;
  TVertAlign vertAlign_ = vaCenter;
  bool visible_ = true;
  int tag_ = 0;
  int tag2_ = 0;
  std::string hint_;
  std::vector<std::string> strings_;
  bool canResize_ = true;
  bool readOnly_ = false;
  std::string widestText_;
  // The layout's width and own font height in design pixels (fw::kNoDesign: none).
  int designWidth_ = fw::kNoDesign;
  int designFontHeight_ = fw::kNoDesign;
};

// The grid's columns in order. Every change of an item is reported to the grid, except while
// reports are held back (BeginUpdate); the last EndUpdate reports one change of everything.
class TCellColumns {
 public:
  TCellColumns(TCellGrid& grid, TColumnsOwner& owner) : grid_(grid), owner_(owner) {}
  TCellColumns(const TCellColumns&) = delete;
  TCellColumns& operator=(const TCellColumns&) = delete;

  TCellGrid& Grid() const { return grid_; }
  TColumnsOwner& Owner() const { return owner_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TCellColumn& operator[](int index) const { return *items_.at(static_cast<size_t>(index)); }
  // A cell's stored text without a copy; empty beyond the columns or a column's list.
  const std::string& Text(int col, int row) const;
  TCellColumn& Add();
  void Delete(int index);
  void Clear();
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  // Copies the other collection item by item.
  void Assign(const TCellColumns& source);
  // Reports a change of an item (null: of everything) unless an update is under way.
  void Changed(TCellColumn* item);

 private:
  TCellGrid& grid_;
  TColumnsOwner& owner_;
  std::vector<std::unique_ptr<TCellColumn>> items_;
  int updateCount_ = 0;
};
}  // namespace grid
