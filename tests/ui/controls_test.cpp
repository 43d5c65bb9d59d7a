// Child controls: what they take from their parent, their texts, fonts and
// colours, and their click behaviour.
#include "tests/ui/layer_fixture.h"

namespace {

using Controls = LayerTest;

TEST_F(Controls, AChildCopiesItsParentsFontBackgroundAndGapWhenCreated) {
  ui::Control& form = MakeForm();
  ui::SetFontHeight(form, -11);
  ui::SetGap(form, 5);
  ui::Control& panel = ui::CreatePanel(form);
  EXPECT_EQ(panel.font.height, -11);
  EXPECT_EQ(panel.font.face, "MS Sans Serif");
  EXPECT_EQ(panel.gap, 5);
  EXPECT_EQ(panel.background, ui::SystemFaceColour());
  EXPECT_EQ(panel.parent, &form);
  ASSERT_EQ(form.children.size(), 1u);
  // Later changes of the parent are not passed on.
  ui::SetFontHeight(form, -20);
  EXPECT_EQ(panel.font.height, -11);
  EXPECT_EQ(ui::CreateListBox(form).background, ui::SystemWindowColour());
  EXPECT_EQ(ui::CreateEditBox(form).background, ui::SystemWindowColour());
  EXPECT_EQ(form.children.size(), 3u);
  EXPECT_EQ(form.children[1]->kind, ui::ControlKind::ListBox);
}

TEST_F(Controls, NegativeFontHeightsAreCharacterHeightsPositiveOnesCellHeights) {
  ui::Control& form = MakeForm();
  ui::Control& small = ui::CreateLabel(form, "small");
  ui::SetFontHeight(small, -11);
  EXPECT_EQ(dt::TextLookOf(small).pixelSize, 11);
  ui::Control& title = ui::CreateLabel(form, "title");
  ui::SetFontHeight(title, 16);
  ui::SetFontBold(title, true);
  const dt::TextLook look = dt::TextLookOf(title);
  EXPECT_TRUE(look.bold);
  EXPECT_LE(look.lineHeight, 16);
  EXPECT_GE(look.lineHeight, 12);
  EXPECT_LT(look.pixelSize, 16);
}

TEST_F(Controls, LabelFontColoursShow) {
  ui::Control& form = MakeForm();
  ui::Control& label = ui::CreateLabel(form, "blue");
  EXPECT_EQ(dt::TextLookOf(label).colour, ui::SystemWindowTextColour());
  ui::SetFontColour(label, {0, 0, 128});
  EXPECT_EQ(dt::TextLookOf(label).colour, (ui::Colour{0, 0, 128}));
}

TEST_F(Controls, LabelsShowOneLineUntilAligned) {
  ui::Control& form = MakeForm();
  ui::Control& label = ui::CreateLabel(form, "Fish & Chips");
  dt::TextLook look = dt::TextLookOf(label);
  EXPECT_EQ(look.text, "Fish & Chips");
  EXPECT_FALSE(look.wraps);
  EXPECT_EQ(look.align, ui::Align::Left);
  EXPECT_EQ(look.verticalAlign, ui::VerticalAlign::Top);
  ui::SetTextAlign(label, ui::Align::Centre);
  ui::SetVerticalAlign(label, ui::VerticalAlign::Centre);
  look = dt::TextLookOf(label);
  EXPECT_TRUE(look.wraps);
  EXPECT_EQ(look.align, ui::Align::Centre);
  EXPECT_EQ(look.verticalAlign, ui::VerticalAlign::Centre);
  ui::SetVerticalAlign(label, ui::VerticalAlign::Bottom);
  EXPECT_EQ(dt::TextLookOf(label).verticalAlign, ui::VerticalAlign::Top);
  ui::SetText(label, "other");
  EXPECT_EQ(dt::TextLookOf(label).text, "other");
  EXPECT_EQ(ui::Text(label), "other");
}

TEST_F(Controls, PerformClickRunsTheButtonsHandlerBeforeReturning) {
  ui::Control& form = MakeForm();
  ui::Control& button = ui::CreateButton(form, "Go");
  std::vector<ui::Control*> senders;
  ui::BindClick(button, [&](ui::Control& sender) { senders.push_back(&sender); });
  ui::PerformClick(button);
  EXPECT_EQ(senders, std::vector<ui::Control*>{&button});
  dt::ShowWindows(*app);
  dt::ClickControl(button);
  EXPECT_EQ(senders.size(), 2u);
}

TEST_F(Controls, ACheckBoxClickTogglesThenFires) {
  ui::Control& form = MakeForm();
  ui::Control& box = ui::CreateCheckBox(form, "Separator");
  std::vector<bool> seen;
  ui::BindClick(box, [&](ui::Control& sender) { seen.push_back(ui::IsChecked(sender)); });
  ui::SetChecked(box, true);
  EXPECT_TRUE(ui::IsChecked(box));
  EXPECT_TRUE(seen.empty());  // the program's change fires nothing
  ui::PerformClick(box);
  dt::ShowWindows(*app);
  dt::ClickControl(box);
  EXPECT_EQ(seen, (std::vector<bool>{false, true}));
}

TEST_F(Controls, UnboundSlotsDoNothing) {
  ui::Control& form = MakeForm();
  ui::Control& button = ui::CreateButton(form, "Go");
  ui::Control& box = ui::CreateCheckBox(form, "x");
  ui::Control& label = ui::CreateLabel(form, "x");
  dt::ShowWindows(*app);
  ui::PerformClick(button);
  ui::PerformClick(box);
  dt::ClickControl(label);
  EXPECT_TRUE(ui::IsChecked(box));
}

TEST_F(Controls, LabelsReportClicks) {
  ui::Control& form = MakeForm();
  ui::Control& label = ui::CreateLabel(form, "click me");
  int clicks = 0;
  ui::BindClick(label, [&](ui::Control&) { ++clicks; });
  dt::ShowWindows(*app);
  dt::ClickControl(label);
  EXPECT_EQ(clicks, 1);
}

TEST_F(Controls, EditBoxesHoldTheirTextAndCanBeReadOnly) {
  ui::Control& form = MakeForm();
  ui::Control& edit = ui::CreateEditBox(form, {.readOnly = true});
  ui::SetText(edit, "<не указан>");
  EXPECT_EQ(ui::Text(edit), "<не указан>");
  dt::ShowWindows(*app);
  dt::SendKey(edit, ui::kKeyEnd);
  dt::SendKey(edit, 'Q');
  EXPECT_EQ(ui::Text(edit), "<не указан>");
  ui::Control& writable = ui::CreateEditBox(form);
  dt::SendKey(writable, 'Q');
  EXPECT_EQ(ui::Text(writable), "q");
}

TEST_F(Controls, GroupBoxesShowTheirCaption) {
  ui::Control& form = MakeForm();
  ui::Control& group = ui::CreateGroupBox(form, " Сохранить ... ");
  EXPECT_EQ(dt::TextLookOf(group).text, " Сохранить ... ");
}

TEST_F(Controls, DisabledControlsTakeNoClicks) {
  ui::Control& form = MakeForm();
  ui::Control& button = ui::CreateButton(form, "Go");
  int clicks = 0;
  ui::BindClick(button, [&](ui::Control&) { ++clicks; });
  ui::SetEnabled(button, false);
  dt::ShowWindows(*app);
  ui::PerformClick(button);
  dt::ClickControl(button);
  EXPECT_EQ(clicks, 0);
}

TEST_F(Controls, RaiseToTopShowsAControlWithoutMovingIt) {
  ui::Control& form = MakeForm();
  ui::Control& label = ui::CreateLabel(form, "raised");
  ui::PlaceAt(label, 30, 40);
  ui::SetVisible(label, false);
  ui::RaiseToTop(label);
  EXPECT_TRUE(ui::IsVisible(label));
  EXPECT_EQ(ui::Bounds(label), (ui::Rect{30, 40, 94, 62}));
  dt::ShowWindows(*app);
  EXPECT_TRUE(dt::IsShownOnScreen(label));
}

}  // namespace
