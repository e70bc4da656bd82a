#include "Strings.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern const StringEntry kAllStrings[];
extern const size_t kAllStringsCount;

namespace {

// Index sorted by id, built once on first look-up.
const std::vector<const StringEntry*>& SortedIndex() {
    static const std::vector<const StringEntry*> index = [] {
        std::vector<const StringEntry*> v;
        v.reserve(kAllStringsCount);
        for (size_t i = 0; i < kAllStringsCount; ++i) v.push_back(&kAllStrings[i]);
        std::sort(v.begin(), v.end(),
                  [](const StringEntry* a, const StringEntry* b) { return a->id < b->id; });
        return v;
    }();
    return index;
}

Language g_language = LanguageFromEnvironment();

}  // namespace

const StringEntry* AllStrings(size_t& count) {
    count = kAllStringsCount;
    return kAllStrings;
}

Language LanguageFromLocale(const char* locale) {
    if (!locale || !*locale) return Language::English;
    auto starts = [locale](const char* p) { return std::strncmp(locale, p, 2) == 0; };
    if (starts("de")) return Language::German;
    if (starts("fr")) return Language::French;
    if (starts("ru")) return Language::Russian;
    return Language::English;
}

Language LanguageFromEnvironment() {
    // The first of these that is set and non-empty decides, as for message catalogues.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return LanguageFromLocale(value);
    }
    return Language::English;
}

Language CurrentLanguage() { return g_language; }
void SetCurrentLanguage(Language lang) { g_language = lang; }

const char* GetString(int id, Language lang) {
    const auto& index = SortedIndex();
    auto it = std::lower_bound(index.begin(), index.end(), id,
                               [](const StringEntry* e, int key) { return e->id < key; });
    if (it == index.end() || (*it)->id != id) return "";
    const char* text = (*it)->text[int(lang)];
    if (!text || !*text) text = (*it)->text[int(Language::English)];
    return text ? text : "";
}

const char* GetString(int id) { return GetString(id, g_language); }

std::string FormatString(int id, ...) {
    const char* fmt = GetString(id);
    va_list args;
    va_start(args, id);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(size_t(n) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, args);
        out.resize(size_t(n));
    }
    va_end(args);
    return out;
}
