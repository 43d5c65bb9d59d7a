// The docking rule: how a container places its docked children. Plain
// arithmetic over records, so that it can be checked without widgets.
//
// Three passes over the visible children in creation order (top and bottom,
// then left and right, then fill), each child kept `gap` pixels from the edges
// of what is left of the client area (less the margins); a size that would
// come out negative becomes 0.
#pragma once

#include <vector>

#include "ui/window_layer.h"

namespace dw::ui {

struct DockFrame {
  int clientWidth = 0, clientHeight = 0;
  int marginTop = 0, marginBottom = 0, marginLeft = 0, marginRight = 0;
  int gap = 2;
};

struct DockChild {
  Dock dock = Dock::None;
  bool visible = true;
  Rect bounds;
};

// The bounds every child gets; children that are not docked, or not visible,
// keep theirs.
std::vector<Rect> DockRects(const DockFrame& frame, const std::vector<DockChild>& children);

// Lays out the docked children of container (by the record's client size);
// each child whose size changes lays out its own children in turn.
void LayOut(Control& container);

}  // namespace dw::ui
