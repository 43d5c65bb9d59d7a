// Menu bars built from templates, their handlers, enabled states and
// accelerators.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "ui/control_impl.h"
#include "ui/keys.h"
#include "ui/menu_bar.h"
#include "ui/menu_template.h"
#include "ui/widgets.h"

namespace dw::ui {

namespace {

Menu::Item* ItemAt(Menu& menu, int index) {
  if (index < 0 || index >= static_cast<int>(menu.items.size())) return nullptr;
  return &menu.items[index];
}

const Menu::Item* ItemAt(const Menu& menu, int index) {
  if (index < 0 || index >= static_cast<int>(menu.items.size())) return nullptr;
  return &menu.items[index];
}

void Choose(Menu& menu, int index) {
  Menu::Item* item = ItemAt(menu, index);
  if (item == nullptr || !item->enabled || item->separator || item->hasSubmenu) return;
  if (menu.form != nullptr) Fire(item->slot, *menu.form);
}

}  // namespace

Menu& CreateMenuBar(Control& form, const std::vector<std::string>& menuTemplate) {
  Control::Impl& impl = ImplOf(form);
  if (impl.menu && impl.menu->bar != nullptr) delete impl.menu->bar;
  impl.menu = std::make_unique<Menu>();
  Menu& menu = *impl.menu;
  menu.form = &form;
  for (const MenuTemplateItem& entry : ReadMenuTemplate(menuTemplate)) {
    Menu::Item item;
    item.text = entry.text;
    item.parent = entry.parent;
    item.separator = entry.separator;
    item.hasSubmenu = entry.hasSubmenu;
    menu.items.push_back(std::move(item));
  }

  auto* formWidget = dynamic_cast<FormWidget*>(form.widget);
  if (formWidget == nullptr) return menu;
  auto* bar = new QMenuBar(formWidget);
  bar->setNativeMenuBar(false);
  menu.bar = bar;
  for (size_t i = 0; i < menu.items.size(); ++i) {
    Menu::Item& item = menu.items[i];
    QMenu* holder = item.parent >= 0 ? menu.items[item.parent].submenu : nullptr;
    // The text after a tab is only shown, at the right of a submenu's item; the
    // key itself is the accelerator's business (SetItemAccelerator).
    const QString text =
        QString::fromStdString(holder != nullptr ? item.text : ItemCaption(item.text));
    if (item.separator) {
      item.action = holder != nullptr ? holder->addSeparator() : bar->addSeparator();
      continue;
    }
    if (item.hasSubmenu) {
      item.submenu = holder != nullptr ? holder->addMenu(text) : bar->addMenu(text);
      item.action = item.submenu->menuAction();
      continue;
    }
    item.action = holder != nullptr ? holder->addAction(text) : bar->addAction(text);
    const int index = static_cast<int>(i);
    QObject::connect(item.action, &QAction::triggered, bar,
                     [&menu, index] { Choose(menu, index); });
  }
  const int height = bar->sizeHint().height();
  formWidget->SetMenuBar(bar, height);
  bar->show();
  SetMenuBarHeight(form, height);
  return menu;
}

int MenuItemCount(const Menu& menu) {
  return static_cast<int>(menu.items.size());
}

std::string MenuItemText(const Menu& menu, int index) {
  const Menu::Item* item = ItemAt(menu, index);
  return item == nullptr ? std::string() : item->text;
}

bool MenuItemHasSubmenu(const Menu& menu, int index) {
  const Menu::Item* item = ItemAt(menu, index);
  return item != nullptr && item->hasSubmenu;
}

bool MenuItemIsSeparator(const Menu& menu, int index) {
  const Menu::Item* item = ItemAt(menu, index);
  return item != nullptr && item->separator;
}

void BindMenuItem(Menu& menu, int index, Slot slot) {
  if (Menu::Item* item = ItemAt(menu, index)) item->slot = std::move(slot);
}

void SetItemAccelerator(Menu& menu, int index, uint8_t flags, int key) {
  if (Menu::Item* item = ItemAt(menu, index)) {
    item->accelFlags = flags;
    item->accelKey = key;
  }
}

void EnableItem(Menu& menu, int index, bool enabled) {
  Menu::Item* item = ItemAt(menu, index);
  if (item == nullptr || item->enabled == enabled) return;
  item->enabled = enabled;
  if (item->action != nullptr) item->action->setEnabled(enabled);
}

bool IsItemEnabled(const Menu& menu, int index) {
  const Menu::Item* item = ItemAt(menu, index);
  return item != nullptr && item->enabled;
}

void ChooseMenuItem(Menu& menu, int index) {
  Choose(menu, index);
}

bool RunAccelerator(Control& form, int qtKey, int qtModifiers, bool run) {
  Control::Impl& impl = ImplOf(form);
  if (!impl.menu) return false;
  const int modifiers = qtModifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  qtKey = AcceleratorKeyOf(qtKey);
  Menu& menu = *impl.menu;
  for (size_t i = 0; i < menu.items.size(); ++i) {
    const Menu::Item& item = menu.items[i];
    if (item.accelKey == 0 || !item.enabled) continue;
    if (QtKeyOfVirtualKey(item.accelKey) != qtKey) continue;
    if (QtModifiersOfAccelFlags(item.accelFlags) != modifiers) continue;
    if (run) Choose(menu, static_cast<int>(i));
    return true;
  }
  return false;
}

}  // namespace dw::ui
