// The grid in stored layouts: its properties, its columns (Column0.Title, Column0.Width, ...)
// and its registration by class name.
#include <cctype>

#include "cell_grid.h"
#include "fw/backend.h"

namespace grid {
namespace {

THorzAlign horzAlignValue(const fw::LayoutProperty& p, fw::LoadContext& ctx) {
  return ctx.choice<THorzAlign>(p, {{"haLeft", haLeft}, {"haCenter", haCenter}, {"haRight", haRight}});
}

TVertAlign vertAlignValue(const fw::LayoutProperty& p, fw::LoadContext& ctx) {
  return ctx.choice<TVertAlign>(p, {{"vaTop", vaTop}, {"vaCenter", vaCenter}, {"vaBottom", vaBottom}});
}

void applyColumnProperty(TCellColumn& column, const std::string& field, const fw::LayoutProperty& p,
                         fw::LoadContext& ctx) {
  if (field == "Title") {
    column.setTitle(ctx.text(p));
  } else if (field == "Footer") {
    column.setFooter(ctx.text(p));
  } else if (field == "Width") {
    column.setWidth(ctx.scaled(p));
    column.setDesignWidth(ctx.integer(p));
  } else if (field == "Color") {
    column.setColor(ctx.color(p));
  } else if (field == "HorzAlign") {
    column.setHorzAlign(horzAlignValue(p, ctx));
  } else if (field == "VertAlign") {
    column.setVertAlign(vertAlignValue(p, ctx));
  } else if (field == "Visible") {
    column.setVisible(ctx.boolean(p));
  } else if (field == "Tag") {
    column.setTag(ctx.integer(p));
  } else if (field == "Tag2") {
    column.setTag2(ctx.integer(p));
  } else if (field == "Hint") {
    column.setHint(ctx.text(p));
  } else if (field == "Strings") {
    column.setStrings(ctx.lines(p));
  } else if (field == "CanResize") {
    column.setCanResize(ctx.boolean(p));
  } else if (field == "ReadOnly") {
    column.setReadOnly(ctx.boolean(p));
  } else if (field == "WidestText") {
    column.setWidestText(ctx.text(p));
  } else if (field.starts_with("Font.")) {
    fw::Font f = column.Font();
    fw::applyFontProperty(f, std::string_view(field).substr(5), p, ctx);
    if (field == "Font.Height") column.setDesignFontHeight(ctx.integer(p));
    column.setFont(f);
  } else {
    ctx.fail(p, "unknown property of a column");
  }
}

}  // namespace

void TCellGrid::applyProperty(const fw::LayoutProperty& p, fw::LoadContext& ctx) {
  const std::string& k = p.key;
  loadingLayout_ = true;
  // ColumnN.Field: a property of column N, which ColCount must have made.
  if (k.starts_with("Column") && k.size() > 6 && std::isdigit(static_cast<unsigned char>(k[6]))) {
    const size_t dot = k.find('.');
    if (dot == std::string::npos) ctx.fail(p, "expected ColumnN.Property");
    const std::string number = k.substr(6, dot - 6);
    if (number.size() > 6 || !std::all_of(number.begin(), number.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
      ctx.fail(p, "expected ColumnN.Property");
    const int index = std::stoi(number);
    if (index >= ColCount()) ctx.fail(p, "no column " + number + " (ColCount is " + std::to_string(ColCount()) + ")");
    applyColumnProperty((*columns_)[index], k.substr(dot + 1), p, ctx);
    return;
  }
  if (k == "ColCount") {
    setColCount(ctx.integer(p));
  } else if (k == "RowCount") {
    setRowCount(ctx.integer(p));
  } else if (k == "Enabled") {
    setEnabled(ctx.boolean(p));
  } else if (k == "Color") {
    setColor(ctx.color(p));
  } else if (k == "AutoAddRow") {
    setAutoAddRow(ctx.boolean(p));
  } else if (k == "AutoFillDown") {
    setAutoFillDown(ctx.boolean(p));
  } else if (k == "AutoFillRight") {
    setAutoFillRight(ctx.boolean(p));
  } else if (k == "DefRowHeight") {
    design_.rowHeight = ctx.integer(p);
    setDefRowHeight(ctx.scaled(p));
  } else if (k == "DefColWidth") {
    design_.colWidth = ctx.integer(p);
    setDefColWidth(ctx.scaled(p));
  } else if (k == "Flat") {
    setFlat(ctx.boolean(p));
  } else if (k == "AlternateColor") {
    setAlternateColor(ctx.color(p));
  } else if (k == "GridColor") {
    setGridColor(ctx.color(p));
  } else if (k == "ShowGrid") {
    setShowGrid(ctx.boolean(p));
  } else if (k == "HeaderLine") {
    setHeaderLine(ctx.integer(p));
  } else if (k == "HeaderColor") {
    setHeaderColor(ctx.color(p));
  } else if (k == "HeaderLightColor") {
    setHeaderLightColor(ctx.color(p));
  } else if (k == "HeaderDarkColor") {
    setHeaderDarkColor(ctx.color(p));
  } else if (k == "SelectionColor") {
    setSelectionColor(ctx.color(p));
  } else if (k == "FitToWidth") {
    setFitToWidth(ctx.boolean(p));
  } else if (k == "AutoColWidth") {
    setAutoColWidth(ctx.boolean(p));
  } else if (k == "ReadOnly") {
    setReadOnly(ctx.boolean(p));
  } else if (k == "GutterKind") {
    setGutterKind(ctx.choice<TGutterKind>(
        p, {{"gkNone", gkNone}, {"gkBlank", gkBlank}, {"gkPointer", gkPointer}, {"gkNumber", gkNumber}, {"gkString", gkString}}));
  } else if (k == "GutterWidth") {
    design_.gutterWidth = ctx.integer(p);
    setGutterWidth(ctx.scaled(p));
  } else if (k == "GutterStrings") {
    setGutterStrings(ctx.lines(p));
  } else if (k == "ShowFooter") {
    setShowFooter(ctx.boolean(p));
  } else if (k.starts_with("HeaderFont.")) {
    fw::Font f = headerFont_;
    fw::applyFontProperty(f, std::string_view(k).substr(11), p, ctx);
    if (k == "HeaderFont.Height") design_.headerFontHeight = ctx.integer(p);
    setHeaderFont(f);
  } else if (k.starts_with("FooterFont.")) {
    fw::Font f = footerFont_;
    fw::applyFontProperty(f, std::string_view(k).substr(11), p, ctx);
    if (k == "FooterFont.Height") design_.footerFontHeight = ctx.integer(p);
    setFooterFont(f);
  } else if (k.starts_with("GutterFont.")) {
    fw::Font f = gutterFont_;
    fw::applyFontProperty(f, std::string_view(k).substr(11), p, ctx);
    if (k == "GutterFont.Height") design_.gutterFontHeight = ctx.integer(p);
    setGutterFont(f);
  } else if (k == "BorderStyle") {
    if (ctx.identifier(p) != "bsSingle") ctx.fail(p, "the grid always has a single border");
  } else {
    fw::CustomControl::applyProperty(p, ctx);
  }
}

void TCellGrid::loaded() {
  fw::CustomControl::loaded();
  loadingLayout_ = false;
  RebuildHeader();
  MakeRoomForTexts();
  FullRepaint();
}

void TCellGrid::changeScale(int oldDpi, int newDpi) {
  // Nothing is laid out until every value is at the new density.
  const int topRow = scroll_.y / defRowHeight_;
  loadingLayout_ = true;
  fw::CustomControl::changeScale(oldDpi, newDpi);
  auto font = [&](fw::Font f, int design) {
    f.height = fw::rescale(f.height, design, oldDpi, newDpi);
    return f;
  };
  headerFont_ = font(headerFont_, design_.headerFontHeight);
  footerFont_ = font(footerFont_, design_.footerFontHeight);
  gutterFont_ = font(gutterFont_, design_.gutterFontHeight);
  for (int c = 0; c < ColCount(); ++c) (*columns_)[c].rescale(oldDpi, newDpi);
  askedRowHeight_ = fw::rescale(askedRowHeight_, design_.rowHeight, oldDpi, newDpi);
  defColWidth_ = fw::rescale(defColWidth_, design_.colWidth, oldDpi, newDpi);
  gutterWidth_ = fw::rescale(gutterWidth_, design_.gutterWidth, oldDpi, newDpi);
  scroll_.x = fw::mulDiv(scroll_.x, newDpi, oldDpi);
  loadingLayout_ = false;
  updateRowHeight();
  scroll_.y = topRow * defRowHeight_;
  RebuildHeader();
  MakeRoomForTexts();
  if (hasCells()) EnsureCellVisible(sel_.col, sel_.row);
  if (EditorActive()) inplace_->PlaceEditor();
  FullRepaint();
}

void registerClasses() {
  fw::ClassRegistry::instance().add("TCellGrid", [](fw::Component* owner, fw::Control* parent) {
    return std::make_unique<TCellGrid>(owner, parent);
  });
  const struct {
    int number;
    const char* resource;
  } cursors[] = {{crCellPlus, "CR_PLUS"},
                 {crFillCross, "CR_CROSS"},
                 {crGutterRight, "CR_RIGHT"},
                 {crHeaderDown, "CR_DOWN"},
                 {crCornerLeftTop, "CR_LEFTTOP"}};
  for (const auto& c : cursors) fw::backend::registerCursor(c.number, c.resource);
}

}  // namespace grid
