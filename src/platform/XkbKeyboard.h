// Keyboard layouts on libxkbcommon: keymaps compiled from the xkeyboard-config data, dead
// keys composed through the compose table of the user's locale, layouts and their
// languages from libxkbregistry, descriptions in the user's language from
// xkeyboard-config's translations.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "KeyboardLayouts.h"
#include "MoCatalog.h"

struct XkbKeyboardOptions {
    // The layouts to offer as configured instead of asking the desktop (empty: ask).
    std::vector<std::string> configured;
    // The locale whose compose table is used; empty: the user's (LC_ALL, LC_CTYPE, LANG).
    std::string composeLocale;
    // A compose file to use instead of the locale's table.
    std::string composeFile;
    // Where the translations of the layout descriptions live.
    std::string localeDir = "/usr/share/locale";
};

class XkbKeyboardLayouts : public IKeyboardLayouts {
public:
    explicit XkbKeyboardLayouts(XkbKeyboardOptions options = {});
    ~XkbKeyboardLayouts() override;

    const std::vector<KeyboardLayout>& Configured() override;
    const std::vector<KeyboardLayout>& Available() override;
    bool Find(const std::string& name, KeyboardLayout& layout) override;
    std::string DisplayName(const KeyboardLayout& layout, const std::string& uiLanguage) override;
    std::unique_ptr<IKeyTranslator> Open(const std::string& name, LayoutError* error = nullptr) override;
    const std::string& Active() override;
    bool SetActive(const std::string& name) override;
    bool CapsLockOn() override;

    // The locale name the compose table was chosen for.
    std::string ComposeLocale() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// Caps Lock of the X server's keyboard; false without one.
bool DesktopCapsLockOn();
