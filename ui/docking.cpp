#include "ui/docking.h"

#include "ui/control_impl.h"

namespace dw::ui {

namespace {

void Place(Rect& area, int gap, Dock dock, Rect& bounds) {
  const int width = bounds.Width();
  const int height = bounds.Height();
  switch (dock) {
    case Dock::Top:
      bounds = {area.left + gap, area.top + gap, area.right - gap, area.top + gap + height};
      area.top += gap + height;
      break;
    case Dock::Bottom:
      bounds = {area.left + gap, area.bottom - gap - height, area.right - gap, area.bottom - gap};
      area.bottom -= gap + height;
      break;
    case Dock::Left:
      bounds = {area.left + gap, area.top + gap, area.left + gap + width, area.bottom - gap};
      area.left += gap + width;
      break;
    case Dock::Right:
      bounds = {area.right - gap - width, area.top + gap, area.right - gap, area.bottom - gap};
      area.right -= gap + width;
      break;
    case Dock::Fill:
      bounds = {area.left + gap, area.top + gap, area.right - gap, area.bottom - gap};
      break;
    case Dock::None:
      return;
  }
  if (bounds.right < bounds.left) bounds.right = bounds.left;
  if (bounds.bottom < bounds.top) bounds.bottom = bounds.top;
}

bool InPass(Dock dock, int pass) {
  switch (pass) {
    case 0:
      return dock == Dock::Top || dock == Dock::Bottom;
    case 1:
      return dock == Dock::Left || dock == Dock::Right;
    default:
      return dock == Dock::Fill;
  }
}

}  // namespace

std::vector<Rect> DockRects(const DockFrame& frame, const std::vector<DockChild>& children) {
  std::vector<Rect> result;
  result.reserve(children.size());
  for (const DockChild& child : children) result.push_back(child.bounds);

  Rect area{frame.marginLeft, frame.marginTop, frame.clientWidth - frame.marginRight,
            frame.clientHeight - frame.marginBottom};
  for (int pass = 0; pass < 3; ++pass) {
    for (size_t i = 0; i < children.size(); ++i) {
      if (!children[i].visible || !InPass(children[i].dock, pass)) continue;
      Place(area, frame.gap, children[i].dock, result[i]);
    }
  }
  return result;
}

void LayOut(Control& container) {
  if (container.children.empty()) return;
  DockFrame frame;
  frame.clientWidth = ClientWidth(container);
  frame.clientHeight = ClientHeight(container);
  frame.marginTop = container.marginTop;
  frame.marginBottom = container.marginBottom;
  frame.marginLeft = container.marginLeft;
  frame.marginRight = container.marginRight;
  frame.gap = container.gap;

  std::vector<DockChild> children;
  children.reserve(container.children.size());
  bool anyDocked = false;
  for (const auto& child : container.children) {
    children.push_back({child->dock, child->visible, child->bounds});
    anyDocked = anyDocked || (child->dock != Dock::None && child->visible);
  }
  if (!anyDocked) return;

  const std::vector<Rect> placed = DockRects(frame, children);
  for (size_t i = 0; i < placed.size(); ++i) {
    Control& child = *container.children[i];
    if (child.bounds == placed[i]) continue;
    const Rect old = child.bounds;
    child.bounds = placed[i];
    BoundsChangedByLayout(child, old);
  }
}

}  // namespace dw::ui
