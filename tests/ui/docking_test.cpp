// The docking rule, first as plain arithmetic, then on real windows (record
// bounds and the geometry Qt was given must agree).
#include "ui/docking.h"

#include <array>

#include "tests/ui/layer_fixture.h"

namespace {

using ui::Dock;
using ui::Rect;

ui::DockFrame Frame(int width, int height, int gap = 2, int marginTop = 0, int margins = 0) {
  ui::DockFrame frame{.clientWidth = width, .clientHeight = height, .marginTop = marginTop};
  frame.marginBottom = frame.marginLeft = frame.marginRight = margins;
  frame.gap = gap;
  return frame;
}

// A visible child docked to a side, of the given size.
ui::DockChild On(Dock side, int width = 0, int height = 0) {
  return {side, true, {0, 0, width, height}};
}

TEST(DockRules, PlacesChildrenInThreePassesWithGapsMarginsAndNoNegativeSize) {
  struct Case {
    const char* what;
    ui::DockFrame frame;
    std::vector<ui::DockChild> children;
    std::vector<Rect> expected;
  };
  const Case cases[] = {
      {"top and bottom span the width before left and right; fill takes the rest",
       Frame(200, 100),
       {On(Dock::Left, 30, 5), On(Dock::Top, 5, 10), On(Dock::Bottom, 5, 20),
        On(Dock::Right, 40, 5), On(Dock::Fill, 1, 1)},
       {{2, 14, 32, 76}, {2, 2, 198, 12}, {2, 78, 198, 98}, {158, 14, 198, 76}, {34, 14, 156, 76}}},
      {"margins shrink the area", Frame(100, 80, 2, 16, 2), {On(Dock::Fill)}, {{4, 18, 96, 76}}},
      {"gap zero packs children",
       Frame(100, 80, 0),
       {On(Dock::Top, 0, 41), On(Dock::Fill)},
       {{0, 0, 100, 41}, {0, 41, 100, 80}}},
      {"hidden and undocked children keep their bounds and take no room",
       Frame(100, 50),
       {{Dock::Left, false, {5, 5, 25, 9}}, {Dock::None, true, {7, 8, 9, 10}}, On(Dock::Left, 10)},
       {{5, 5, 25, 9}, {7, 8, 9, 10}, {2, 2, 12, 48}}},
      // Taller than the room: kept; then bottom above top gives height 0,
      // children run right of the client area and fill is 0 x 0.
      {"no size comes out negative",
       Frame(50, 10),
       {On(Dock::Left, 40), On(Dock::Left, 30), On(Dock::Fill), On(Dock::Top, 0, 20)},
       {{2, 24, 42, 24}, {44, 24, 74, 24}, {76, 24, 76, 24}, {2, 2, 48, 22}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ui::DockRects(c.frame, c.children), c.expected);
  }
}

class Docking : public LayerTest {
 protected:
  static ui::Control& Docked(ui::Control& control, Dock side, int width = 0, int height = 0) {
    ui::SizeTo(control, width, height);
    ui::DockTo(control, side);
    return control;
  }
  static void ExpectOnScreen(ui::Control& control) {
    EXPECT_EQ(dt::WidgetGeometry(control), ui::Bounds(control));
  }
};

TEST_F(Docking, SizeToWithZeroChangesOnlyTheOtherSide) {
  ui::Control& label = ui::CreateLabel(MakeForm(), "x");
  ui::SizeTo(label, 0, 30);
  EXPECT_EQ(ui::Bounds(label), (Rect{2, 2, 66, 32}));
  ui::SizeTo(label, 100, 0);
  EXPECT_EQ(ui::Bounds(label), (Rect{2, 2, 102, 32}));
  ui::SetControlWidth(label, 0);
  EXPECT_EQ(ui::Bounds(label), (Rect{2, 2, 2, 32}));
  ui::SetControlHeight(label, 0);
  EXPECT_EQ(ui::Bounds(label), (Rect{2, 2, 2, 2}));
  ui::PlaceAt(label, 10, 20);
  EXPECT_EQ(ui::Bounds(label), (Rect{10, 20, 10, 20}));
  ExpectOnScreen(label);
}

TEST_F(Docking, ChildrenTakeTheDefaultBoundsOfTheirKind) {
  ui::Control& form = MakeForm();
  EXPECT_EQ((std::vector<Rect>{ui::Bounds(ui::CreateLabel(form, "l")), ui::Bounds(ui::CreateButton(form, "b")),
                               ui::Bounds(ui::CreateCheckBox(form, "c")), ui::Bounds(ui::CreateEditBox(form)),
                               ui::Bounds(ui::CreatePaintArea(form))}),
            (std::vector<Rect>{{2, 2, 66, 24}, {2, 2, 66, 24}, {2, 2, 74, 24}, {2, 2, 102, 24}, {2, 2, 42, 42}}));
  ui::Control& group = ui::CreateGroupBox(form, " g ");
  EXPECT_EQ((std::array{group.marginTop, group.marginLeft, group.marginRight, group.marginBottom}),
            (std::array{22, 2, 2, 2}));
  // Below the group's caption: the parent's gap plus its top margin.
  EXPECT_EQ(ui::Bounds(ui::CreateLabel(group, "in")), (Rect{2, 24, 66, 46}));
  ui::SetGap(form, 0);
  ui::Control& panel = ui::CreatePanel(form);
  EXPECT_EQ(ui::Bounds(ui::CreateLabel(panel, "p")), (Rect{0, 0, 64, 22}));
}

TEST_F(Docking, AChildsNewSizeOrSideReLaysItsSiblings) {
  ui::Control& form = MakeForm(300, 100);
  ui::Control& left = Docked(ui::CreatePanel(form), Dock::Left, 50);
  ui::Control& fill = Docked(ui::CreatePanel(form), Dock::Fill);
  EXPECT_EQ(ui::Bounds(fill), (Rect{54, 2, 298, 98}));
  ui::SetControlWidth(left, 80);
  EXPECT_EQ(ui::Bounds(fill), (Rect{84, 2, 298, 98}));
  ui::DockTo(left, Dock::Right);
  EXPECT_EQ(ui::Bounds(left), (Rect{218, 2, 298, 98}));
  EXPECT_EQ(ui::Bounds(fill), (Rect{2, 2, 216, 98}));
  ui::SetVisible(left, false);
  EXPECT_EQ(ui::Bounds(fill), (Rect{2, 2, 298, 98}));
}

TEST_F(Docking, PanelEdgesTakeTheirWidthFromTheClientArea) {
  ui::Control& panel = ui::CreatePanel(MakeForm(300, 200), ui::Edge::Raised);
  ui::SizeTo(panel, 100, 50);
  EXPECT_EQ(std::pair(ui::ClientWidth(panel), ui::ClientHeight(panel)), std::pair(96, 46));
  ui::Control& inner = Docked(ui::CreatePanel(panel), Dock::Fill);
  EXPECT_EQ(ui::Bounds(inner), (Rect{2, 2, 94, 44}));
  ExpectOnScreen(inner);
}

TEST_F(Docking, OuterWindowSizesIncludeTheFrameAndTheMenuBar) {
  ui::Control& form = ui::CreateForm(*app, "Outer");
  ui::SizeTo(form, 521, 439);
  EXPECT_EQ(std::pair(ui::ClientWidth(form), ui::ClientHeight(form)), std::pair(513, 412));
  ui::CreateMenuBar(form, {"File", "(", "Exit", ")", ""});
  const int menuHeight = 412 - ui::ClientHeight(form);
  EXPECT_GT(menuHeight, 0);
  EXPECT_EQ(std::pair(ui::Bounds(form).Width(), ui::Bounds(form).Height()), std::pair(521, 439));
  // SetClientSize works the other way round.
  ui::SetClientSize(form, 300, 200);
  EXPECT_EQ(std::pair(ui::Bounds(form).Width(), ui::Bounds(form).Height()), std::pair(308, 227 + menuHeight));
  ui::Control& fill = Docked(ui::CreatePanel(form), Dock::Fill);
  dt::ShowWindows(*app);
  EXPECT_EQ(dt::WidgetGeometry(fill), (Rect{2, 2, 298, 198}));
  EXPECT_EQ(dt::ScreenBounds(fill).top - dt::ScreenBounds(form).top, menuHeight + 2);
}

TEST_F(Docking, ScrollingContainerShowsBarsOnlyWhileChildrenExtendBeyondIt) {
  ui::Control& box = Docked(ui::CreateScrollArea(MakeForm(200, 150), ui::Edge::Sunken), Dock::Fill);
  ui::Control& area = ui::CreatePaintArea(box);
  ui::PlaceAt(area, 0, 0);
  ui::SizeTo(area, 65, 65);
  dt::ShowWindows(*app);
  EXPECT_FALSE(dt::ScrollBarOf(box, true).visible || dt::ScrollBarOf(box, false).visible);
  ui::SizeTo(area, 500, 0);
  dt::ProcessEvents();
  const dt::ScrollBarLook bar = dt::ScrollBarOf(box, true);
  EXPECT_TRUE(bar.visible);
  EXPECT_FALSE(dt::ScrollBarOf(box, false).visible);
  // Visible width: 196 less the two edges; the range covers the rest.
  EXPECT_EQ(bar.page, 192);
  EXPECT_EQ(bar.maximum, 500 - 192);
  ui::SetControlWidth(area, 0);
  dt::ProcessEvents();
  EXPECT_FALSE(dt::ScrollBarOf(box, true).visible);
}

}  // namespace
