// List boxes: what the program's changes do (and that they never fire the
// selection slot), and what the user's clicks and keys do.
#include <tuple>

#include "tests/ui/layer_fixture.h"

namespace {

using Ints = std::vector<int>;
// Selected items, current item, selection-change slot calls so far.
using State = std::tuple<Ints, int, int>;

class Lists : public LayerTest {
 protected:
  ui::Control& MakeList(bool multiple, int items) {
    ui::Control& list = ui::CreateListBox(MakeForm(300, 300), {.multipleSelection = multiple});
    ui::DockTo(list, ui::Dock::Fill);
    ui::BindSelectionChange(list, [this](ui::Control&) { ++changes; });
    ui::BindClick(list, [this](ui::Control&) { ++clicks; });
    for (int i = 0; i < items; ++i) ui::AddItem(list, "item " + std::to_string(i));
    dt::ShowWindows(*app);
    return list;
  }
  State StateOf(const ui::Control& list) {
    Ints selected;
    for (int i = 0; i < ui::ItemCount(list); ++i) {
      if (ui::IsItemSelected(list, i)) selected.push_back(i);
    }
    return {selected, ui::CurrentIndex(list), changes};
  }
  int changes = 0;
  int clicks = 0;
};

// The program's own changes: AddItem selects the first item of a multiple-
// selection list, SetCurrentIndex does nothing there, and none of them moves
// the focus or fires the slot.
TEST_F(Lists, ProgramChangesOfAMultipleSelectionListNeitherMoveTheFocusNorFire) {
  ui::Control& list = MakeList(true, 0);
  EXPECT_EQ(StateOf(list), (State{{}, -1, 0}));
  EXPECT_EQ(ui::AddItem(list, "a"), 0);
  EXPECT_EQ(StateOf(list), (State{{0}, 0, 0}));
  EXPECT_EQ(ui::AddItem(list, "b"), 1);
  EXPECT_EQ(ui::AddItem(list, "c"), 2);
  EXPECT_EQ(ui::AddItem(list, "d"), 3);
  EXPECT_EQ((std::vector<std::string>{ui::ItemText(list, 2), ui::ItemText(list, 4), ui::ItemText(list, -1)}),
            (std::vector<std::string>{"c", "", ""}));
  ui::SetCurrentIndex(list, 2);
  EXPECT_EQ(StateOf(list), (State{{0}, 0, 0}));
  ui::SelectItem(list, 3, true);
  ui::SelectItem(list, 2, true);
  ui::SelectItem(list, 0, false);
  EXPECT_EQ(StateOf(list), (State{{2, 3}, 0, 0}));
  ui::ClearItems(list);
  EXPECT_EQ(StateOf(list), (State{{}, -1, 0}));
  ui::AddItem(list, "again");
  dt::ProcessEvents();
  EXPECT_EQ(StateOf(list), (State{{0}, 0, 0}));
  // A list without a widget holds nothing.
  ui::Control loose;
  loose.kind = ui::ControlKind::ListBox;
  EXPECT_EQ(std::tuple(ui::AddItem(loose, "x"), ui::ItemCount(loose), ui::CurrentIndex(loose)),
            std::tuple(-1, 0, -1));
}

TEST_F(Lists, EachUserClickThatChangesTheSelectionFiresOnce) {
  ui::Control& list = MakeList(true, 6);
  dt::ClickItem(list, 2);
  EXPECT_EQ(StateOf(list), (State{{2}, 2, 1}));
  dt::ClickItem(list, 4, /*ctrl=*/true);
  EXPECT_EQ(StateOf(list), (State{{2, 4}, 4, 2}));
  // Ctrl+click on a selected item deselects it and makes it current.
  dt::ClickItem(list, 2, /*ctrl=*/true);
  EXPECT_EQ(StateOf(list), (State{{4}, 2, 3}));
  dt::ClickItem(list, 5, /*ctrl=*/false, /*shift=*/true);
  EXPECT_EQ(StateOf(list), (State{{2, 3, 4, 5}, 5, 4}));
  dt::ClickControl(list);  // the middle of a tall list: no item there, nothing changes
  EXPECT_EQ(StateOf(list), (State{{2, 3, 4, 5}, 5, 4}));
  // A plain click on one of several selected items leaves it alone selected;
  // clicking it again changes nothing and fires nothing.
  dt::ClickItem(list, 3);
  EXPECT_EQ(StateOf(list), (State{{3}, 3, 5}));
  dt::ClickItem(list, 3);
  EXPECT_EQ(StateOf(list), (State{{3}, 3, 5}));
  EXPECT_EQ(clicks, 0);
}

TEST_F(Lists, ArrowKeysMoveTheSelectionAndFireOncePerKey) {
  ui::Control& list = MakeList(true, 4);
  dt::SendKey(list, ui::kKeyDown);
  EXPECT_EQ(StateOf(list), (State{{1}, 1, 1}));
  dt::SendKey(list, ui::kKeyDown, ui::kAccelShift);
  EXPECT_EQ(StateOf(list), (State{{1, 2}, 2, 2}));
  dt::SendKey(list, ui::kKeyUp);
  dt::SendKey(list, ui::kKeyUp);
  EXPECT_EQ(StateOf(list), (State{{0}, 0, 4}));
  dt::SendKey(list, ui::kKeyUp);  // at the top already: nothing changes
  EXPECT_EQ(StateOf(list), (State{{0}, 0, 4}));
  // List boxes have no select-all key.
  dt::SendKey(list, 'A', ui::kAccelControl);
  EXPECT_EQ(StateOf(list), (State{{0}, 0, 4}));
}

// Nothing is selected at first; the program's SetCurrentIndex selects without
// firing; Ctrl+click keeps the one item; a double click fires the click slot
// (its first click selected the item).
TEST_F(Lists, ASingleSelectionListHoldsOneItemAndADoubleClickFiresTheClickSlot) {
  ui::Control& list = MakeList(false, 3);
  EXPECT_EQ(StateOf(list), (State{{}, -1, 0}));
  ui::SetCurrentIndex(list, 2);
  EXPECT_EQ(StateOf(list), (State{{2}, 2, 0}));
  ui::SetCurrentIndex(list, -1);
  EXPECT_EQ(StateOf(list), (State{{}, -1, 0}));
  dt::ClickItem(list, 1);
  EXPECT_EQ(StateOf(list), (State{{1}, 1, 1}));
  dt::ClickItem(list, 1, /*ctrl=*/true);
  EXPECT_EQ(StateOf(list), (State{{1}, 1, 1}));
  dt::SendKey(list, ui::kKeyDown);
  EXPECT_EQ(StateOf(list), (State{{2}, 2, 2}));
  dt::DoubleClickItem(list, 0);
  EXPECT_EQ(std::pair(StateOf(list), clicks), std::pair(State{{0}, 0, 3}, 1));
  dt::DoubleClickItem(list, 0);
  EXPECT_EQ(std::pair(StateOf(list), clicks), std::pair(State{{0}, 0, 3}, 2));
}

}  // namespace
