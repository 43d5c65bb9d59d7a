// The window layer: a thin object layer over Qt 6 Widgets on which the
// program's windows are built. Controls are records (parent, children in
// creation order, text, bounds, docking, fonts, colours, slots); the layer
// lays them out with its own docking rule and binds events to handlers.
//
// Ownership: a control is owned by its parent and destroyed with it; the
// application object owns every top-level window; a form frees the objects
// handed to FreeWithForm when it is destroyed. Handlers are plain functions
// bound together with a data reference; an unbound slot does nothing.
//
// Only this folder and the program's entry point include Qt Widgets headers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/drawing_surface.h"

class QWidget;

namespace dw::ui {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

struct Colour {
  uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Colour&) const = default;
};
// The platform's face (buttons, panels), window (lists, edits) and window-text colours.
Colour SystemFaceColour();
Colour SystemWindowColour();
Colour SystemWindowTextColour();

struct Font {
  std::string face = "MS Sans Serif";
  int height = -11;  // negative: character height; positive: cell height (pixels)
  Colour colour = SystemWindowTextColour();
  bool bold = false;
};

enum class ControlKind {
  Application,
  Form,
  Panel,
  Label,
  Button,
  CheckBox,
  EditBox,
  ListBox,
  GroupBox,
  ScrollArea,
  PaintArea
};
enum class Dock { None, Left, Top, Right, Bottom, Fill };
enum class Side { Top, Bottom, Left, Right };
enum class Edge { None, Raised, Sunken };
enum class Align { Left, Right, Centre };
enum class VerticalAlign { Centre, Top, Bottom };
enum class Cursor { Arrow, Hand };

// Frame style bits of a top-level window.
enum StyleBits : uint32_t {
  kStyleCaption = 1u << 0,
  kStyleSystemMenu = 1u << 1,
  kStyleSizingFrame = 1u << 2,
  kStyleMinimizeBox = 1u << 3,
  kStyleMaximizeBox = 1u << 4,
};
inline constexpr uint32_t kStyleOverlapped =
    kStyleCaption | kStyleSystemMenu | kStyleSizingFrame | kStyleMinimizeBox | kStyleMaximizeBox;

struct Control;
class Menu;
class Timer;
class FolderDialog;
class FileDialog;

// A slot is a handler and its data; the handler receives the data and the
// control that fired (the sender).
using Slot = std::function<void(Control& sender)>;
using CloseSlot = std::function<void(Control& sender, bool& accept)>;

template <class T>
Slot MakeSlot(void (*handler)(T& data, Control& sender), T& data) {
  return [handler, &data](Control& sender) { handler(data, sender); };
}

struct Control {
  ControlKind kind = ControlKind::Panel;
  Control* parent = nullptr;
  std::vector<std::unique_ptr<Control>> children;  // creation order = docking order
  std::string text;
  Rect bounds;  // relative to the parent's client area
  Dock dock = Dock::None;
  int gap = 2;
  int marginTop = 0, marginBottom = 0, marginLeft = 0, marginRight = 0;
  Font font;
  Colour background = SystemFaceColour();
  bool visible = true;
  bool enabled = true;
  Cursor cursor = Cursor::Arrow;
  uint32_t style = 0;
  Slot onClick, onSelectionChange, onPaint, onShow;
  CloseSlot onCloseRequest;
  std::vector<std::shared_ptr<void>> freeWithForm;
  int modalResult = 0;
  QWidget* widget = nullptr;  // the platform window, created when first needed
  struct Impl;
  std::unique_ptr<Impl> impl;  // kind-specific layer state
  Control();
  ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
};

// Application object and top-level windows.
Control& CreateApplication(const std::string& caption);
// Creates the platform windows, shows the visible ones, dispatches events
// until the application ends, then frees the application and every window.
// Returns the exit code (0 when the main window closed).
int RunMessageLoop(Control& application);
bool IsEnding(const Control& application);
// The first form created under the application object is its main window;
// closing it ends the loop with exit code 0. A form's bounds are its outer
// size, frame included (8 pixels of borders, 27 of borders and caption); its
// client area, where children are placed and docked, lies below its menu bar.
Control& CreateForm(Control& application, const std::string& caption);
template <class T>
void FreeWithForm(Control& form, T* object) {
  form.freeWithForm.emplace_back(std::shared_ptr<T>(object));
}
void FreeWithForm(Control& form, std::shared_ptr<void> object);
// Menus, timers and dialogs made by the layer already belong to their form;
// handing them over again changes nothing.
void FreeWithForm(Control& form, Menu* menu);
void FreeWithForm(Control& form, Timer* timer);
void FreeWithForm(Control& form, FolderDialog* dialog);
void FreeWithForm(Control& form, FileDialog* dialog);
void CentreOnScreen(Control& form);
// A form whose platform window does not exist yet (before the loop starts,
// PlatformHandle or RaiseToTop) only records the flag.
void SetVisible(Control& control, bool visible);
bool IsVisible(const Control& control);
// Paints the window and its descendants and puts them on the screen before
// returning (a window shown a moment ago is first waited for, briefly).
void RepaintNow(Control& control);
// Posts a close request, handled by the loop like a click on the close box.
void RequestClose(Control& form);
void SetStyle(Control& form, uint32_t bits);
uint32_t StyleOf(const Control& form);
void RemoveCloseCommand(Control& form);  // the close box becomes unavailable
bool HasCloseCommand(const Control& form);
void FixSize(Control& form);
QWidget* PlatformHandle(Control& control);
void RaiseToTop(Control& control);
// Shows form and runs a nested loop until its modal result is not 0 (a close
// request sets -1) or the application ends; meanwhile the other windows take
// no input. Returns the modal result; form stays visible.
int RunModal(Control& form);
void SetModalResult(Control& form, int value);
void SetEnabled(Control& control, bool enabled);

// Child controls; each is appended to its parent's children.
Control& CreatePanel(Control& parent, Edge edge = Edge::None);
Control& CreateLabel(Control& parent, const std::string& text);
Control& CreateButton(Control& parent, const std::string& text);
Control& CreateCheckBox(Control& parent, const std::string& text);
struct EditOptions {
  bool readOnly = false;
};
Control& CreateEditBox(Control& parent, EditOptions options = {});
struct ListOptions {
  bool multipleSelection = false;  // extended and multiple selection together
  bool noIntegralHeight = false;
};
Control& CreateListBox(Control& parent, ListOptions options = {});
Control& CreateGroupBox(Control& parent, const std::string& caption);
Control& CreateScrollArea(Control& parent, Edge edge = Edge::None);
Control& CreatePaintArea(Control& parent);

// Geometry and docking.
Rect Bounds(const Control& control);
int ClientWidth(const Control& control);
int ClientHeight(const Control& control);
void SetClientSize(Control& form, int width, int height);  // for tests and layout checks
void PlaceAt(Control& control, int x, int y);
void SizeTo(Control& control, int width, int height);  // 0 leaves that side unchanged
void SetControlWidth(Control& control, int width);
void SetControlHeight(Control& control, int height);
void DockTo(Control& control, Dock side);
void SetGap(Control& control, int gap);
void SetMargin(Control& control, Side side, int value);

// Text, look and state.
void SetText(Control& control, const std::string& text);
std::string Text(const Control& control);
void SetTextAlign(Control& label, Align align);
void SetVerticalAlign(Control& label, VerticalAlign align);
void SetFontHeight(Control& control, int height);
void SetFontColour(Control& control, Colour colour);
void SetFontBold(Control& control, bool bold);
void SetMouseCursor(Control& control, Cursor cursor);
void SetChecked(Control& checkBox, bool checked);
bool IsChecked(const Control& checkBox);
void PerformClick(Control& control);

// List boxes; indices from 0, -1 for none. The program's changes never fire
// the selection-change slot; each user action that changes the selection or
// the current item fires it once.
int ItemCount(const Control& list);
int AddItem(Control& list, const std::string& text);
// An item that stands for bytes other than its text (a file name that is not
// UTF-8, shown in a readable form): ItemData gives those bytes back, and the
// text for items added without them.
int AddItem(Control& list, const std::string& text, const std::string& data);
std::string ItemText(const Control& list, int index);
std::string ItemData(const Control& list, int index);
bool IsItemSelected(const Control& list, int index);
void SelectItem(Control& list, int index, bool selected);
int SelectedCount(const Control& list);
int CurrentIndex(const Control& list);
void SetCurrentIndex(Control& list, int index);
void ClearItems(Control& list);
// Adds the names of the regular files matching mask ("folder/*.def"), hidden
// ones included, folders never, letter case ignored, sorted by their upper-case
// forms. Each item shows its name as UTF-8 (FileNameAsUtf8) and keeps the
// name's bytes as its data.
void AddDirectoryListing(Control& list, const std::string& mask);

// Event slots.
void BindClick(Control& control, Slot slot);
void BindSelectionChange(Control& list, Slot slot);
void BindPaint(Control& paintArea, Slot slot);
void BindShow(Control& form, Slot slot);
void BindCloseRequest(Control& form, CloseSlot slot);

// The surface a paint area draws on: the paint event's during its paint slot,
// otherwise one that shows on screen at once.
DrawingSurface& SurfaceOf(Control& paintArea);

// Menus.
enum AcceleratorFlags : uint8_t {
  kAccelVirtualKey = 0x01,
  kAccelShift = 0x04,
  kAccelControl = 0x08,
  kAccelAlt = 0x10,
};
// Menus, timers and dialogs belong to the form they are made for.
// Accelerators act before the focused control sees the key; a disabled item's
// accelerator does nothing and lets the key through.
Menu& CreateMenuBar(Control& form, const std::vector<std::string>& menuTemplate);
int MenuItemCount(const Menu& menu);
std::string MenuItemText(const Menu& menu, int index);
bool MenuItemHasSubmenu(const Menu& menu, int index);
bool MenuItemIsSeparator(const Menu& menu, int index);
void BindMenuItem(Menu& menu, int index, Slot slot);
void SetItemAccelerator(Menu& menu, int index, uint8_t flags, int key);
void EnableItem(Menu& menu, int index, bool enabled);
bool IsItemEnabled(const Menu& menu, int index);
void ChooseMenuItem(Menu& menu, int index);  // as a click on the item

// Timer; an interval not greater than 0 means 1000 ms. Ticks on the window thread.
Timer& CreateTimer(Control& form, int intervalMs);
int TimerInterval(const Timer& timer);
void EnableTimer(Timer& timer, bool enabled);
void BindTick(Timer& timer, Slot slot);

// Dialogs.
struct FolderDialogOptions {
  bool onlyFileSystemFolders = true;
};
FolderDialog& CreateFolderDialog(Control& form, const std::string& title,
                                 FolderDialogOptions options = {});
bool RunFolderDialog(FolderDialog& dialog);
std::string ChosenFolder(const FolderDialog& dialog);
// Records folder as the dialog's answer, as if the user had chosen it (a
// folder named on the command line).
void SetChosenFolder(FolderDialog& dialog, const std::string& folder);
void SetInitialFolder(FolderDialog& dialog, const std::string& folder);
std::string InitialFolder(const FolderDialog& dialog);

struct SaveDialogOptions {
  bool overwritePrompt = true;
  bool pathMustExist = true;
  bool fileMustExist = true;  // kept for fidelity; a new file name is still accepted
  bool hideReadOnly = true;
};
FileDialog& CreateSaveDialog(Control& form, const std::string& filter,
                             const std::string& defaultExtension, SaveDialogOptions options = {});
void SetFileName(FileDialog& dialog, const std::string& name);
std::string FileName(const FileDialog& dialog);
int FilterIndex(const FileDialog& dialog);
bool RunFileDialog(FileDialog& dialog);

// The seam through which tests answer dialogs without a person. While an
// answerer is set, running a dialog asks it instead of showing a window.
struct DialogRequest {
  enum class Kind { Folder, Save } kind = Kind::Folder;
  std::string title;
  std::string initialFolder;    // folder dialogs
  std::string initialFileName;  // save dialogs
  std::string filter;
  std::string defaultExtension;
  int filterIndex = 1;  // save dialogs: the filter it opens with, from 1
  // An answerer may set this (from 1) to choose another filter, as a person
  // choosing another file type would; 0 keeps filterIndex.
  mutable int chosenFilterIndex = 0;
};
// Returns the chosen folder or file name, or nothing for "cancel".
using DialogAnswerer = std::function<std::optional<std::string>(const DialogRequest&)>;
void SetDialogAnswerer(DialogAnswerer answerer);

}  // namespace dw::ui
