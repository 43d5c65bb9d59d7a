// Virtual-key codes (as the accelerator flags and tests use them) and Qt's key
// codes. Letters and digits share their upper-case ASCII code in both.
#pragma once

namespace dw::ui {

inline constexpr int kKeyBack = 0x08;
inline constexpr int kKeyTab = 0x09;
inline constexpr int kKeyReturn = 0x0D;
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeySpace = 0x20;
inline constexpr int kKeyPageUp = 0x21;
inline constexpr int kKeyPageDown = 0x22;
inline constexpr int kKeyEnd = 0x23;
inline constexpr int kKeyHome = 0x24;
inline constexpr int kKeyLeft = 0x25;
inline constexpr int kKeyUp = 0x26;
inline constexpr int kKeyRight = 0x27;
inline constexpr int kKeyDown = 0x28;
inline constexpr int kKeyInsert = 0x2D;
inline constexpr int kKeyDelete = 0x2E;
inline constexpr int kKeyF1 = 0x70;  // F1 to F24 follow in order

// Qt's code for a virtual key; 0 for keys this layer does not know.
int QtKeyOfVirtualKey(int virtualKey);
// The key a Qt key code stands for in accelerators: virtual keys do not
// depend on the keyboard layout, so a letter typed with the Russian layout
// counts as the Latin letter on the same key (Ctrl+Ф is Ctrl+A).
int AcceleratorKeyOf(int qtKey);
// Qt's keyboard modifiers for Shift, Control and Alt accelerator flags.
int QtModifiersOfAccelFlags(unsigned flags);

}  // namespace dw::ui
