#include "app/wait_window.h"

#include <memory>

namespace dw {

WaitWindow* waitWindow = nullptr;

WaitWindow& CreateWaitWindow(ui::Control& application) {
  auto* window = new WaitWindow;
  window->form = &ui::CreateForm(application, "Пожалуйста, подождите...");
  ui::Control& form = *window->form;
  ui::SizeTo(form, 321, 65);
  ui::FreeWithForm(form, std::shared_ptr<WaitWindow>(window, [](WaitWindow* freed) {
                     if (waitWindow == freed) waitWindow = nullptr;
                     delete freed;
                   }));
  ui::SetVisible(form, false);
  ui::SetStyle(form, ui::StyleOf(form) & ~(ui::kStyleMinimizeBox | ui::kStyleMaximizeBox));
  ui::SetFontHeight(form, -11);
  ui::SetGap(form, 0);
  ui::BindCloseRequest(form, RefuseClose);

  window->messageLabel = &ui::CreateLabel(form, "<none>");
  ui::Control& label = *window->messageLabel;
  ui::RaiseToTop(label);
  ui::PlaceAt(label, 0, 8);
  ui::SizeTo(label, 313, 0);
  ui::SetTextAlign(label, ui::Align::Centre);

  ui::CentreOnScreen(form);
  return *window;
}

void ShowWaitMessage(const std::string& text) {
  if (waitWindow == nullptr) return;
  ui::SetText(*waitWindow->messageLabel, text);
  ui::SetVisible(*waitWindow->form, true);
  ui::RepaintNow(*waitWindow->form);
}

void HideWait() {
  if (waitWindow == nullptr) return;
  ui::SetVisible(*waitWindow->form, false);
}

void RefuseClose(ui::Control& form, bool& accept) {
  accept = false;
  ui::SetModalResult(form, -1);
}

}  // namespace dw
