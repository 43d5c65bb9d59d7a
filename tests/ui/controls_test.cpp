// Child controls: what they take from their parent, their texts, fonts and
// colours, and their click behaviour.
#include <tuple>

#include "tests/ui/layer_fixture.h"

namespace {

class Controls : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    form = &MakeForm();
  }
  ui::Control* form = nullptr;
};

TEST_F(Controls, AChildCopiesItsParentsFontBackgroundAndGapWhenCreated) {
  ui::SetFontHeight(*form, -11);
  ui::SetGap(*form, 5);
  ui::Control& panel = ui::CreatePanel(*form);
  EXPECT_EQ(std::tie(panel.font.height, panel.font.face, panel.gap, panel.background, panel.parent),
            std::tuple(-11, std::string("MS Sans Serif"), 5, ui::SystemFaceColour(), form));
  // Later changes of the parent are not passed on.
  ui::SetFontHeight(*form, -20);
  EXPECT_EQ(panel.font.height, -11);
  EXPECT_EQ(ui::CreateListBox(*form).background, ui::SystemWindowColour());
  EXPECT_EQ(ui::CreateEditBox(*form).background, ui::SystemWindowColour());
  ASSERT_EQ(form->children.size(), 3u);
  EXPECT_EQ(form->children[1]->kind, ui::ControlKind::ListBox);
}

TEST_F(Controls, LabelsShowTheirTextColourAndFontOnOneLineUntilAligned) {
  ui::Control& label = ui::CreateLabel(*form, "Fish & Chips");
  dt::TextLook look = dt::TextLookOf(label);
  EXPECT_EQ(std::tie(look.text, look.colour, look.wraps, look.align, look.verticalAlign),
            std::tuple(std::string("Fish & Chips"), ui::SystemWindowTextColour(), false,
                       ui::Align::Left, ui::VerticalAlign::Top));
  ui::SetTextAlign(label, ui::Align::Centre);
  ui::SetVerticalAlign(label, ui::VerticalAlign::Centre);
  ui::SetFontColour(label, {0, 0, 128});
  look = dt::TextLookOf(label);
  EXPECT_EQ(std::tie(look.colour, look.wraps, look.align, look.verticalAlign),
            std::tuple(ui::Colour{0, 0, 128}, true, ui::Align::Centre, ui::VerticalAlign::Centre));
  ui::SetVerticalAlign(label, ui::VerticalAlign::Bottom);
  EXPECT_EQ(dt::TextLookOf(label).verticalAlign, ui::VerticalAlign::Top);
  ui::SetText(label, "other");
  EXPECT_EQ(dt::TextLookOf(label).text, "other");
  EXPECT_EQ(ui::Text(label), "other");
  EXPECT_EQ(dt::TextLookOf(ui::CreateGroupBox(*form, " Сохранить ... ")).text, " Сохранить ... ");
  // Negative font heights are character heights, positive ones cell heights.
  ui::Control& small = ui::CreateLabel(*form, "small");
  ui::SetFontHeight(small, -11);
  EXPECT_EQ(dt::TextLookOf(small).pixelSize, 11);
  ui::Control& title = ui::CreateLabel(*form, "title");
  ui::SetFontHeight(title, 16);
  ui::SetFontBold(title, true);
  look = dt::TextLookOf(title);
  EXPECT_TRUE(look.bold && look.lineHeight <= 16 && look.lineHeight >= 12 && look.pixelSize < 16)
      << look.lineHeight << " " << look.pixelSize;
}

TEST_F(Controls, ClicksRunTheBoundHandlerWithTheControlAsSenderUnlessDisabled) {
  ui::Control& button = ui::CreateButton(*form, "Go");
  ui::Control& label = ui::CreateLabel(*form, "click me");
  ui::Control& disabled = ui::CreateButton(*form, "Off");
  ui::Control& box = ui::CreateCheckBox(*form, "Separator");
  ui::PerformClick(button);  // unbound slots do nothing
  ui::PerformClick(box);
  EXPECT_TRUE(ui::IsChecked(box));
  std::vector<ui::Control*> senders;
  for (ui::Control* control : {&button, &label, &disabled}) {
    ui::BindClick(*control, [&](ui::Control& sender) { senders.push_back(&sender); });
  }
  std::vector<bool> seen;  // the box's mark as its handler sees it
  ui::BindClick(box, [&](ui::Control& sender) { seen.push_back(ui::IsChecked(sender)); });
  ui::SetEnabled(disabled, false);
  ui::SetChecked(box, false);
  ui::PerformClick(button);  // runs before returning
  ui::PerformClick(box);
  EXPECT_EQ(std::tuple(senders, seen), std::tuple(std::vector<ui::Control*>{&button}, std::vector<bool>{true}));
  dt::ShowWindows(*app);
  dt::ClickControl(button);
  dt::ClickControl(label);
  ui::PerformClick(disabled);
  dt::ClickControl(disabled);
  dt::ClickControl(box);
  EXPECT_EQ(std::tuple(senders, seen),
            std::tuple(std::vector<ui::Control*>{&button, &button, &label}, std::vector<bool>{true, false}));
}

TEST_F(Controls, EditBoxesHoldTheirTextAndCanBeReadOnly) {
  ui::Control& edit = ui::CreateEditBox(*form, {.readOnly = true});
  ui::SetText(edit, "<не указан>");
  EXPECT_EQ(ui::Text(edit), "<не указан>");
  dt::ShowWindows(*app);
  dt::SendKey(edit, ui::kKeyEnd);
  dt::SendKey(edit, 'Q');
  EXPECT_EQ(ui::Text(edit), "<не указан>");
  ui::Control& writable = ui::CreateEditBox(*form);
  dt::SendKey(writable, 'Q');
  EXPECT_EQ(ui::Text(writable), "q");
}

TEST_F(Controls, RaiseToTopShowsAControlWithoutMovingIt) {
  ui::Control& label = ui::CreateLabel(*form, "raised");
  ui::PlaceAt(label, 30, 40);
  ui::SetVisible(label, false);
  ui::RaiseToTop(label);
  EXPECT_TRUE(ui::IsVisible(label));
  EXPECT_EQ(ui::Bounds(label), (ui::Rect{30, 40, 94, 62}));
  dt::ShowWindows(*app);
  EXPECT_TRUE(dt::IsShownOnScreen(label));
}

}  // namespace
