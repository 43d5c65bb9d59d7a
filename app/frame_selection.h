// The frames a command works on: the selected items of the frame list, in
// list order (not in the order the user selected them).
#pragma once

#include <cstdint>
#include <vector>

#include "ui/window_layer.h"

namespace dw {

std::vector<int32_t> SelectedItems(const ui::Control& list);

}  // namespace dw
