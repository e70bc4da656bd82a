#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "StringIds.h"
#include "Strings.h"

namespace {

// The printf conversions of a text in order, so that translations take the same
// arguments as the English text.
std::vector<char> Conversions(const char* s) {
    std::vector<char> out;
    for (; *s; ++s) {
        if (*s != '%') continue;
        ++s;
        while (*s && std::string("-+ #0123456789.lh").find(*s) != std::string::npos) ++s;
        if (!*s) break;
        if (*s != '%') out.push_back(*s);
    }
    return out;
}

bool ValidUtf8(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 9;
        if (n == 9 || i + n >= s.size()) return false;
        for (size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        i += n + 1;
    }
    return true;
}

}  // namespace

TEST(Strings, EveryIdHasEveryLanguageOnce) {
    size_t count = 0;
    const StringEntry* all = AllStrings(count);
    ASSERT_GT(count, 0u);
    std::set<int> ids;
    for (size_t i = 0; i < count; ++i) {
        EXPECT_TRUE(ids.insert(all[i].id).second) << "duplicate id " << all[i].id;
        for (int lang = 0; lang < kLanguageCount; ++lang) {
            const char* t = all[i].text[lang];
            ASSERT_NE(t, nullptr) << "id " << all[i].id << " lacks language " << lang;
            EXPECT_NE(*t, '\0') << "id " << all[i].id << " is empty in language " << lang;
            EXPECT_TRUE(ValidUtf8(t)) << "id " << all[i].id << " language " << lang;
            EXPECT_EQ(Conversions(t), Conversions(all[i].text[0]))
                << "id " << all[i].id << " language " << lang << " takes other arguments";
        }
    }
}

// The program runs on a Linux desktop: no text may send the user to a Windows program,
// tool or folder. Texts kept on purpose would be listed here with the reason; there are
// none (the start-up refusal of an old platform is said by the platform's own box and
// is no text of the table).
TEST(Strings, NoTextNamesWindowsServices) {
    const std::set<int> kept = {};
    const char* const words[] = {"Windows", "Control Panel", "Systemsteuerung", "Panneau de configuration",
                                 "анель управления", "Fonts folder", "dossier Polices", "Schriftartenordner"};
    size_t count = 0;
    const StringEntry* all = AllStrings(count);
    for (size_t i = 0; i < count; ++i) {
        if (kept.count(all[i].id)) continue;
        for (int lang = 0; lang < kLanguageCount; ++lang)
            for (const char* word : words)
                EXPECT_EQ(std::string(all[i].text[lang]).find(word), std::string::npos)
                    << "id " << all[i].id << " language " << lang << " names " << word;
    }
}

// The intro names the navigation buttons by their captions, in each language.
TEST(Strings, IntroNamesTheButtonsByTheirCaptions) {
    auto caption = [](int id, Language lang) {
        std::string s = GetString(id, lang);
        s.erase(std::remove(s.begin(), s.end(), '&'), s.end());
        return s;
    };
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        const std::string intro = GetString(62111, Language(lang));
        for (int button : {62024, 62025}) {
            const std::string name = caption(button, Language(lang));
            ASSERT_FALSE(name.empty());
            EXPECT_NE(intro.find(name), std::string::npos) << "language " << lang << " lacks " << name;
        }
    }
}

TEST(Strings, CaptionAndLookup) {
    EXPECT_STREQ(GetString(StringId::kCaption, Language::English), "Penmark");
    EXPECT_STREQ(GetString(StringId::kCaption, Language::Russian), "Penmark");
    EXPECT_STREQ(GetString(-12345), "");
}

TEST(Strings, LanguageFollowsTheLocale) {
    EXPECT_EQ(LanguageFromLocale("de_DE.UTF-8"), Language::German);
    EXPECT_EQ(LanguageFromLocale("fr_CA"), Language::French);
    EXPECT_EQ(LanguageFromLocale("ru_RU.UTF-8"), Language::Russian);
    EXPECT_EQ(LanguageFromLocale("en_GB.UTF-8"), Language::English);
    EXPECT_EQ(LanguageFromLocale("C"), Language::English);
    EXPECT_EQ(LanguageFromLocale("ja_JP"), Language::English);
    EXPECT_EQ(LanguageFromLocale(nullptr), Language::English);

    setenv("LC_ALL", "", 1);
    setenv("LC_MESSAGES", "fr_FR.UTF-8", 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(LanguageFromEnvironment(), Language::French);
    setenv("LC_ALL", "ru_RU.UTF-8", 1);
    EXPECT_EQ(LanguageFromEnvironment(), Language::Russian);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    unsetenv("LANG");
    EXPECT_EQ(LanguageFromEnvironment(), Language::English);
}
