#include "XkbKeyboard.h"

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>
#include <xkbcommon/xkbregistry.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "CodePages.h"

namespace {

// Linux numbers keys by their PC scan code; X key codes are 8 more.
constexpr uint32_t kKeycodeOffset = 8;

bool IsDeadKeysym(xkb_keysym_t sym) { return sym >= XKB_KEY_dead_grave && sym <= 0xfe93; }

// The spacing form of a dead key's accent, as a layout's legend shows it.
char32_t SpacingAccent(xkb_keysym_t sym) {
    switch (sym) {
    case XKB_KEY_dead_grave: return U'`';
    case XKB_KEY_dead_acute: return 0xB4;
    case XKB_KEY_dead_circumflex: return U'^';
    case XKB_KEY_dead_tilde: return U'~';
    case XKB_KEY_dead_macron: return 0xAF;
    case XKB_KEY_dead_breve: return 0x2D8;
    case XKB_KEY_dead_abovedot: return 0x2D9;
    case XKB_KEY_dead_diaeresis: return 0xA8;
    case XKB_KEY_dead_abovering: return 0x2DA;
    case XKB_KEY_dead_doubleacute: return 0x2DD;
    case XKB_KEY_dead_caron: return 0x2C7;
    case XKB_KEY_dead_cedilla: return 0xB8;
    case XKB_KEY_dead_ogonek: return 0x2DB;
    case XKB_KEY_dead_iota: return 0x37A;
    case XKB_KEY_dead_voiced_sound: return 0x309B;
    case XKB_KEY_dead_semivoiced_sound: return 0x309C;
    case XKB_KEY_dead_stroke: return U'/';
    case XKB_KEY_dead_abovecomma: return 0x1FBF;
    case XKB_KEY_dead_abovereversedcomma: return 0x1FFE;
    case XKB_KEY_dead_doublegrave: return 0x2F5;
    case XKB_KEY_dead_belowdot: return 0x2D4;
    default: return 0;
    }
}

// The virtual keys of the US layout by scan code, which a key keeps when its first
// level is not a Latin letter or digit.
int UsVirtualKey(uint16_t scan) {
    static const char* const kRows[] = {"1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    static const uint16_t kStarts[] = {0x02, 0x10, 0x1E, 0x2C};
    for (int row = 0; row < 4; ++row) {
        size_t length = std::char_traits<char>::length(kRows[row]);
        if (scan >= kStarts[row] && scan < kStarts[row] + length) return kRows[row][scan - kStarts[row]];
    }
    switch (scan) {
    case 0x29: return 0xC0;
    case 0x0C: return 0xBD;
    case 0x0D: return 0xBB;
    case 0x1A: return 0xDB;
    case 0x1B: return 0xDD;
    case 0x2B: return 0xDC;
    case 0x27: return 0xBA;
    case 0x28: return 0xDE;
    case 0x33: return 0xBC;
    case 0x34: return 0xBE;
    case 0x35: return 0xBF;
    case 0x56: return 0xE2;
    case 0x39: return VirtualKey::kSpace;
    case 0x0E: return VirtualKey::kBack;
    case 0x0F: return VirtualKey::kTab;
    case 0x1C: return VirtualKey::kReturn;
    case 0x3A: return VirtualKey::kCapital;
    case 0x2A: return VirtualKey::kLShift;
    case 0x36: return VirtualKey::kRShift;
    case 0x1D: return VirtualKey::kLControl;
    case 0x38: return VirtualKey::kLMenu;
    default: return 0;
    }
}

std::string UserLocale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value;
    }
    return "C";
}

// The C locale's compose table knows Latin-1 only; a UTF-8 table composes everything.
std::string ComposeLocaleFor(const std::string& locale) {
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0) return "en_US.UTF-8";
    return locale;
}

class XkbKeyTranslator : public IKeyTranslator {
public:
    XkbKeyTranslator(KeyboardLayout layout, xkb_keymap* keymap, xkb_compose_table* table)
        : m_layout(std::move(layout)), m_keymap(keymap), m_state(xkb_state_new(keymap)),
          m_compose(table ? xkb_compose_state_new(table, XKB_COMPOSE_STATE_NO_FLAGS) : nullptr) {
        m_shiftMask = ModMask(XKB_MOD_NAME_SHIFT);
        m_lockMask = ModMask(XKB_MOD_NAME_CAPS);
        m_levelThreeMask = LevelThreeMask();
    }
    ~XkbKeyTranslator() override {
        xkb_compose_state_unref(m_compose);
        xkb_state_unref(m_state);
        xkb_keymap_unref(m_keymap);
    }

    const KeyboardLayout& Layout() const override { return m_layout; }

    KeyTranslation Translate(uint16_t scanCode, int shiftState, bool capsLock) override {
        xkb_keysym_t sym = Keysym(scanCode, shiftState, capsLock);
        if (sym == XKB_KEY_NoSymbol) return {};
        bool dead = IsDeadKeysym(sym);
        char32_t plain = dead ? 0 : xkb_keysym_to_utf32(sym);
        if (!dead && plain == 0) return {};  // a modifier or function key
        bool ctrlOnly = (shiftState & KeyShift::kThirdLevel) == KeyShift::kCtrl;
        if (ctrlOnly) return ControlCharacter(plain);
        return Compose(KeyStroke{scanCode, shiftState}, sym, dead, plain);
    }

    void ClearDeadKeys() override {
        m_pending.clear();
        m_pendingSyms.clear();
        if (m_compose) xkb_compose_state_reset(m_compose);
    }

    const std::vector<KeyStroke>& PendingDeadKeys() const override { return m_pending; }

    void ReplayDeadKeys(const std::vector<KeyStroke>& deadKeys) override {
        ClearDeadKeys();
        size_t first = deadKeys.size() > kMaxPendingDeadKeys ? deadKeys.size() - kMaxPendingDeadKeys : 0;
        for (size_t i = first; i < deadKeys.size(); ++i) Translate(deadKeys[i].scanCode, deadKeys[i].shiftState, false);
    }

    int VirtualKeyFromScanCode(uint16_t scanCode) const override {
        xkb_keycode_t key = scanCode + kKeycodeOffset;
        const xkb_keysym_t* syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(m_keymap, key, 0, 0, &syms) > 0) {
            char32_t c = xkb_keysym_to_utf32(syms[0]);
            if (c >= U'a' && c <= U'z') return int(c - U'a' + U'A');
            if ((c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9')) return int(c);
        }
        return UsVirtualKey(scanCode);
    }

private:
    xkb_mod_mask_t ModMask(const char* name) const {
        xkb_mod_index_t index = xkb_keymap_mod_get_index(m_keymap, name);
        return index == XKB_MOD_INVALID ? 0 : xkb_mod_mask_t(1) << index;
    }

    // The modifiers the keymap's own third-level key sets (AltGr on most layouts).
    xkb_mod_mask_t LevelThreeMask() const {
        for (xkb_keycode_t key = xkb_keymap_min_keycode(m_keymap); key <= xkb_keymap_max_keycode(m_keymap); ++key) {
            const xkb_keysym_t* syms = nullptr;
            int n = xkb_keymap_key_get_syms_by_level(m_keymap, key, 0, 0, &syms);
            if (n != 1 || syms[0] != XKB_KEY_ISO_Level3_Shift) continue;
            xkb_state* probe = xkb_state_new(m_keymap);
            xkb_state_update_key(probe, key, XKB_KEY_DOWN);
            xkb_mod_mask_t mask = xkb_state_serialize_mods(probe, XKB_STATE_MODS_DEPRESSED);
            xkb_state_unref(probe);
            if (mask) return mask;
        }
        return ModMask("Mod5");
    }

    xkb_keysym_t Keysym(uint16_t scanCode, int shiftState, bool capsLock) {
        xkb_keycode_t key = scanCode + kKeycodeOffset;
        if (!xkb_keycode_is_legal_ext(key) || key < xkb_keymap_min_keycode(m_keymap) ||
            key > xkb_keymap_max_keycode(m_keymap))
            return XKB_KEY_NoSymbol;
        bool third = (shiftState & KeyShift::kThirdLevel) == KeyShift::kThirdLevel;
        xkb_mod_mask_t depressed = ((shiftState & KeyShift::kShift) ? m_shiftMask : 0) | (third ? m_levelThreeMask : 0);
        xkb_state_update_mask(m_state, depressed, 0, capsLock ? m_lockMask : 0, 0, 0, 0);
        // A key without a third level types nothing with it, rather than its first level.
        if (third && xkb_state_mod_mask_remove_consumed(m_state, key, m_levelThreeMask) != 0) return XKB_KEY_NoSymbol;
        return xkb_state_key_get_one_sym(m_state, key);
    }

    static KeyTranslation ControlCharacter(char32_t plain) {
        if ((plain >= 0x40 && plain <= 0x5F) || (plain >= 0x61 && plain <= 0x7A)) return {1, std::u32string(1, plain & 0x1F)};
        return {};
    }

    char32_t Accent(xkb_keysym_t sym) const {
        if (char32_t c = SpacingAccent(sym)) return c;
        return 0xFFFD;
    }

    // The accents of the pending dead keys, then what this key types on its own.
    KeyTranslation Uncomposed(xkb_keysym_t sym, bool dead, char32_t plain) {
        KeyTranslation result;
        for (xkb_keysym_t pending : m_pendingSyms) result.chars.push_back(Accent(pending));
        result.chars.push_back(dead ? Accent(sym) : plain);
        result.count = int(result.chars.size());
        ClearDeadKeys();
        return result;
    }

    KeyTranslation Pending(const KeyStroke& stroke, xkb_keysym_t sym) {
        m_pending.push_back(stroke);
        m_pendingSyms.push_back(sym);
        if (m_pending.size() > kMaxPendingDeadKeys) {
            std::vector<KeyStroke> keep(m_pending.end() - kMaxPendingDeadKeys, m_pending.end());
            std::vector<xkb_keysym_t> syms(m_pendingSyms.end() - kMaxPendingDeadKeys, m_pendingSyms.end());
            ClearDeadKeys();
            if (m_compose)
                for (xkb_keysym_t s : syms) xkb_compose_state_feed(m_compose, s);
            m_pending = keep;
            m_pendingSyms = syms;
        }
        return {-1, std::u32string(1, Accent(sym))};
    }

    KeyTranslation Compose(const KeyStroke& stroke, xkb_keysym_t sym, bool dead, char32_t plain) {
        if (!m_compose) {
            if (dead) return Pending(stroke, sym);
            return Uncomposed(sym, false, plain);
        }
        if (xkb_compose_state_feed(m_compose, sym) == XKB_COMPOSE_FEED_IGNORED)
            return m_pending.empty() ? KeyTranslation{1, std::u32string(1, plain)} : Uncomposed(sym, dead, plain);
        switch (xkb_compose_state_get_status(m_compose)) {
        case XKB_COMPOSE_COMPOSING:
            if (dead) return Pending(stroke, sym);
            return Uncomposed(sym, dead, plain);
        case XKB_COMPOSE_COMPOSED: {
            char buffer[64];
            int n = xkb_compose_state_get_utf8(m_compose, buffer, sizeof buffer);
            std::u32string text = n > 0 && size_t(n) < sizeof buffer ? Utf8ToUtf32(std::string_view(buffer, size_t(n)))
                                                                     : std::u32string();
            if (text.empty()) {
                char32_t c = xkb_keysym_to_utf32(xkb_compose_state_get_one_sym(m_compose));
                if (c) text.push_back(c);
            }
            ClearDeadKeys();
            return {int(text.size()), text};
        }
        case XKB_COMPOSE_CANCELLED:
            return Uncomposed(sym, dead, plain);
        case XKB_COMPOSE_NOTHING:
        default:
            ClearDeadKeys();
            return {1, std::u32string(1, dead ? Accent(sym) : plain)};
        }
    }

    KeyboardLayout m_layout;
    xkb_keymap* m_keymap;
    xkb_state* m_state;
    xkb_compose_state* m_compose;
    xkb_mod_mask_t m_shiftMask = 0, m_lockMask = 0, m_levelThreeMask = 0;
    std::vector<KeyStroke> m_pending;
    std::vector<xkb_keysym_t> m_pendingSyms;
};

// The language a layout writes: its first ISO 639 code, unless no code page is known for
// that code and its short label names a language that has one (the registry lists Dari
// under "drs", which is not Dari's code, and labels it "fa").
std::string LayoutLanguage(rxkb_layout* l) {
    rxkb_iso639_code* code = rxkb_layout_get_iso639_first(l);
    std::string language = code ? rxkb_iso639_code_get_code(code) : "";
    const char* brief = rxkb_layout_get_brief(l);
    if (!language.empty() && !FindAnsiCodePage(language) && brief && FindAnsiCodePage(brief)) return brief;
    return language;
}

}  // namespace

struct XkbKeyboardLayouts::Impl {
    XkbKeyboardOptions options;
    xkb_context* context = nullptr;
    xkb_compose_table* compose = nullptr;
    bool composeLoaded = false;
    std::string composeLocale;
    bool registryLoaded = false;
    std::vector<KeyboardLayout> available;
    std::vector<KeyboardLayout> configured;
    bool configuredLoaded = false;
    std::string active;
    std::map<std::string, MoCatalog> catalogs;

    void LoadRegistry() {
        if (registryLoaded) return;
        registryLoaded = true;
        rxkb_context* registry = rxkb_context_new(RXKB_CONTEXT_NO_FLAGS);
        if (!registry) return;
        rxkb_context_set_log_level(registry, RXKB_LOG_LEVEL_CRITICAL);
        if (rxkb_context_parse_default_ruleset(registry)) {
            std::map<std::string, std::pair<std::string, std::string>> baseCodes;
            for (rxkb_layout* l = rxkb_layout_first(registry); l; l = rxkb_layout_next(l)) {
                KeyboardLayout layout;
                layout.layout = rxkb_layout_get_name(l);
                const char* variant = rxkb_layout_get_variant(l);
                layout.variant = variant ? variant : "";
                layout.name = LayoutName(layout.layout, layout.variant);
                const char* description = rxkb_layout_get_description(l);
                layout.description = description ? description : layout.name;
                layout.language = LayoutLanguage(l);
                if (rxkb_iso3166_code* code = rxkb_layout_get_iso3166_first(l)) layout.country = rxkb_iso3166_code_get_code(code);
                if (layout.variant.empty()) baseCodes[layout.layout] = {layout.language, layout.country};
                available.push_back(std::move(layout));
            }
            // A variant without languages of its own speaks its layout's.
            for (KeyboardLayout& layout : available) {
                auto base = baseCodes.find(layout.layout);
                if (base == baseCodes.end()) continue;
                if (layout.language.empty()) layout.language = base->second.first;
                if (layout.country.empty()) layout.country = base->second.second;
            }
            for (KeyboardLayout& layout : available) {
                layout.codePage = AnsiCodePageForLanguage(layout.language, layout.country);
                layout.charset = CharsetForCodePage(layout.codePage);
            }
            std::sort(available.begin(), available.end(),
                      [](const KeyboardLayout& a, const KeyboardLayout& b) { return a.name < b.name; });
        }
        rxkb_context_unref(registry);
    }

    xkb_compose_table* Compose() {
        if (composeLoaded) return compose;
        composeLoaded = true;
        if (!options.composeFile.empty()) {
            composeLocale = ComposeLocaleFor(options.composeLocale.empty() ? UserLocale() : options.composeLocale);
            if (FILE* file = std::fopen(options.composeFile.c_str(), "r")) {
                compose = xkb_compose_table_new_from_file(context, file, composeLocale.c_str(),
                                                          XKB_COMPOSE_FORMAT_TEXT_V1, XKB_COMPOSE_COMPILE_NO_FLAGS);
                std::fclose(file);
            }
            return compose;
        }
        composeLocale = ComposeLocaleFor(options.composeLocale.empty() ? UserLocale() : options.composeLocale);
        compose = xkb_compose_table_new_from_locale(context, composeLocale.c_str(), XKB_COMPOSE_COMPILE_NO_FLAGS);
        if (!compose && composeLocale != "en_US.UTF-8") {
            composeLocale = "en_US.UTF-8";
            compose = xkb_compose_table_new_from_locale(context, composeLocale.c_str(), XKB_COMPOSE_COMPILE_NO_FLAGS);
        }
        return compose;
    }

    const MoCatalog& Catalog(const std::string& language) {
        auto it = catalogs.find(language);
        if (it != catalogs.end()) return it->second;
        MoCatalog& catalog = catalogs[language];
        catalog.Load(options.localeDir + "/" + language + "/LC_MESSAGES/xkeyboard-config.mo");
        return catalog;
    }
};

XkbKeyboardLayouts::XkbKeyboardLayouts(XkbKeyboardOptions options) : m(std::make_unique<Impl>()) {
    m->options = std::move(options);
    m->context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (m->context) xkb_context_set_log_level(m->context, XKB_LOG_LEVEL_CRITICAL);
}

XkbKeyboardLayouts::~XkbKeyboardLayouts() {
    xkb_compose_table_unref(m->compose);
    xkb_context_unref(m->context);
}

const std::vector<KeyboardLayout>& XkbKeyboardLayouts::Available() {
    m->LoadRegistry();
    return m->available;
}

bool XkbKeyboardLayouts::Find(const std::string& name, KeyboardLayout& layout) {
    const std::vector<KeyboardLayout>& all = Available();
    auto it = std::lower_bound(all.begin(), all.end(), name,
                               [](const KeyboardLayout& l, const std::string& n) { return l.name < n; });
    if (it == all.end() || it->name != name) return false;
    layout = *it;
    return true;
}

const std::vector<KeyboardLayout>& XkbKeyboardLayouts::Configured() {
    if (m->configuredLoaded) return m->configured;
    m->configuredLoaded = true;
    std::vector<std::string> names = m->options.configured.empty() ? DesktopLayoutNames() : m->options.configured;
    for (const std::string& name : names) {
        KeyboardLayout layout;
        bool known = Find(name, layout);
        bool duplicate = std::any_of(m->configured.begin(), m->configured.end(),
                                     [&](const KeyboardLayout& l) { return l.name == name; });
        if (known && !duplicate) m->configured.push_back(layout);
    }
    if (m->configured.empty()) {
        KeyboardLayout us;
        if (!Find("us", us)) {
            us.name = us.layout = "us";
            us.description = "English (US)";
            us.language = "eng";
        }
        m->configured.push_back(us);
    }
    return m->configured;
}

std::string XkbKeyboardLayouts::DisplayName(const KeyboardLayout& layout, const std::string& uiLanguage) {
    if (uiLanguage.empty() || uiLanguage == "en") return layout.description;
    return m->Catalog(uiLanguage).Translate(layout.description);
}

std::unique_ptr<IKeyTranslator> XkbKeyboardLayouts::Open(const std::string& name, LayoutError* error) {
    auto fail = [&](LayoutError code) {
        if (error) *error = code;
        return std::unique_ptr<IKeyTranslator>();
    };
    if (!m->context) return fail(LayoutError::NoData);
    KeyboardLayout layout;
    if (!Find(name, layout)) {
        // Without a registry the keymap data alone decides what exists.
        if (!Available().empty() || !SplitLayoutName(name, layout.layout, layout.variant))
            return fail(LayoutError::UnknownLayout);
        layout.name = name;
        layout.description = name;
    }
    xkb_rule_names names{"evdev", "pc105", layout.layout.c_str(), layout.variant.c_str(), ""};
    xkb_keymap* keymap = xkb_keymap_new_from_names(m->context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) return fail(LayoutError::KeymapFailed);
    if (error) *error = LayoutError::None;
    return std::make_unique<XkbKeyTranslator>(layout, keymap, m->Compose());
}

const std::string& XkbKeyboardLayouts::Active() {
    if (m->active.empty()) m->active = Configured().front().name;
    return m->active;
}

bool XkbKeyboardLayouts::SetActive(const std::string& name) {
    KeyboardLayout layout;
    if (!Find(name, layout)) return false;
    m->active = name;
    return true;
}

bool XkbKeyboardLayouts::CapsLockOn() { return DesktopCapsLockOn(); }

std::string XkbKeyboardLayouts::ComposeLocale() const {
    m->Compose();
    return m->composeLocale;
}
