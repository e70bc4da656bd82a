// Every user-visible text of the program, looked up by its numeric string id.
//
// Each text exists in English (the reference wording), German, French and Russian.
// The language follows the user's locale (LC_ALL, LC_MESSAGES, LANG) with English as
// the fallback; the program may also set it explicitly.
#pragma once

#include <cstddef>
#include <string>

enum class Language { English = 0, German = 1, French = 2, Russian = 3 };
constexpr int kLanguageCount = 4;

struct StringEntry {
    int id;
    const char* text[kLanguageCount];  // UTF-8, indexed by Language
};

// The whole table, in no particular order (for tests and tools).
const StringEntry* AllStrings(size_t& count);

// The language a locale name such as "de_DE.UTF-8" asks for; English when unknown.
Language LanguageFromLocale(const char* locale);
// The language of the user's environment.
Language LanguageFromEnvironment();

Language CurrentLanguage();
void SetCurrentLanguage(Language lang);

// The text with this id in the current (or given) language; empty when there is none.
const char* GetString(int id);
const char* GetString(int id, Language lang);

// printf-style formatting of a text that carries %s / %d, as the texts do.
std::string FormatString(int id, ...);
