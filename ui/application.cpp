// The application object: the one QApplication of the process, the record
// that owns every top-level window, and the message loop.
#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

#include "ui/control_impl.h"

namespace dw::ui {

namespace {

Control* currentApplication = nullptr;

// Several application objects may live one after another in a process (tests
// make many); they share one QApplication, made with the first.
void EnsureQApplication(const std::string& caption) {
  if (QCoreApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "duskweave";
    static char* argv[] = {name, nullptr};
    auto* application = new QApplication(argc, argv);
    // Qt's own texts (the file dialogs' buttons and columns) in the user's
    // language; without a translation for it they stay English.
    auto* translator = new QTranslator(application);
    if (translator->load(QLocale(), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QCoreApplication::installTranslator(translator);
    }
  }
  // Closing windows is the layer's business, not Qt's.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  // The name, not the display name: Qt would append a display name to every
  // window title.
  QGuiApplication::setApplicationName(QString::fromStdString(caption));
  InstallInputFilter();
}

}  // namespace

Control* CurrentApplication() {
  return currentApplication;
}

Control& CreateApplication(const std::string& caption) {
  EnsureQApplication(caption);
  auto* application = new Control;
  application->kind = ControlKind::Application;
  application->impl = std::make_unique<Control::Impl>();
  application->text = caption;
  application->style = kStyleCaption | kStyleSystemMenu | kStyleMinimizeBox;
  currentApplication = application;
  return *application;
}

bool IsEnding(const Control& application) {
  return application.impl != nullptr && application.impl->ending;
}

void EndApplication(Control& application, int exitCode) {
  Control::Impl& impl = ImplOf(application);
  if (!impl.ending) impl.exitCode = exitCode;
  impl.ending = true;
  for (auto& form : application.children) {
    if (form->impl && form->impl->modalLoop != nullptr) form->impl->modalLoop->quit();
  }
  if (impl.mainLoop != nullptr) impl.mainLoop->exit(impl.exitCode);
}

void ShowApplicationWindows(Control& application) {
  for (auto& form : application.children) {
    if (form->kind != ControlKind::Form) continue;
    Realise(*form);
    if (form->visible) SetVisible(*form, true);
  }
  Control* main = ImplOf(application).mainForm;
  if (main != nullptr && main->visible && main->widget != nullptr) main->widget->activateWindow();
}

void FreeApplicationObject(Control& application) {
  if (currentApplication == &application) currentApplication = nullptr;
  delete &application;
}

int RunMessageLoop(Control& application) {
  ShowApplicationWindows(application);
  Control::Impl& impl = ImplOf(application);
  if (!impl.ending) {
    QEventLoop loop;
    impl.mainLoop = &loop;
    loop.exec();
    impl.mainLoop = nullptr;
    // Anything else that stops the loop (the session ending) ends the program.
    if (!impl.ending) EndApplication(application, 0);
  }
  const int exitCode = impl.exitCode;
  FreeApplicationObject(application);
  return exitCode;
}

}  // namespace dw::ui
