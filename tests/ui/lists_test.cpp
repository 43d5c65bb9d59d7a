// List boxes: what the program's changes do (and that they never fire the
// selection slot), and what the user's clicks and keys do.
#include "tests/ui/layer_fixture.h"

namespace {

class Lists : public LayerTest {
 protected:
  ui::Control& MakeList(bool multiple, int items) {
    ui::Control& form = MakeForm(300, 300);
    ui::Control& list = ui::CreateListBox(form, {.multipleSelection = multiple});
    ui::DockTo(list, ui::Dock::Fill);
    ui::BindSelectionChange(list, [this](ui::Control&) { ++changes; });
    ui::BindClick(list, [this](ui::Control&) { ++clicks; });
    for (int i = 0; i < items; ++i) ui::AddItem(list, "item " + std::to_string(i));
    dt::ShowWindows(*app);
    return list;
  }
  std::vector<int> Selected(const ui::Control& list) {
    std::vector<int> selected;
    for (int i = 0; i < ui::ItemCount(list); ++i) {
      if (ui::IsItemSelected(list, i)) selected.push_back(i);
    }
    return selected;
  }
  int changes = 0;
  int clicks = 0;
};

TEST_F(Lists, FirstItemOfAMultipleSelectionListIsSelectedAndCurrent) {
  ui::Control& list = MakeList(true, 0);
  EXPECT_EQ(ui::CurrentIndex(list), -1);
  EXPECT_EQ(ui::AddItem(list, "a"), 0);
  EXPECT_EQ(Selected(list), std::vector<int>{0});
  EXPECT_EQ(ui::AddItem(list, "b"), 1);
  EXPECT_EQ(ui::AddItem(list, "c"), 2);
  EXPECT_EQ(Selected(list), std::vector<int>{0});
  EXPECT_EQ(ui::SelectedCount(list), 1);
  EXPECT_EQ(ui::CurrentIndex(list), 0);
  EXPECT_EQ(ui::ItemText(list, 2), "c");
  EXPECT_EQ(ui::ItemText(list, 3), "");
  EXPECT_EQ(ui::ItemText(list, -1), "");
  EXPECT_EQ(changes, 0);
}

TEST_F(Lists, SingleSelectionListStartsWithNothingSelected) {
  ui::Control& list = MakeList(false, 3);
  EXPECT_EQ(ui::SelectedCount(list), 0);
  EXPECT_EQ(ui::CurrentIndex(list), -1);
  ui::SetCurrentIndex(list, 2);
  EXPECT_EQ(ui::CurrentIndex(list), 2);
  EXPECT_EQ(Selected(list), std::vector<int>{2});
  ui::SetCurrentIndex(list, 1);
  EXPECT_EQ(Selected(list), std::vector<int>{1});
  ui::SetCurrentIndex(list, -1);
  EXPECT_EQ(ui::CurrentIndex(list), -1);
  EXPECT_EQ(changes, 0);
}

TEST_F(Lists, SetCurrentIndexDoesNothingInAMultipleSelectionList) {
  ui::Control& list = MakeList(true, 3);
  ui::SetCurrentIndex(list, 2);
  EXPECT_EQ(ui::CurrentIndex(list), 0);
  EXPECT_EQ(Selected(list), std::vector<int>{0});
}

TEST_F(Lists, ProgramSelectionNeitherMovesTheFocusNorFiresTheSlot) {
  ui::Control& list = MakeList(true, 4);
  ui::SelectItem(list, 3, true);
  ui::SelectItem(list, 2, true);
  ui::SelectItem(list, 0, false);
  EXPECT_EQ(Selected(list), (std::vector<int>{2, 3}));
  EXPECT_EQ(ui::CurrentIndex(list), 0);
  ui::ClearItems(list);
  EXPECT_EQ(ui::ItemCount(list), 0);
  EXPECT_EQ(ui::CurrentIndex(list), -1);
  ui::AddItem(list, "again");
  EXPECT_EQ(Selected(list), std::vector<int>{0});
  dt::ProcessEvents();
  EXPECT_EQ(changes, 0);
}

TEST_F(Lists, EachUserClickThatChangesTheSelectionFiresOnce) {
  ui::Control& list = MakeList(true, 6);
  dt::ClickItem(list, 2);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Selected(list), std::vector<int>{2});
  EXPECT_EQ(ui::CurrentIndex(list), 2);

  dt::ClickItem(list, 4, /*ctrl=*/true);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(Selected(list), (std::vector<int>{2, 4}));
  EXPECT_EQ(ui::CurrentIndex(list), 4);

  // Ctrl+click on a selected item deselects it and makes it current.
  dt::ClickItem(list, 2, /*ctrl=*/true);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(Selected(list), std::vector<int>{4});
  EXPECT_EQ(ui::CurrentIndex(list), 2);

  dt::ClickItem(list, 5, /*ctrl=*/false, /*shift=*/true);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(Selected(list), (std::vector<int>{2, 3, 4, 5}));
  EXPECT_EQ(ui::CurrentIndex(list), 5);

  // A plain click on one of several selected items leaves it alone selected.
  dt::ClickItem(list, 3);
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(Selected(list), std::vector<int>{3});

  // Clicking it again changes nothing and fires nothing.
  dt::ClickItem(list, 3);
  EXPECT_EQ(changes, 5);
  EXPECT_EQ(clicks, 0);
}

TEST_F(Lists, ArrowKeysMoveTheSelectionAndFireOncePerKey) {
  ui::Control& list = MakeList(true, 4);
  dt::SendKey(list, ui::kKeyDown);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(ui::CurrentIndex(list), 1);
  EXPECT_EQ(Selected(list), std::vector<int>{1});
  dt::SendKey(list, ui::kKeyDown, ui::kAccelShift);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(Selected(list), (std::vector<int>{1, 2}));
  dt::SendKey(list, ui::kKeyUp);
  dt::SendKey(list, ui::kKeyUp);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(ui::CurrentIndex(list), 0);
  // At the top already: nothing changes.
  dt::SendKey(list, ui::kKeyUp);
  EXPECT_EQ(changes, 4);
}

TEST_F(Lists, SingleSelectionFollowsClicksAndKeepsItsItemUnderCtrl) {
  ui::Control& list = MakeList(false, 3);
  dt::ClickItem(list, 1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(ui::CurrentIndex(list), 1);
  dt::ClickItem(list, 1, /*ctrl=*/true);
  EXPECT_EQ(ui::CurrentIndex(list), 1);
  EXPECT_EQ(changes, 1);
  dt::SendKey(list, ui::kKeyDown);
  EXPECT_EQ(ui::CurrentIndex(list), 2);
  EXPECT_EQ(changes, 2);
}

TEST_F(Lists, DoubleClickOnAnItemFiresTheClickSlot) {
  ui::Control& list = MakeList(false, 3);
  dt::DoubleClickItem(list, 2);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(changes, 1);  // the first click of the two selected the item
  EXPECT_EQ(ui::CurrentIndex(list), 2);
  dt::DoubleClickItem(list, 2);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(changes, 1);
}

TEST_F(Lists, AClickBelowTheItemsKeepsTheSelection) {
  ui::Control& multiple = MakeList(true, 2);
  dt::ClickItem(multiple, 1, /*ctrl=*/true);
  ASSERT_EQ(Selected(multiple), (std::vector<int>{0, 1}));
  dt::ClickControl(multiple);  // the middle of a tall list: no item there
  EXPECT_EQ(Selected(multiple), (std::vector<int>{0, 1}));
  EXPECT_EQ(changes, 1);
}

TEST_F(Lists, ListBoxesHaveNoSelectAllKey) {
  ui::Control& list = MakeList(true, 3);
  dt::SendKey(list, 'A', ui::kAccelControl);
  EXPECT_EQ(ui::SelectedCount(list), 1);
  EXPECT_EQ(changes, 0);
}

TEST_F(Lists, AListWithoutWidgetsHasNoItems) {
  ui::Control loose;
  loose.kind = ui::ControlKind::ListBox;
  EXPECT_EQ(ui::AddItem(loose, "x"), -1);
  EXPECT_EQ(ui::ItemCount(loose), 0);
  EXPECT_EQ(ui::CurrentIndex(loose), -1);
}

}  // namespace
