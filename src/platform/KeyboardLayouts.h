// Keyboard layouts and key translation. A layout is named as the desktop names it:
// "de", or "de(nodeadkeys)" for a variant. The active layout is the program's own state:
// switching it changes how keys translate inside the program, never the desktop's layout.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Shift state bits of a keystroke. Ctrl and Alt together reach the third level of a key
// (AltGr on a Linux keyboard).
namespace KeyShift {
constexpr int kShift = 1;
constexpr int kCtrl = 2;
constexpr int kAlt = 4;
constexpr int kThirdLevel = kCtrl | kAlt;
}  // namespace KeyShift

// A key by its PC scan code (set 1, as Linux numbers the keys), with a shift state.
struct KeyStroke {
    uint16_t scanCode = 0;
    int shiftState = 0;
    bool operator==(const KeyStroke&) const = default;
};

// What a keystroke produced. count is -1 for a dead key (chars then holds the accent's
// spacing form), 0 for nothing, else the number of characters in chars: a dead key
// followed by a key it does not combine with gives both.
struct KeyTranslation {
    int count = 0;
    std::u32string chars;
    bool Dead() const { return count < 0; }
};

struct KeyboardLayout {
    std::string name;         // "de" or "de(nodeadkeys)"
    std::string layout;       // "de"
    std::string variant;      // "nodeadkeys", or empty
    std::string description;  // the registry's English description
    std::string language;     // ISO 639 code of the layout's first language; may be empty
    std::string country;      // ISO 3166 code of its first country; may be empty
    int codePage = 1252;      // the language's ANSI code page
    int charset = 0;          // the charset of that code page
};

// Virtual key codes of the keys the program names.
namespace VirtualKey {
constexpr int kBack = 0x08;
constexpr int kTab = 0x09;
constexpr int kReturn = 0x0D;
constexpr int kShift = 0x10;
constexpr int kControl = 0x11;
constexpr int kMenu = 0x12;
constexpr int kCapital = 0x14;
constexpr int kSpace = 0x20;
constexpr int kLShift = 0xA0;
constexpr int kRShift = 0xA1;
constexpr int kLControl = 0xA2;
constexpr int kRControl = 0xA3;
constexpr int kLMenu = 0xA4;
constexpr int kRMenu = 0xA5;
}  // namespace VirtualKey

constexpr uint16_t kScanSpace = 0x39;
// At most this many dead keys wait for the key they combine with; an older one is dropped.
constexpr size_t kMaxPendingDeadKeys = 3;

// Key translation on one layout, with the pending dead keys as its state.
class IKeyTranslator {
public:
    virtual ~IKeyTranslator() = default;
    virtual const KeyboardLayout& Layout() const = 0;

    // Translates a key with a shift state (and Caps Lock), composing it with the pending
    // dead keys. A dead key joins the pending ones; anything else ends them.
    virtual KeyTranslation Translate(uint16_t scanCode, int shiftState, bool capsLock = false) = 0;
    // Forgets the pending dead keys.
    virtual void ClearDeadKeys() = 0;
    // The pending dead keys, first typed first.
    virtual const std::vector<KeyStroke>& PendingDeadKeys() const = 0;
    // Clears, then types these dead keys again (only the last kMaxPendingDeadKeys).
    virtual void ReplayDeadKeys(const std::vector<KeyStroke>& deadKeys) = 0;

    // The virtual key of a scan code on this layout: 'A'..'Z' and '0'..'9' for keys whose
    // first level is a letter or digit, the key's fixed code otherwise; 0 for no key.
    virtual int VirtualKeyFromScanCode(uint16_t scanCode) const = 0;
};

enum class LayoutError { None = 0, UnknownLayout, KeymapFailed, NoData };

class IKeyboardLayouts {
public:
    virtual ~IKeyboardLayouts() = default;

    // The layouts the desktop is configured with, "us" when it tells none; never empty.
    virtual const std::vector<KeyboardLayout>& Configured() = 0;
    // Every layout and variant the registry knows, sorted by name.
    virtual const std::vector<KeyboardLayout>& Available() = 0;
    // The layout with this name from the registry; false when there is none.
    virtual bool Find(const std::string& name, KeyboardLayout& layout) = 0;
    // Its description in a user-interface language ("en", "de", "fr", "ru").
    virtual std::string DisplayName(const KeyboardLayout& layout, const std::string& uiLanguage) = 0;

    // A translator for the named layout; null with the reason when it cannot be built.
    virtual std::unique_ptr<IKeyTranslator> Open(const std::string& name, LayoutError* error = nullptr) = 0;

    // The program's active layout: the first configured one until SetActive changes it.
    virtual const std::string& Active() = 0;
    virtual bool SetActive(const std::string& name) = 0;

    // Caps Lock of the real keyboard when the desktop tells it, else false.
    virtual bool CapsLockOn() = 0;
};

// The name of a layout with a variant: "de" + "nodeadkeys" -> "de(nodeadkeys)".
std::string LayoutName(const std::string& layout, const std::string& variant);
// Splits "de(nodeadkeys)"; false for a malformed name.
bool SplitLayoutName(const std::string& name, std::string& layout, std::string& variant);

// The desktop's configured layout names: from the X server's keyboard rules when there is
// one, else from the system keyboard configuration files; empty when none tells.
std::vector<std::string> DesktopLayoutNames();
// Parses the layout and variant lists of a keyboard configuration file's text (the shell
// form XKBLAYOUT="us,de" or the X configuration form Option "XkbLayout" "us,de").
std::vector<std::string> LayoutNamesFromConfig(const std::string& text);
// Pairs comma-separated layout and variant lists into names.
std::vector<std::string> PairLayoutNames(const std::string& layouts, const std::string& variants);
