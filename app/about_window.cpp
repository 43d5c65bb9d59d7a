#include "app/about_window.h"

#include <memory>
#include <string>

#include "app/wait_window.h"

namespace dw {

AboutWindow* aboutWindow = nullptr;

namespace {

// Labels are raised as they are made so that their platform windows exist at once.
ui::Control& AddLabel(ui::Control& form, const std::string& text, int x, int y, int width,
                      int height, bool darkBlue) {
  ui::Control& label = ui::CreateLabel(form, text);
  ui::RaiseToTop(label);
  ui::PlaceAt(label, x, y);
  ui::SizeTo(label, width, height);
  if (darkBlue) ui::SetFontColour(label, kDarkBlue);
  return label;
}

}  // namespace

AboutWindow& CreateAboutWindow(ui::Control& application) {
  auto* window = new AboutWindow;
  window->form = &ui::CreateForm(application, "О Программе...");
  ui::Control& form = *window->form;
  ui::SizeTo(form, 305, 186);
  ui::FreeWithForm(form, std::shared_ptr<AboutWindow>(window, [](AboutWindow* freed) {
                     if (aboutWindow == freed) aboutWindow = nullptr;
                     delete freed;
                   }));
  ui::SetVisible(form, false);
  ui::SetStyle(form, ui::StyleOf(form) & ~(ui::kStyleMinimizeBox | ui::kStyleMaximizeBox));
  ui::SetFontHeight(form, -11);
  ui::SetGap(form, 0);
  ui::PlatformHandle(form);
  ui::RemoveCloseCommand(form);
  ui::BindCloseRequest(form, RefuseClose);

  window->dateLabel = &AddLabel(form, "10 января 2002г.", 52, 32, 177, 22, true);
  window->authorCaption = &AddLabel(form, "Автор:", 2, 56, 49, 22, false);
  window->dateCaption = &AddLabel(form, "Дата:", 2, 32, 49, 22, false);
  window->mailCaption = &AddLabel(form, "E-mail:", 2, 80, 49, 22, false);
  window->webCaption = &AddLabel(form, "Web:", 2, 104, 49, 22, false);
  window->titleLabel = &AddLabel(form, "Duskweave (DEF) v1.21", 0, 0, 297, 30, true);
  ui::SetFontBold(*window->titleLabel, true);
  ui::SetFontHeight(*window->titleLabel, 16);
  ui::SetTextAlign(*window->titleLabel, ui::Align::Centre);
  ui::SetVerticalAlign(*window->titleLabel, ui::VerticalAlign::Centre);
  window->authorLabel = &AddLabel(form, "Duskweave developers", 52, 56, 177, 22, true);
  window->mailLabel = &AddLabel(form, "duskweave@example.org", 52, 80, 177, 22, true);
  window->webLabel = &AddLabel(form, "https://example.org/duskweave", 52, 104, 177, 22, true);

  window->closeButton = &ui::CreateButton(form, "Закрыть");
  ui::Control& button = *window->closeButton;
  ui::RaiseToTop(button);
  ui::PlaceAt(button, 112, 128);
  ui::SizeTo(button, 64, 22);
  ui::BindClick(button, ui::MakeSlot(&CloseAbout, *window));

  ui::CentreOnScreen(form);
  ui::FixSize(form);
  return *window;
}

void CloseAbout(AboutWindow& window, ui::Control& /*sender*/) {
  ui::SetModalResult(*window.form, 1);
}

}  // namespace dw
