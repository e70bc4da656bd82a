// What the desktop tells about its keyboard: the configured layouts and Caps Lock.
#include <xcb/xcb.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "KeyboardLayouts.h"
#include "XkbKeyboard.h"

namespace {

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, ',')) parts.push_back(part);
    if (!text.empty() && text.back() == ',') parts.push_back({});
    return parts;
}

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\"'");
    size_t end = text.find_last_not_of(" \t\"'\r");
    return begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
}

struct XcbConnection {
    xcb_connection_t* c = nullptr;
    xcb_screen_t* screen = nullptr;
    XcbConnection() {
        if (!std::getenv("DISPLAY")) return;
        int screenNumber = 0;
        c = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(c)) return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; it.rem && i < screenNumber; ++i) xcb_screen_next(&it);
        if (it.rem) screen = it.data;
    }
    ~XcbConnection() {
        if (c) xcb_disconnect(c);
    }
    bool Ok() const { return c && screen && !xcb_connection_has_error(c); }
};

// The X server's keyboard rules names: rules, model, layout, variant, options.
std::vector<std::string> XServerLayoutNames() {
    XcbConnection x;
    if (!x.Ok()) return {};
    const char name[] = "_XKB_RULES_NAMES";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(x.c, xcb_intern_atom(x.c, 1, uint16_t(std::strlen(name)), name), nullptr);
    if (!atom) return {};
    xcb_atom_t property = atom->atom;
    std::free(atom);
    if (property == XCB_ATOM_NONE) return {};
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        x.c, xcb_get_property(x.c, 0, x.screen->root, property, XCB_ATOM_STRING, 0, 1024), nullptr);
    if (!reply) return {};
    const char* value = static_cast<const char*>(xcb_get_property_value(reply));
    int length = xcb_get_property_value_length(reply);
    std::vector<std::string> fields;
    std::string field;
    for (int i = 0; i < length; ++i) {
        if (value[i] == '\0') {
            fields.push_back(field);
            field.clear();
        } else {
            field.push_back(value[i]);
        }
    }
    if (!field.empty()) fields.push_back(field);
    std::free(reply);
    if (fields.size() < 3) return {};
    return PairLayoutNames(fields[2], fields.size() > 3 ? fields[3] : std::string());
}

std::string ReadFile(const char* path) {
    std::ifstream in(path);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string LayoutName(const std::string& layout, const std::string& variant) {
    return variant.empty() ? layout : layout + "(" + variant + ")";
}

bool SplitLayoutName(const std::string& name, std::string& layout, std::string& variant) {
    auto plain = [](const std::string& part) {
        return !part.empty() && std::all_of(part.begin(), part.end(), [](unsigned char c) {
            return std::isalnum(c) || c == '_' || c == '-';
        });
    };
    size_t open = name.find('(');
    if (open == std::string::npos) {
        if (!plain(name)) return false;
        layout = name;
        variant.clear();
        return true;
    }
    if (name.back() != ')') return false;
    std::string base = name.substr(0, open), inner = name.substr(open + 1, name.size() - open - 2);
    if (!plain(base) || !plain(inner)) return false;
    layout = base;
    variant = inner;
    return true;
}

std::vector<std::string> PairLayoutNames(const std::string& layouts, const std::string& variants) {
    std::vector<std::string> names;
    std::vector<std::string> layoutList = SplitCommas(layouts), variantList = SplitCommas(variants);
    for (size_t i = 0; i < layoutList.size(); ++i) {
        std::string layout = Trim(layoutList[i]);
        if (layout.empty()) continue;
        std::string variant = i < variantList.size() ? Trim(variantList[i]) : std::string();
        names.push_back(LayoutName(layout, variant));
    }
    return names;
}

std::vector<std::string> LayoutNamesFromConfig(const std::string& text) {
    std::string layouts, variants;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        std::string upper = line;
        for (char& ch : upper) ch = char(std::toupper(static_cast<unsigned char>(ch)));
        std::string* target = nullptr;
        size_t at = std::string::npos;
        for (auto [key, list] : {std::pair<const char*, std::string*>{"XKBLAYOUT", &layouts}, {"XKBVARIANT", &variants}}) {
            size_t found = upper.find(key);
            if (found == std::string::npos) continue;
            target = list;
            at = found + std::strlen(key);
        }
        if (!target) continue;
        std::string rest = line.substr(at);
        if (size_t eq = rest.find('='); eq != std::string::npos && rest.find_first_not_of(" \t") == eq) {
            rest = rest.substr(eq + 1);  // XKBLAYOUT="us,de"
        } else {
            // Option "XkbLayout" "us,de": the value is the next quoted text.
            size_t close = rest.find('"');
            size_t open = close == std::string::npos ? close : rest.find('"', close + 1);
            size_t end = open == std::string::npos ? open : rest.find('"', open + 1);
            if (end == std::string::npos) continue;
            rest = rest.substr(open + 1, end - open - 1);
        }
        *target = Trim(rest);
    }
    return PairLayoutNames(layouts, variants);
}

std::vector<std::string> DesktopLayoutNames() {
    std::vector<std::string> names = XServerLayoutNames();
    if (!names.empty()) return names;
    for (const char* path : {"/etc/default/keyboard", "/etc/X11/xorg.conf.d/00-keyboard.conf", "/etc/vconsole.conf"}) {
        names = LayoutNamesFromConfig(ReadFile(path));
        if (!names.empty()) return names;
    }
    return {};
}

bool DesktopCapsLockOn() {
    XcbConnection x;
    if (!x.Ok()) return false;
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(x.c, xcb_query_pointer(x.c, x.screen->root), nullptr);
    if (!reply) return false;
    bool on = (reply->mask & XCB_MOD_MASK_LOCK) != 0;
    std::free(reply);
    return on;
}
