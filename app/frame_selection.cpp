#include "app/frame_selection.h"

namespace dw {

std::vector<int32_t> SelectedItems(const ui::Control& list) {
  std::vector<int32_t> selected;
  const int count = ui::ItemCount(list);
  for (int i = 0; i < count; ++i) {
    if (ui::IsItemSelected(list, i)) selected.push_back(i);
  }
  return selected;
}

}  // namespace dw
