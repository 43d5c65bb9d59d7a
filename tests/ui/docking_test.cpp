// The docking rule, first as plain arithmetic, then on real windows (record
// bounds and the geometry Qt was given must agree).
#include "ui/docking.h"

#include "tests/ui/layer_fixture.h"

namespace {

using ui::Dock;
using ui::Rect;

TEST(DockRules, TopAndBottomSpanTheWidthBeforeLeftAndRightArePlaced) {
  ui::DockFrame frame{.clientWidth = 200, .clientHeight = 100};
  const std::vector<ui::DockChild> children = {
      {Dock::Left, true, {0, 0, 30, 5}},   {Dock::Top, true, {0, 0, 5, 10}},
      {Dock::Bottom, true, {0, 0, 5, 20}}, {Dock::Right, true, {0, 0, 40, 5}},
      {Dock::Fill, true, {0, 0, 1, 1}},
  };
  const std::vector<Rect> placed = ui::DockRects(frame, children);
  EXPECT_EQ(placed[1], (Rect{2, 2, 198, 12}));     // top
  EXPECT_EQ(placed[2], (Rect{2, 78, 198, 98}));    // bottom
  EXPECT_EQ(placed[0], (Rect{2, 14, 32, 76}));     // left, between top and bottom
  EXPECT_EQ(placed[3], (Rect{158, 14, 198, 76}));  // right
  EXPECT_EQ(placed[4], (Rect{34, 14, 156, 76}));   // fill: what is left, less the gap
}

TEST(DockRules, MarginsShrinkTheAreaAndGapZeroPacksChildren) {
  ui::DockFrame frame{.clientWidth = 100,
                      .clientHeight = 80,
                      .marginTop = 16,
                      .marginBottom = 2,
                      .marginLeft = 2,
                      .marginRight = 2,
                      .gap = 2};
  const std::vector<Rect> placed = ui::DockRects(frame, {{Dock::Fill, true, {}}});
  EXPECT_EQ(placed[0], (Rect{4, 18, 96, 76}));

  ui::DockFrame packed{.clientWidth = 100, .clientHeight = 80, .gap = 0};
  const std::vector<Rect> column =
      ui::DockRects(packed, {{Dock::Top, true, {0, 0, 0, 41}}, {Dock::Fill, true, {}}});
  EXPECT_EQ(column[0], (Rect{0, 0, 100, 41}));
  EXPECT_EQ(column[1], (Rect{0, 41, 100, 80}));
}

TEST(DockRules, HiddenAndUndockedChildrenKeepTheirBoundsAndTakeNoRoom) {
  ui::DockFrame frame{.clientWidth = 100, .clientHeight = 50};
  const std::vector<Rect> placed = ui::DockRects(frame, {{Dock::Left, false, {5, 5, 25, 9}},
                                                         {Dock::None, true, {7, 8, 9, 10}},
                                                         {Dock::Left, true, {0, 0, 10, 0}}});
  EXPECT_EQ(placed[0], (Rect{5, 5, 25, 9}));
  EXPECT_EQ(placed[1], (Rect{7, 8, 9, 10}));
  EXPECT_EQ(placed[2], (Rect{2, 2, 12, 48}));
}

TEST(DockRules, NoSizeComesOutNegative) {
  ui::DockFrame frame{.clientWidth = 50, .clientHeight = 10};
  const std::vector<Rect> placed = ui::DockRects(frame, {{Dock::Left, true, {0, 0, 40, 0}},
                                                         {Dock::Left, true, {0, 0, 30, 0}},
                                                         {Dock::Fill, true, {}},
                                                         {Dock::Top, true, {0, 0, 0, 20}}});
  EXPECT_EQ(placed[3], (Rect{2, 2, 48, 22}));    // taller than the room: kept
  EXPECT_EQ(placed[0], (Rect{2, 24, 42, 24}));   // bottom above top: height 0
  EXPECT_EQ(placed[1], (Rect{44, 24, 74, 24}));  // right of the client area
  EXPECT_EQ(placed[2], (Rect{76, 24, 76, 24}));  // fill: width and height 0
}

using Docking = LayerTest;

void ExpectOnScreen(ui::Control& control) {
  EXPECT_EQ(dt::WidgetGeometry(control), ui::Bounds(control));
}

TEST_F(Docking, SizeToWithZeroChangesOnlyTheOtherSide) {
  ui::Control& form = MakeForm();
  ui::Control& label = ui::CreateLabel(form, "x");
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
  EXPECT_EQ(ui::Bounds(ui::CreateLabel(form, "l")), (Rect{2, 2, 66, 24}));
  EXPECT_EQ(ui::Bounds(ui::CreateButton(form, "b")), (Rect{2, 2, 66, 24}));
  EXPECT_EQ(ui::Bounds(ui::CreateCheckBox(form, "c")), (Rect{2, 2, 74, 24}));
  EXPECT_EQ(ui::Bounds(ui::CreateEditBox(form)), (Rect{2, 2, 102, 24}));
  EXPECT_EQ(ui::Bounds(ui::CreatePaintArea(form)), (Rect{2, 2, 42, 42}));
  ui::Control& group = ui::CreateGroupBox(form, " g ");
  EXPECT_EQ(group.marginTop, 22);
  EXPECT_EQ(group.marginLeft, 2);
  EXPECT_EQ(group.marginRight, 2);
  EXPECT_EQ(group.marginBottom, 2);
  // Below the group's caption: the parent's gap plus its top margin.
  EXPECT_EQ(ui::Bounds(ui::CreateLabel(group, "in")), (Rect{2, 24, 66, 46}));
  ui::SetGap(form, 0);
  ui::Control& panel = ui::CreatePanel(form);
  EXPECT_EQ(panel.gap, 0);
  EXPECT_EQ(ui::Bounds(ui::CreateLabel(panel, "p")), (Rect{0, 0, 64, 22}));
}

TEST_F(Docking, AWindowNarrowerThanItsLeftChildrenLeavesTheFillChildZeroWide) {
  ui::Control& form = MakeForm(200, 100);
  ui::Control& a = ui::CreatePanel(form);
  ui::SizeTo(a, 145, 0);
  ui::DockTo(a, Dock::Left);
  ui::Control& b = ui::CreatePanel(form);
  ui::SizeTo(b, 160, 0);
  ui::DockTo(b, Dock::Left);
  ui::Control& fill = ui::CreateScrollArea(form, ui::Edge::Sunken);
  ui::DockTo(fill, Dock::Fill);
  EXPECT_EQ(ui::Bounds(a), (Rect{2, 2, 147, 98}));
  EXPECT_EQ(ui::Bounds(b), (Rect{149, 2, 309, 98}));
  EXPECT_EQ(ui::Bounds(fill), (Rect{311, 2, 311, 98}));
  ExpectOnScreen(fill);
  ui::SetClientSize(form, 400, 100);
  EXPECT_EQ(ui::Bounds(fill), (Rect{311, 2, 398, 98}));
  EXPECT_EQ(ui::Bounds(b), (Rect{149, 2, 309, 98}));
}

// The main window's arrangement: two fixed columns and a stretching preview.
struct Columns {
  ui::Control* defPanel;
  ui::Control* pathPanel;
  ui::Control* defList;
  ui::Control* spritePanel;
  ui::Control* saveGroup;
  ui::Control* spriteGroup;
  ui::Control* frameList;
  ui::Control* previewBox;
};

Columns BuildColumns(ui::Control& form) {
  Columns c;
  c.defPanel = &ui::CreatePanel(form);
  ui::DockTo(*c.defPanel, Dock::Left);
  ui::SizeTo(*c.defPanel, 145, 0);
  ui::SetGap(*c.defPanel, 0);
  c.pathPanel = &ui::CreatePanel(*c.defPanel);
  ui::DockTo(*c.pathPanel, Dock::Top);
  ui::SizeTo(*c.pathPanel, 0, 41);
  c.defList = &ui::CreateListBox(*c.defPanel);
  ui::DockTo(*c.defList, Dock::Fill);
  c.spritePanel = &ui::CreatePanel(form);
  ui::DockTo(*c.spritePanel, Dock::Left);
  ui::SizeTo(*c.spritePanel, 160, 0);
  ui::SetGap(*c.spritePanel, 0);
  c.saveGroup = &ui::CreateGroupBox(*c.spritePanel, " Save ");
  ui::DockTo(*c.saveGroup, Dock::Bottom);
  ui::SizeTo(*c.saveGroup, 0, 89);
  ui::SetGap(*c.saveGroup, 2);
  c.spriteGroup = &ui::CreateGroupBox(*c.spritePanel, " Sprites ");
  ui::DockTo(*c.spriteGroup, Dock::Fill);
  ui::SetGap(*c.spriteGroup, 2);
  ui::SetMargin(*c.spriteGroup, ui::Side::Top, 16);
  c.frameList = &ui::CreateListBox(*c.spriteGroup, {.multipleSelection = true});
  ui::DockTo(*c.frameList, Dock::Fill);
  c.previewBox = &ui::CreateScrollArea(form, ui::Edge::Sunken);
  ui::DockTo(*c.previewBox, Dock::Fill);
  return c;
}

TEST_F(Docking, MainWindowColumnsDivideTheClientArea) {
  const int W = 513, H = 393;
  ui::Control& form = MakeForm(W, H);
  const Columns c = BuildColumns(form);
  EXPECT_EQ(ui::Bounds(*c.defPanel), (Rect{2, 2, 147, H - 2}));
  EXPECT_EQ(ui::Bounds(*c.pathPanel), (Rect{0, 0, 145, 41}));
  EXPECT_EQ(ui::Bounds(*c.defList), (Rect{0, 41, 145, H - 4}));
  EXPECT_EQ(ui::Bounds(*c.spritePanel), (Rect{149, 2, 309, H - 2}));
  EXPECT_EQ(ui::Bounds(*c.saveGroup), (Rect{0, H - 4 - 89, 160, H - 4}));
  EXPECT_EQ(ui::Bounds(*c.spriteGroup), (Rect{0, 0, 160, H - 4 - 89}));
  EXPECT_EQ(ui::Bounds(*c.frameList), (Rect{4, 18, 156, H - 4 - 89 - 4}));
  EXPECT_EQ(ui::Bounds(*c.previewBox), (Rect{311, 2, W - 2, H - 2}));
  for (ui::Control* control : {c.defPanel, c.pathPanel, c.defList, c.spritePanel, c.saveGroup,
                               c.spriteGroup, c.frameList, c.previewBox}) {
    ExpectOnScreen(*control);
  }
}

TEST_F(Docking, ResizingTheWindowReLaysNestedContainers) {
  ui::Control& form = MakeForm(513, 393);
  const Columns c = BuildColumns(form);
  ui::SetClientSize(form, 700, 500);
  EXPECT_EQ(ui::Bounds(*c.spritePanel), (Rect{149, 2, 309, 498}));
  EXPECT_EQ(ui::Bounds(*c.saveGroup), (Rect{0, 496 - 89, 160, 496}));
  EXPECT_EQ(ui::Bounds(*c.frameList), (Rect{4, 18, 156, 496 - 89 - 4}));
  EXPECT_EQ(ui::Bounds(*c.defList), (Rect{0, 41, 145, 496}));
  EXPECT_EQ(ui::Bounds(*c.previewBox), (Rect{311, 2, 698, 498}));
  ExpectOnScreen(*c.frameList);
  ExpectOnScreen(*c.defList);
}

TEST_F(Docking, AChildsNewSizeOrSideReLaysItsSiblings) {
  ui::Control& form = MakeForm(300, 100);
  ui::Control& left = ui::CreatePanel(form);
  ui::SizeTo(left, 50, 0);
  ui::DockTo(left, Dock::Left);
  ui::Control& fill = ui::CreatePanel(form);
  ui::DockTo(fill, Dock::Fill);
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
  ui::Control& form = MakeForm(300, 200);
  ui::Control& panel = ui::CreatePanel(form, ui::Edge::Raised);
  ui::SizeTo(panel, 100, 50);
  EXPECT_EQ(ui::ClientWidth(panel), 96);
  EXPECT_EQ(ui::ClientHeight(panel), 46);
  ui::Control& inner = ui::CreatePanel(panel);
  ui::DockTo(inner, Dock::Fill);
  EXPECT_EQ(ui::Bounds(inner), (Rect{2, 2, 94, 44}));
  ExpectOnScreen(inner);
}

TEST_F(Docking, OuterWindowSizesIncludeTheFrameAndTheMenuBar) {
  ui::Control& form = ui::CreateForm(*app, "Outer");
  ui::SizeTo(form, 521, 439);
  EXPECT_EQ(ui::ClientWidth(form), 513);
  EXPECT_EQ(ui::ClientHeight(form), 412);
  ui::CreateMenuBar(form, {"File", "(", "Exit", ")", ""});
  const int menuHeight = 412 - ui::ClientHeight(form);
  EXPECT_GT(menuHeight, 0);
  EXPECT_EQ(ui::Bounds(form).Width(), 521);
  EXPECT_EQ(ui::Bounds(form).Height(), 439);
  // SetClientSize works the other way round.
  ui::SetClientSize(form, 300, 200);
  EXPECT_EQ(ui::Bounds(form).Width(), 308);
  EXPECT_EQ(ui::Bounds(form).Height(), 227 + menuHeight);
  ui::Control& fill = ui::CreatePanel(form);
  ui::DockTo(fill, Dock::Fill);
  dt::ShowWindows(*app);
  EXPECT_EQ(dt::WidgetGeometry(fill), (Rect{2, 2, 298, 198}));
  const ui::Rect onScreen = dt::ScreenBounds(fill);
  const ui::Rect window = dt::ScreenBounds(form);
  EXPECT_EQ(onScreen.top - window.top, menuHeight + 2);
}

TEST_F(Docking, ScrollingContainerShowsBarsOnlyWhileChildrenExtendBeyondIt) {
  ui::Control& form = MakeForm(200, 150);
  ui::Control& box = ui::CreateScrollArea(form, ui::Edge::Sunken);
  ui::DockTo(box, Dock::Fill);
  ui::Control& area = ui::CreatePaintArea(box);
  ui::PlaceAt(area, 0, 0);
  ui::SizeTo(area, 65, 65);
  dt::ShowWindows(*app);
  EXPECT_FALSE(dt::HorizontalScrollBar(box).visible);
  EXPECT_FALSE(dt::VerticalScrollBar(box).visible);

  ui::SizeTo(area, 500, 0);
  dt::ProcessEvents();
  const dt::ScrollBarLook bar = dt::HorizontalScrollBar(box);
  EXPECT_TRUE(bar.visible);
  EXPECT_FALSE(dt::VerticalScrollBar(box).visible);
  // Visible width: 196 less the two edges; the range covers the rest.
  EXPECT_EQ(bar.page, 192);
  EXPECT_EQ(bar.maximum, 500 - 192);

  ui::SetControlWidth(area, 0);
  dt::ProcessEvents();
  EXPECT_FALSE(dt::HorizontalScrollBar(box).visible);
}

}  // namespace
