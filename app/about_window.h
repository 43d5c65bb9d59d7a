// The About window: the product caption, a release date and the maker's
// contact data, shown modally from the main window's menu and hidden again.
// It cannot be closed from its caption; only its button ends the run.
#pragma once

#include "ui/window_layer.h"

namespace dw {

struct AboutWindow {
  ui::Control* form = nullptr;
  ui::Control* dateLabel = nullptr;
  ui::Control* authorCaption = nullptr;
  ui::Control* dateCaption = nullptr;
  ui::Control* mailCaption = nullptr;
  ui::Control* webCaption = nullptr;
  ui::Control* titleLabel = nullptr;
  ui::Control* authorLabel = nullptr;
  ui::Control* mailLabel = nullptr;
  ui::Control* webLabel = nullptr;
  ui::Control* closeButton = nullptr;
};

inline constexpr ui::Colour kDarkBlue{0, 0, 128};

// Builds the hidden window under application; its form owns the record.
AboutWindow& CreateAboutWindow(ui::Control& application);

// The program's About window; null while none exists.
extern AboutWindow* aboutWindow;

// Click handler of closeButton: ends the modal run with the result 1.
void CloseAbout(AboutWindow& window, ui::Control& sender);

}  // namespace dw
