// Keys: virtual-key codes of key events, scan codes and display names, and
// the accelerator tables that map a key with its modifiers to a command.
#include <gdk/gdkkeysyms.h>

#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/common/keys.h"
#include "platform/common/windows.h"
#include "platform/gtk/gtk_internal.h"

namespace platform {
namespace {

// Scan codes are those of the PC keyboard (set 1); bit 8 marks the extended
// keys, so that Home and keypad 7, which share a scan code, keep apart.
constexpr std::uint32_t kExtended = 0x100;

struct KeyName {
    std::uint16_t scan;
    const char* name;
};

// Display names, as an English Windows keyboard names its keys.
constexpr KeyName kKeyNames[] = {
    {0x01, "Esc"}, {0x02, "1"}, {0x03, "2"}, {0x04, "3"}, {0x05, "4"}, {0x06, "5"}, {0x07, "6"},
    {0x08, "7"}, {0x09, "8"}, {0x0A, "9"}, {0x0B, "0"}, {0x0C, "-"}, {0x0D, "="}, {0x0E, "Backspace"},
    {0x0F, "Tab"}, {0x10, "Q"}, {0x11, "W"}, {0x12, "E"}, {0x13, "R"}, {0x14, "T"}, {0x15, "Y"},
    {0x16, "U"}, {0x17, "I"}, {0x18, "O"}, {0x19, "P"}, {0x1A, "["}, {0x1B, "]"}, {0x1C, "Enter"},
    {0x1D, "Ctrl"}, {0x1E, "A"}, {0x1F, "S"}, {0x20, "D"}, {0x21, "F"}, {0x22, "G"}, {0x23, "H"},
    {0x24, "J"}, {0x25, "K"}, {0x26, "L"}, {0x27, ";"}, {0x28, "'"}, {0x29, "`"}, {0x2A, "Shift"},
    {0x2B, "\\"}, {0x2C, "Z"}, {0x2D, "X"}, {0x2E, "C"}, {0x2F, "V"}, {0x30, "B"}, {0x31, "N"},
    {0x32, "M"}, {0x33, ","}, {0x34, "."}, {0x35, "/"}, {0x36, "Right Shift"}, {0x37, "Num *"},
    {0x38, "Alt"}, {0x39, "Space"}, {0x3A, "Caps Lock"}, {0x3B, "F1"}, {0x3C, "F2"}, {0x3D, "F3"},
    {0x3E, "F4"}, {0x3F, "F5"}, {0x40, "F6"}, {0x41, "F7"}, {0x42, "F8"}, {0x43, "F9"}, {0x44, "F10"},
    {0x45, "Pause"}, {0x46, "Scroll Lock"}, {0x47, "Num 7"}, {0x48, "Num 8"}, {0x49, "Num 9"},
    {0x4A, "Num -"}, {0x4B, "Num 4"}, {0x4C, "Num 5"}, {0x4D, "Num 6"}, {0x4E, "Num +"},
    {0x4F, "Num 1"}, {0x50, "Num 2"}, {0x51, "Num 3"}, {0x52, "Num 0"}, {0x53, "Num Del"},
    {0x54, "Sys Req"}, {0x56, "\\"}, {0x57, "F11"}, {0x58, "F12"}, {0x64, "F13"}, {0x65, "F14"},
    {0x66, "F15"}, {0x67, "F16"}, {0x68, "F17"}, {0x69, "F18"}, {0x6A, "F19"}, {0x6B, "F20"},
    {0x6C, "F21"}, {0x6D, "F22"}, {0x6E, "F23"}, {0x76, "F24"},
    {0x11C, "Num Enter"}, {0x11D, "Right Ctrl"}, {0x135, "Num /"}, {0x137, "Prnt Scrn"},
    {0x138, "Right Alt"}, {0x145, "Num Lock"}, {0x147, "Home"}, {0x148, "Up"}, {0x149, "Page Up"},
    {0x14B, "Left"}, {0x14D, "Right"}, {0x14F, "End"}, {0x150, "Down"}, {0x151, "Page Down"},
    {0x152, "Insert"}, {0x153, "Delete"}, {0x15B, "Left Windows"}, {0x15C, "Right Windows"},
    {0x15D, "Application"},
};

struct VirtualKey {
    std::uint8_t vk;
    std::uint16_t scan;
};

// Virtual-key code to scan code, for the keys that are not letters or digits
// (those follow from the name table). The first entry of a code wins.
constexpr VirtualKey kVirtualKeys[] = {
    {0x08, 0x0E}, {0x09, 0x0F}, {0x0C, 0x4C}, {0x0D, 0x1C}, {0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38},
    {0x13, 0x45}, {0x14, 0x3A}, {0x1B, 0x01}, {0x20, 0x39}, {0x21, 0x149}, {0x22, 0x151},
    {0x23, 0x14F}, {0x24, 0x147}, {0x25, 0x14B}, {0x26, 0x148}, {0x27, 0x14D}, {0x28, 0x150},
    {0x2C, 0x137}, {0x2D, 0x152}, {0x2E, 0x153}, {0x5B, 0x15B}, {0x5C, 0x15C}, {0x5D, 0x15D},
    {0x60, 0x52}, {0x61, 0x4F}, {0x62, 0x50}, {0x63, 0x51}, {0x64, 0x4B}, {0x65, 0x4C}, {0x66, 0x4D},
    {0x67, 0x47}, {0x68, 0x48}, {0x69, 0x49}, {0x6A, 0x37}, {0x6B, 0x4E}, {0x6D, 0x4A}, {0x6E, 0x53},
    {0x6F, 0x135}, {0x70, 0x3B}, {0x71, 0x3C}, {0x72, 0x3D}, {0x73, 0x3E}, {0x74, 0x3F}, {0x75, 0x40},
    {0x76, 0x41}, {0x77, 0x42}, {0x78, 0x43}, {0x79, 0x44}, {0x7A, 0x57}, {0x7B, 0x58}, {0x7C, 0x64},
    {0x7D, 0x65}, {0x7E, 0x66}, {0x7F, 0x67}, {0x80, 0x68}, {0x81, 0x69}, {0x82, 0x6A}, {0x83, 0x6B},
    {0x84, 0x6C}, {0x85, 0x6D}, {0x86, 0x6E}, {0x87, 0x76}, {0x90, 0x145}, {0x91, 0x46},
    {0xA0, 0x2A}, {0xA1, 0x36}, {0xA2, 0x1D}, {0xA3, 0x11D}, {0xA4, 0x38}, {0xA5, 0x138},
    {0xBA, 0x27}, {0xBB, 0x0D}, {0xBC, 0x33}, {0xBD, 0x0C}, {0xBE, 0x34}, {0xBF, 0x35}, {0xC0, 0x29},
    {0xDB, 0x1A}, {0xDC, 0x2B}, {0xDD, 0x1B}, {0xDE, 0x28}, {0xE2, 0x56},
};

struct KeyvalKey {
    guint keyval;
    std::uint8_t vk;
    std::uint16_t scan;
};

// GDK key values that are not letters, digits or function keys.
constexpr KeyvalKey kKeyvals[] = {
    {GDK_KEY_BackSpace, 0x08, 0x0E}, {GDK_KEY_Tab, 0x09, 0x0F}, {GDK_KEY_ISO_Left_Tab, 0x09, 0x0F},
    {GDK_KEY_Return, 0x0D, 0x1C}, {GDK_KEY_KP_Enter, 0x0D, 0x11C}, {GDK_KEY_Shift_L, 0x10, 0x2A},
    {GDK_KEY_Shift_R, 0x10, 0x36}, {GDK_KEY_Control_L, 0x11, 0x1D}, {GDK_KEY_Control_R, 0x11, 0x11D},
    {GDK_KEY_Alt_L, 0x12, 0x38}, {GDK_KEY_Alt_R, 0x12, 0x138}, {GDK_KEY_Meta_L, 0x12, 0x38},
    {GDK_KEY_ISO_Level3_Shift, 0x12, 0x138}, {GDK_KEY_Pause, 0x13, 0x45}, {GDK_KEY_Caps_Lock, 0x14, 0x3A},
    {GDK_KEY_Escape, 0x1B, 0x01}, {GDK_KEY_space, 0x20, 0x39}, {GDK_KEY_KP_Space, 0x20, 0x39},
    {GDK_KEY_Page_Up, 0x21, 0x149}, {GDK_KEY_Page_Down, 0x22, 0x151}, {GDK_KEY_End, 0x23, 0x14F},
    {GDK_KEY_Home, 0x24, 0x147}, {GDK_KEY_Left, 0x25, 0x14B}, {GDK_KEY_Up, 0x26, 0x148},
    {GDK_KEY_Right, 0x27, 0x14D}, {GDK_KEY_Down, 0x28, 0x150}, {GDK_KEY_Print, 0x2C, 0x137},
    {GDK_KEY_Insert, 0x2D, 0x152}, {GDK_KEY_Delete, 0x2E, 0x153}, {GDK_KEY_Super_L, 0x5B, 0x15B},
    {GDK_KEY_Super_R, 0x5C, 0x15C}, {GDK_KEY_Menu, 0x5D, 0x15D},
    // The keypad with Num Lock off gives the navigation codes, on its own scan codes.
    {GDK_KEY_KP_Insert, 0x2D, 0x52}, {GDK_KEY_KP_End, 0x23, 0x4F}, {GDK_KEY_KP_Down, 0x28, 0x50},
    {GDK_KEY_KP_Page_Down, 0x22, 0x51}, {GDK_KEY_KP_Left, 0x25, 0x4B}, {GDK_KEY_KP_Begin, 0x0C, 0x4C},
    {GDK_KEY_KP_Right, 0x27, 0x4D}, {GDK_KEY_KP_Home, 0x24, 0x47}, {GDK_KEY_KP_Up, 0x26, 0x48},
    {GDK_KEY_KP_Page_Up, 0x21, 0x49}, {GDK_KEY_KP_Delete, 0x2E, 0x53},
    {GDK_KEY_KP_0, 0x60, 0x52}, {GDK_KEY_KP_1, 0x61, 0x4F}, {GDK_KEY_KP_2, 0x62, 0x50},
    {GDK_KEY_KP_3, 0x63, 0x51}, {GDK_KEY_KP_4, 0x64, 0x4B}, {GDK_KEY_KP_5, 0x65, 0x4C},
    {GDK_KEY_KP_6, 0x66, 0x4D}, {GDK_KEY_KP_7, 0x67, 0x47}, {GDK_KEY_KP_8, 0x68, 0x48},
    {GDK_KEY_KP_9, 0x69, 0x49}, {GDK_KEY_KP_Multiply, 0x6A, 0x37}, {GDK_KEY_KP_Add, 0x6B, 0x4E},
    {GDK_KEY_KP_Separator, 0x6C, 0x53}, {GDK_KEY_KP_Subtract, 0x6D, 0x4A},
    {GDK_KEY_KP_Decimal, 0x6E, 0x53}, {GDK_KEY_KP_Divide, 0x6F, 0x135},
    {GDK_KEY_Num_Lock, 0x90, 0x145}, {GDK_KEY_Scroll_Lock, 0x91, 0x46},
    {GDK_KEY_semicolon, 0xBA, 0x27}, {GDK_KEY_equal, 0xBB, 0x0D}, {GDK_KEY_comma, 0xBC, 0x33},
    {GDK_KEY_minus, 0xBD, 0x0C}, {GDK_KEY_period, 0xBE, 0x34}, {GDK_KEY_slash, 0xBF, 0x35},
    {GDK_KEY_grave, 0xC0, 0x29}, {GDK_KEY_bracketleft, 0xDB, 0x1A}, {GDK_KEY_backslash, 0xDC, 0x2B},
    {GDK_KEY_bracketright, 0xDD, 0x1B}, {GDK_KEY_apostrophe, 0xDE, 0x28}, {GDK_KEY_less, 0xE2, 0x56},
};

const char* nameOfScan(std::uint32_t scan) {
    for (const KeyName& key : kKeyNames)
        if (key.scan == scan) return key.name;
    return nullptr;
}

std::uint32_t scanOfVirtualKey(std::uint32_t vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
        char name[2] = {static_cast<char>(vk), '\0'};
        for (const KeyName& key : kKeyNames)
            if (std::strcmp(key.name, name) == 0) return key.scan;
    }
    for (const VirtualKey& key : kVirtualKeys)
        if (key.vk == vk) return key.scan;
    return 0;
}

// The key of a US layout at a scan code: the fallback for layouts whose
// first group has no Latin letter at that place.
std::uint32_t virtualKeyOfScan(std::uint32_t scan) {
    const char* name = nameOfScan(scan);
    if (name != nullptr && name[1] == '\0' && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9')))
        return static_cast<unsigned char>(name[0]);
    for (const VirtualKey& key : kVirtualKeys)
        if (key.scan == scan) return key.vk;
    return 0;
}

// The keys of the main block that type a character: Windows names them by
// the character the keyboard layout gives them unshifted (capitals for
// letters), so their names follow the layout; the others keep the names of
// the table. X key codes of the main block are the scan codes plus 8.
bool isCharacterKey(std::uint32_t scan) {
    return (scan >= 0x02 && scan <= 0x0D) || (scan >= 0x10 && scan <= 0x1B) || (scan >= 0x1E && scan <= 0x29) ||
           (scan >= 0x2B && scan <= 0x35) || scan == 0x56;
}

GdkKeymap* currentKeymap() {
    GdkDisplay* display = gdk_display_get_default();
    return display != nullptr ? gdk_keymap_get_for_display(display) : nullptr;
}

// Dead keys type nothing themselves: named by their accent.
struct DeadKey {
    guint keyval;
    const char* name;
};
constexpr DeadKey kDeadKeyNames[] = {
    {GDK_KEY_dead_grave, "`"}, {GDK_KEY_dead_acute, "\xC2\xB4"}, {GDK_KEY_dead_circumflex, "^"},
    {GDK_KEY_dead_tilde, "~"}, {GDK_KEY_dead_diaeresis, "\xC2\xA8"}, {GDK_KEY_dead_cedilla, "\xC2\xB8"},
};

// The name of a character key in the first group of the current layout
// (the group the virtual-key codes come from); empty when it has none.
std::string layoutName(std::uint32_t scan) {
    GdkKeymap* keymap = currentKeymap();
    GdkKeymapKey* keys = nullptr;
    guint* keyvals = nullptr;
    gint count = 0;
    if (keymap == nullptr || !isCharacterKey(scan) ||
        !gdk_keymap_get_entries_for_keycode(keymap, scan + 8, &keys, &keyvals, &count))
        return {};
    std::string name;
    for (gint i = 0; i < count && name.empty(); ++i) {
        if (keys[i].group != 0 || keys[i].level != 0) continue;
        for (const DeadKey& dead : kDeadKeyNames)
            if (dead.keyval == keyvals[i]) name = dead.name;
        gunichar character = g_unichar_toupper(gdk_keyval_to_unicode(keyvals[i]));
        char utf8[8];
        if (name.empty() && character != 0 && g_unichar_isgraph(character))
            name.assign(utf8, static_cast<std::size_t>(g_unichar_to_utf8(character, utf8)));
    }
    g_free(keys);
    g_free(keyvals);
    return name;
}

// The scan code of the key that types a letter or digit unshifted in the
// first group of the current layout (Z moves on a German keyboard); 0 when
// no key does, as for the digits of a French one.
std::uint32_t layoutScanOf(std::uint32_t vk) {
    GdkKeymap* keymap = currentKeymap();
    guint keyval = vk >= 'A' && vk <= 'Z' ? GDK_KEY_a + (vk - 'A') : GDK_KEY_0 + (vk - '0');
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (keymap == nullptr || !gdk_keymap_get_entries_for_keyval(keymap, keyval, &keys, &count)) return 0;
    std::uint32_t scan = 0;
    for (gint i = 0; i < count && scan == 0; ++i) {
        if (keys[i].group == 0 && keys[i].level == 0 && keys[i].keycode >= 8 && isCharacterKey(keys[i].keycode - 8))
            scan = keys[i].keycode - 8;
    }
    g_free(keys);
    return scan;
}

common::AcceleratorTables tables;
AcceleratorTableHandle nextTable = 0x30001;

}  // namespace

namespace gtk {

std::uint32_t virtualKeyOf(const GdkEventKey* event, std::uint32_t& scanCode) {
    scanCode = 0;
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(event->window));
    // Group 0 and no modifiers but Num Lock: Shift, Caps Lock and the active
    // layout group do not change the code, so shortcuts work in every state.
    guint keyval = 0;
    GdkModifierType numLock = static_cast<GdkModifierType>(event->state & GDK_MOD2_MASK);
    if (!gdk_keymap_translate_keyboard_state(keymap, event->hardware_keycode, numLock, 0, &keyval, nullptr, nullptr, nullptr))
        keyval = event->keyval;
    keyval = gdk_keyval_to_lower(keyval);
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) {
        std::uint32_t vk = 'A' + (keyval - GDK_KEY_a);
        scanCode = scanOfVirtualKey(vk);
        return vk;
    }
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) {
        std::uint32_t vk = '0' + (keyval - GDK_KEY_0);
        scanCode = scanOfVirtualKey(vk);
        return vk;
    }
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24) {
        std::uint32_t vk = kVkF1 + (keyval - GDK_KEY_F1);
        scanCode = scanOfVirtualKey(vk);
        return vk;
    }
    for (const KeyvalKey& key : kKeyvals) {
        if (key.keyval == keyval) {
            scanCode = key.scan;
            return key.vk;
        }
    }
    // X key codes of the main block are the scan codes plus 8.
    if (event->hardware_keycode >= 9 && event->hardware_keycode < 9 + 0x58) {
        std::uint32_t scan = event->hardware_keycode - 8u;
        if (std::uint32_t vk = virtualKeyOfScan(scan); vk != 0) {
            scanCode = scan;
            return vk;
        }
    }
    return 0;
}

}  // namespace gtk

std::uint32_t mapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
    switch (mapType) {
    case kMapVkToScanCode:
        if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) {
            if (std::uint32_t scan = layoutScanOf(code); scan != 0) return scan;
        }
        return scanOfVirtualKey(code);
    case kMapScanCodeToVk:
        return virtualKeyOfScan(code);
    case kMapVkToChar: {  // its unshifted character
        if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9') || code == ' ') return code;
        const char* name = nameOfScan(scanOfVirtualKey(code));
        return name != nullptr && name[1] == '\0' ? static_cast<unsigned char>(name[0]) : 0;
    }
    default:
        return 0;
    }
}

int getKeyNameText(std::int32_t keyParam, char* buffer, int size) {
    if (size <= 0) return 0;
    std::uint32_t scan = common::scanCodeOf(keyParam);
    const std::string fromLayout = layoutName(scan);
    const char* name = fromLayout.empty() ? nameOfScan(scan) : fromLayout.c_str();
    if (name == nullptr) {
        buffer[0] = '\0';
        common::setLastError(kErrorInvalidParameter);
        return 0;
    }
    common::copyText(name, buffer, static_cast<std::size_t>(size));
    return static_cast<int>(std::strlen(buffer));
}

AcceleratorTableHandle createAcceleratorTable(const Accelerator* entries, int count) {
    if (!common::validAcceleratorEntries(entries, count)) return 0;
    AcceleratorTableHandle handle = nextTable++;
    common::storeAcceleratorTable(tables, handle, entries, count);
    return handle;
}

bool destroyAcceleratorTable(AcceleratorTableHandle table) { return common::eraseAcceleratorTable(tables, table); }

int translateAccelerator(WindowHandle window, AcceleratorTableHandle table, const Message& keyMessage) {
    if (keyMessage.code != kWmKeyDown && keyMessage.code != kWmSysKeyDown) return 0;
    const std::vector<Accelerator>* entries = common::findAcceleratorTable(tables, table);
    if (entries == nullptr) return 0;
    // The modifiers as they are now, like GetKeyState on Windows.
    GdkModifierType state{};
    if (!gtk_get_current_event_state(&state)) state = GdkModifierType{};
    const std::uint8_t held = common::heldModifiers((state & GDK_SHIFT_MASK) != 0, (state & GDK_CONTROL_MASK) != 0,
                                                    (state & GDK_MOD1_MASK) != 0);
    const std::optional<Message> command = common::acceleratorCommand(*entries, window, keyMessage, held);
    if (!command) return 0;
    gtk::noteKeyTranslated();
    gtk::deliver(command->window, command->code, command->wParam, command->lParam);
    return 1;
}

}  // namespace platform
