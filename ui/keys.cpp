#include "ui/keys.h"

#include <Qt>

#include "ui/window_layer.h"

namespace dw::ui {

int QtKeyOfVirtualKey(int virtualKey) {
  if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) {
    return virtualKey;
  }
  if (virtualKey >= kKeyF1 && virtualKey < kKeyF1 + 24) return Qt::Key_F1 + (virtualKey - kKeyF1);
  switch (virtualKey) {
    case kKeyBack:
      return Qt::Key_Backspace;
    case kKeyTab:
      return Qt::Key_Tab;
    case kKeyReturn:
      return Qt::Key_Return;
    case kKeyEscape:
      return Qt::Key_Escape;
    case kKeySpace:
      return Qt::Key_Space;
    case kKeyPageUp:
      return Qt::Key_PageUp;
    case kKeyPageDown:
      return Qt::Key_PageDown;
    case kKeyEnd:
      return Qt::Key_End;
    case kKeyHome:
      return Qt::Key_Home;
    case kKeyLeft:
      return Qt::Key_Left;
    case kKeyUp:
      return Qt::Key_Up;
    case kKeyRight:
      return Qt::Key_Right;
    case kKeyDown:
      return Qt::Key_Down;
    case kKeyInsert:
      return Qt::Key_Insert;
    case kKeyDelete:
      return Qt::Key_Delete;
    default:
      return 0;
  }
}

int AcceleratorKeyOf(int qtKey) {
  // Upper-case Cyrillic А..Я (U+0410..U+042F) and the key each sits on in the
  // standard Russian layout; only letters are accelerator keys here.
  static constexpr char kLatinOnSameKey[] = "F,DULT;PBQRKVYJGHCNEA[WXIO]SM'.Z";
  static_assert(sizeof(kLatinOnSameKey) == 32 + 1);
  if (qtKey >= 0x0410 && qtKey <= 0x042F) {
    const char latin = kLatinOnSameKey[qtKey - 0x0410];
    if (latin >= 'A' && latin <= 'Z') return latin;
  }
  return qtKey;
}

int QtModifiersOfAccelFlags(unsigned flags) {
  int modifiers = Qt::NoModifier;
  if (flags & kAccelShift) modifiers |= Qt::ShiftModifier;
  if (flags & kAccelControl) modifiers |= Qt::ControlModifier;
  if (flags & kAccelAlt) modifiers |= Qt::AltModifier;
  return modifiers;
}

}  // namespace dw::ui
