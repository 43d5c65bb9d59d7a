// Modal runs: a nested loop that keeps every other window of the application
// from taking input until the form's modal result is set.
#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

#include "ui/control_impl.h"

namespace dw::ui {

bool IsBlockedByModalRun(const Control& form) {
  return form.impl != nullptr && form.impl->modalBlocks > 0;
}

int RunModal(Control& form) {
  Control::Impl& impl = ImplOf(form);
  form.modalResult = 0;
  Control* application = ApplicationOf(form);
  Control* remembered = ControlOfWidget(QApplication::activeWindow());
  QPointer<QWidget> rememberedWidget = remembered != nullptr ? remembered->widget : nullptr;

  std::vector<Control*> blocked;
  if (application != nullptr) {
    for (auto& other : application->children) {
      if (other.get() == &form || other->kind != ControlKind::Form) continue;
      ImplOf(*other).modalBlocks++;
      blocked.push_back(other.get());
    }
  }
  const bool wasInRun = impl.inModalRun;
  impl.inModalRun = true;
  Realise(form);
  SetVisible(form, true);

  QEventLoop loop;
  QEventLoop* outer = impl.modalLoop;
  impl.modalLoop = &loop;
  while (form.modalResult == 0 && !(application != nullptr && IsEnding(*application))) {
    // -1: the loop cannot run at all (the whole program is quitting).
    if (loop.exec() == -1) break;
  }
  impl.modalLoop = outer;
  impl.inModalRun = wasInRun;

  for (Control* other : blocked) ImplOf(*other).modalBlocks--;
  if (rememberedWidget != nullptr && remembered != &form) rememberedWidget->activateWindow();
  return form.modalResult;
}

void SetModalResult(Control& form, int value) {
  form.modalResult = value;
  if (value != 0 && form.impl && form.impl->modalLoop != nullptr) form.impl->modalLoop->quit();
}

}  // namespace dw::ui
