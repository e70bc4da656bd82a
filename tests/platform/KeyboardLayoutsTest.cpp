// Layouts and key translation on the real xkeyboard-config data and compose tables.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "CodePages.h"
#include "KeyboardLayouts.h"
#include "MoCatalog.h"
#include "XkbKeyboard.h"

namespace {

bool Readable(const char* path) { return ::access(path, R_OK) == 0; }

bool HaveXkbData() {
    return Readable("/usr/share/X11/xkb/symbols/us") && Readable("/usr/share/X11/xkb/rules/evdev.xml") &&
           Readable("/usr/share/X11/locale/en_US.UTF-8/Compose");
}

#define REQUIRE_XKB()                                                                      \
    do {                                                                                   \
        if (!HaveXkbData()) {                                                              \
            if (!std::getenv("CI")) GTEST_SKIP() << "xkb-data and libx11-data are needed"; \
            FAIL() << "xkb-data and libx11-data are needed";                               \
        }                                                                                  \
    } while (0)

std::string Utf8(const KeyTranslation& t) { return Utf32ToUtf8(t.chars); }

struct KeyboardTest : ::testing::Test {
    void SetUp() override { REQUIRE_XKB(); }
    std::unique_ptr<IKeyTranslator> Open(const char* name) {
        LayoutError error = LayoutError::NoData;
        auto translator = layouts.Open(name, &error);
        EXPECT_TRUE(translator) << name;
        EXPECT_EQ(error, LayoutError::None);
        return translator;
    }
    XkbKeyboardLayouts layouts{XkbKeyboardOptions{{"us"}, "C", "", "/usr/share/locale"}};
};

TEST_F(KeyboardTest, UsLettersFollowShiftAndCapsLock) {
    auto us = Open("us");
    ASSERT_TRUE(us);
    EXPECT_EQ(Utf8(us->Translate(0x1E, 0)), "a");
    EXPECT_EQ(Utf8(us->Translate(0x1E, KeyShift::kShift)), "A");
    EXPECT_EQ(Utf8(us->Translate(0x1E, 0, true)), "A");
    EXPECT_EQ(Utf8(us->Translate(0x1E, KeyShift::kShift, true)), "a");
    EXPECT_EQ(Utf8(us->Translate(0x02, KeyShift::kShift)), "!");
    EXPECT_EQ(Utf8(us->Translate(kScanSpace, 0)), " ");
    // No third level on US keys, and Ctrl alone gives the control character.
    EXPECT_EQ(us->Translate(0x1E, KeyShift::kThirdLevel).count, 0);
    EXPECT_EQ(us->Translate(0x1E, KeyShift::kCtrl).chars, std::u32string(1, 0x01));
    EXPECT_EQ(us->Translate(0x02, KeyShift::kCtrl).count, 0);
    // Keys outside the keymap and modifiers type nothing.
    EXPECT_EQ(us->Translate(0x2A, 0).count, 0);
    EXPECT_EQ(us->Translate(0xFFFF, 0).count, 0);
    EXPECT_EQ(us->VirtualKeyFromScanCode(0x1E), 'A');
    EXPECT_EQ(us->VirtualKeyFromScanCode(0x27), 0xBA);
}

TEST_F(KeyboardTest, GermanDeadAcuteComposesWithTheNextLetter) {
    auto de = Open("de");
    ASSERT_TRUE(de);
    EXPECT_EQ(Utf8(de->Translate(0x15, 0)), "z");  // QWERTZ
    EXPECT_EQ(Utf8(de->Translate(0x10, KeyShift::kThirdLevel)), "@");
    KeyTranslation acute = de->Translate(0x0D, 0);
    EXPECT_TRUE(acute.Dead());
    EXPECT_EQ(Utf8(acute), "´");
    ASSERT_EQ(de->PendingDeadKeys().size(), 1u);
    KeyTranslation e = de->Translate(0x12, 0);
    EXPECT_EQ(e.count, 1);
    EXPECT_EQ(Utf8(e), "é");
    EXPECT_TRUE(de->PendingDeadKeys().empty());
    // Shift on the same key is the dead grave; capital letters compose too.
    EXPECT_TRUE(de->Translate(0x0D, KeyShift::kShift).Dead());
    EXPECT_EQ(Utf8(de->Translate(0x12, KeyShift::kShift)), "È");
    // A letter the accent does not combine with gives both.
    de->Translate(0x0D, 0);
    KeyTranslation x = de->Translate(0x2D, 0);
    EXPECT_EQ(x.count, 2);
    EXPECT_EQ(Utf8(x), "´x");
    // Clearing forgets the accent; replaying brings it back.
    de->Translate(0x29, 0);  // dead circumflex
    std::vector<KeyStroke> pending = de->PendingDeadKeys();
    de->ClearDeadKeys();
    EXPECT_EQ(Utf8(de->Translate(0x12, 0)), "e");
    de->ReplayDeadKeys(pending);
    EXPECT_EQ(Utf8(de->Translate(0x12, 0)), "ê");
}

TEST_F(KeyboardTest, DeadKeysChainAsTheComposeTableSaysAndEndWhenItDoes) {
    auto de = Open("de");
    ASSERT_TRUE(de);
    // Circumflex then acute is the start of a Vietnamese letter.
    EXPECT_TRUE(de->Translate(0x29, 0).Dead());
    EXPECT_TRUE(de->Translate(0x0D, 0).Dead());
    EXPECT_EQ(de->PendingDeadKeys().size(), 2u);
    KeyTranslation third = de->Translate(0x29, 0);
    EXPECT_EQ(Utf8(third), "^´^");
    EXPECT_TRUE(de->PendingDeadKeys().empty());
    // A fourth accent starts afresh and composes with the letter.
    EXPECT_TRUE(de->Translate(0x0D, 0).Dead());
    EXPECT_EQ(Utf8(de->Translate(0x12, 0)), "é");
    de->Translate(0x29, 0);
    de->Translate(0x0D, 0);
    EXPECT_EQ(Utf8(de->Translate(0x12, 0)), "ế");
}

TEST(KeyboardComposeTest, AtMostThreeDeadKeysWaitAndTheOldestIsDropped) {
    REQUIRE_XKB();
    std::string file = std::string(PENMARK_TEST_TMP) + "/long.compose";
    {
        std::ofstream out(file);
        out << "<dead_acute> <dead_acute> <dead_acute> <dead_acute> <dead_acute> <e> : \"X\"\n"
               "<dead_acute> <dead_acute> <dead_acute> <e> : \"3\"\n";
    }
    XkbKeyboardLayouts layouts{XkbKeyboardOptions{{"de"}, "C", file, "/usr/share/locale"}};
    auto de = layouts.Open("de");
    ASSERT_TRUE(de);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(de->Translate(0x0D, 0).Dead()) << i;
    ASSERT_EQ(de->PendingDeadKeys().size(), kMaxPendingDeadKeys);
    // The last three are pending: the three-accent sequence completes.
    EXPECT_EQ(Utf8(de->Translate(0x12, 0)), "3");
    std::vector<KeyStroke> four(4, KeyStroke{0x0D, 0});
    de->ReplayDeadKeys(four);
    EXPECT_EQ(de->PendingDeadKeys().size(), kMaxPendingDeadKeys);
    std::remove(file.c_str());
}

TEST_F(KeyboardTest, FrenchKeysGiveAzertyLegends) {
    auto fr = Open("fr");
    ASSERT_TRUE(fr);
    EXPECT_EQ(Utf8(fr->Translate(0x10, 0)), "a");
    EXPECT_EQ(Utf8(fr->Translate(0x11, 0)), "z");
    EXPECT_EQ(Utf8(fr->Translate(0x1E, 0)), "q");
    EXPECT_EQ(Utf8(fr->Translate(0x27, 0)), "m");
    EXPECT_EQ(Utf8(fr->Translate(0x02, 0)), "&");
    EXPECT_EQ(Utf8(fr->Translate(0x02, KeyShift::kShift)), "1");
    EXPECT_EQ(Utf8(fr->Translate(0x03, 0)), "é");
    EXPECT_TRUE(fr->Translate(0x1A, 0).Dead());  // circumflex
    EXPECT_EQ(Utf8(fr->Translate(0x12, 0)), "ê");
    EXPECT_EQ(fr->VirtualKeyFromScanCode(0x10), 'A');
    EXPECT_EQ(fr->VirtualKeyFromScanCode(0x1E), 'Q');
    EXPECT_EQ(fr->Layout().codePage, 1252);
}

TEST_F(KeyboardTest, RussianKeysGiveCyrillicBytesOfCodePage1251) {
    auto ru = Open("ru");
    ASSERT_TRUE(ru);
    EXPECT_EQ(ru->Layout().codePage, 1251);
    EXPECT_EQ(ru->Layout().charset, 204);
    CodePageCodec codec(ru->Layout().codePage);
    ASSERT_TRUE(codec.Ok());
    EXPECT_EQ(codec.Encode(ru->Translate(0x1E, 0).chars), std::optional<std::string>("\xF4"));  // ф
    EXPECT_EQ(codec.Encode(ru->Translate(0x1E, KeyShift::kShift).chars), std::optional<std::string>("\xD4"));
    EXPECT_EQ(codec.Encode(ru->Translate(0x10, 0).chars), std::optional<std::string>("\xE9"));  // й
    // Letter keys keep the virtual keys of their US positions.
    EXPECT_EQ(ru->VirtualKeyFromScanCode(0x1E), 'A');
}

TEST_F(KeyboardTest, AnUnknownLayoutIsAClearError) {
    for (const char* name : {"zz", "us(nosuchvariant)", "", "us((", "../us"}) {
        LayoutError error = LayoutError::None;
        EXPECT_FALSE(layouts.Open(name, &error)) << name;
        EXPECT_EQ(error, LayoutError::UnknownLayout) << name;
    }
    EXPECT_FALSE(layouts.SetActive("zz"));
    EXPECT_EQ(layouts.Active(), "us");
    EXPECT_TRUE(layouts.SetActive("ru"));
    EXPECT_EQ(layouts.Active(), "ru");
}

TEST_F(KeyboardTest, RegistryGivesLanguagesAndTranslatedNames) {
    KeyboardLayout de, ru, nodead;
    ASSERT_TRUE(layouts.Find("de", de));
    ASSERT_TRUE(layouts.Find("ru", ru));
    ASSERT_TRUE(layouts.Find("de(nodeadkeys)", nodead));
    EXPECT_EQ(AnsiCodePageForLanguage(de.language), 1252);
    EXPECT_EQ(ru.codePage, 1251);
    EXPECT_EQ(nodead.codePage, 1252);
    EXPECT_FALSE(nodead.language.empty());
    EXPECT_GT(layouts.Available().size(), 100u);
    // Arabic-script layouts write in the Arabic code page, Dari too, although the registry
    // gives it a language code that is not Dari's.
    for (const char* name : {"ara", "ir", "af", "af(ps)", "pk"}) {
        KeyboardLayout layout;
        ASSERT_TRUE(layouts.Find(name, layout)) << name;
        EXPECT_EQ(layout.codePage, 1256) << name << " " << layout.language;
    }
    EXPECT_EQ(layouts.DisplayName(de, "en"), de.description);
    // A language without a catalogue keeps the English description.
    EXPECT_EQ(layouts.DisplayName(de, "xx"), de.description);
    if (!Readable("/usr/share/locale/de/LC_MESSAGES/xkeyboard-config.mo")) {
        if (!std::getenv("CI")) GTEST_SKIP() << "xkb-data's translations are needed";
        FAIL() << "xkb-data's translations are needed";
    }
    EXPECT_EQ(layouts.DisplayName(de, "de"), "Deutsch");
    EXPECT_EQ(layouts.DisplayName(ru, "fr"), "Russe");
    EXPECT_EQ(layouts.DisplayName(ru, "ru"), "Русская");
}

TEST_F(KeyboardTest, ConfiguredLayoutsSkipUnknownNamesAndFallBackToUs) {
    XkbKeyboardLayouts some{XkbKeyboardOptions{{"de", "zz", "de", "ru"}, "C", "", "/usr/share/locale"}};
    ASSERT_EQ(some.Configured().size(), 2u);
    EXPECT_EQ(some.Configured()[0].name, "de");
    EXPECT_EQ(some.Active(), "de");
    XkbKeyboardLayouts none{XkbKeyboardOptions{{"zz"}, "C", "", "/usr/share/locale"}};
    ASSERT_EQ(none.Configured().size(), 1u);
    EXPECT_EQ(none.Configured()[0].name, "us");
    EXPECT_EQ(none.ComposeLocale(), "en_US.UTF-8");
}

TEST(KeyboardConfigTest, ConfigurationFilesNameLayoutsAndVariants) {
    EXPECT_EQ(PairLayoutNames("us,de", ",nodeadkeys"), (std::vector<std::string>{"us", "de(nodeadkeys)"}));
    EXPECT_EQ(PairLayoutNames("", ""), std::vector<std::string>{});
    EXPECT_EQ(LayoutNamesFromConfig("XKBMODEL=\"pc105\"\nXKBLAYOUT=\"fr,ru\"\nXKBVARIANT=\"azerty,\"\n"),
              (std::vector<std::string>{"fr(azerty)", "ru"}));
    EXPECT_EQ(LayoutNamesFromConfig("# XKBLAYOUT=\"ru\"\nXKBLAYOUT=de\n"), std::vector<std::string>{"de"});
    EXPECT_EQ(LayoutNamesFromConfig("Section \"InputClass\"\n  Option \"XkbLayout\" \"de\"\nEndSection\n"),
              std::vector<std::string>{"de"});
    std::string layout, variant;
    EXPECT_TRUE(SplitLayoutName("de(nodeadkeys)", layout, variant));
    EXPECT_EQ(layout + "/" + variant, "de/nodeadkeys");
    EXPECT_FALSE(SplitLayoutName("de(x", layout, variant));
}

TEST(CodePageTest, LanguagesMapToTheirAnsiCodePages) {
    EXPECT_EQ(AnsiCodePageForLanguage("pol"), 1250);
    EXPECT_EQ(AnsiCodePageForLanguage("ukr"), 1251);
    EXPECT_EQ(AnsiCodePageForLanguage("gre"), 1253);
    EXPECT_EQ(AnsiCodePageForLanguage("tr"), 1254);
    EXPECT_EQ(AnsiCodePageForLanguage("heb"), 1255);
    EXPECT_EQ(AnsiCodePageForLanguage("ara"), 1256);
    EXPECT_EQ(AnsiCodePageForLanguage("lav"), 1257);
    EXPECT_EQ(AnsiCodePageForLanguage("vie"), 1258);
    EXPECT_EQ(AnsiCodePageForLanguage("tha"), 874);
    EXPECT_EQ(AnsiCodePageForLanguage("jpn"), 932);
    EXPECT_EQ(AnsiCodePageForLanguage("chi", "CN"), 936);
    EXPECT_EQ(AnsiCodePageForLanguage("chi", "TW"), 950);
    EXPECT_EQ(AnsiCodePageForLanguage("kor"), 949);
    EXPECT_EQ(AnsiCodePageForLanguage("xyz"), 1252);
    EXPECT_EQ(CharsetForCodePage(1251), 204);
    EXPECT_EQ(CharsetForCodePage(950), 136);
    EXPECT_EQ(CharsetForCodePage(437), 1);
}

TEST(CodePageTest, CodecsConvertEveryTableCodePage) {
    for (int cp : {1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 874, 932, 936, 949, 950}) {
        CodePageCodec codec(cp);
        ASSERT_TRUE(codec.Ok()) << cp;
        EXPECT_EQ(codec.Decode("A"), std::optional<std::u32string>(U"A")) << cp;
    }
    CodePageCodec western(1252);
    EXPECT_EQ(western.Decode("\x80"), std::optional<std::u32string>(U"\u20AC"));
    EXPECT_EQ(western.Encode(U"\u00E9"), std::optional<std::string>("\xE9"));
    EXPECT_FALSE(western.Encode(U"\u0444"));
    EXPECT_FALSE(western.Decode("\x81"));  // unassigned in 1252
    CodePageCodec japanese(932);
    EXPECT_EQ(japanese.Encode(U"\u3042"), std::optional<std::string>("\x82\xA0"));
    EXPECT_FALSE(japanese.Decode("\x82"));  // half a character
    CodePageCodec none(12345);
    EXPECT_FALSE(none.Ok());
    EXPECT_FALSE(none.Encode(U"A"));
    EXPECT_EQ(Utf8ToUtf32("a\xC3\xA9\xFF\xE2\x82"), (std::u32string{U'a', 0xE9, 0xFFFD, 0xFFFD, 0xFFFD}));
}

TEST(MoCatalogTest, MalformedCataloguesAreEmptyNotACrash) {
    MoCatalog catalog;
    EXPECT_FALSE(catalog.Parse(nullptr, 0));
    const uint8_t header[] = {0xde, 0x12, 0x04, 0x95, 0, 0, 0, 0, 0xff, 0xff, 0xff, 0x0f,
                              28, 0, 0, 0, 36, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(catalog.Parse(header, sizeof header));
    // One message whose strings point past the end.
    uint8_t one[44] = {0xde, 0x12, 0x04, 0x95, 0, 0, 0, 0, 1, 0, 0, 0, 28, 0, 0, 0, 36, 0, 0, 0};
    one[28] = 1;
    one[32] = 200;
    EXPECT_FALSE(catalog.Parse(one, sizeof one));
    EXPECT_EQ(catalog.Translate("German"), "German");
    EXPECT_FALSE(catalog.Load("/nonexistent/file.mo"));
}

}  // namespace

// The X server tells the desktop's layouts: a private Xvfb, given the names a desktop's
// keyboard settings write.
namespace {

class PrivateXServer {
public:
    PrivateXServer() {
        m_display = ":" + std::to_string(300 + ::getpid() % 400);
        std::string socket = "/tmp/.X11-unix/X" + m_display.substr(1);
        if (::access(socket.c_str(), F_OK) == 0) return;  // taken by someone else
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::vector<std::string> args{"Xvfb", m_display, "-nolisten", "tcp", "-noreset", "-screen", "0", "320x240x24"};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        for (int i = 0; i < 100 && m_pid > 0 && ::access(socket.c_str(), F_OK) != 0; ++i) ::usleep(50000);
    }
    ~PrivateXServer() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool Ok() const { return m_pid > 0; }
    const std::string& Display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

// Sets the root window's keyboard rules names, as a desktop's keyboard settings do.
bool SetRulesNames(const std::string& names) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    bool ok = !xcb_connection_has_error(c);
    if (ok) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const char name[] = "_XKB_RULES_NAMES";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr);
        ok = atom && screen;
        if (ok) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, atom->atom, XCB_ATOM_STRING, 8,
                                uint32_t(names.size()), names.data());
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // a round trip
        }
        std::free(atom);
    }
    xcb_disconnect(c);
    return ok;
}

bool OnPath(const char* tool) {
    for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"})
        if (::access((std::string(dir) + tool).c_str(), X_OK) == 0) return true;
    return false;
}

TEST(DesktopKeyboardTest, TheXServerTellsItsLayouts) {
    if (!OnPath("Xvfb")) {
        if (!std::getenv("CI")) GTEST_SKIP() << "xvfb is needed";
        FAIL() << "xvfb is needed";
    }
    PrivateXServer server;
    ASSERT_TRUE(server.Ok());
    const char* saved = std::getenv("DISPLAY");
    std::string savedDisplay = saved ? saved : "";
    ::setenv("DISPLAY", server.Display().c_str(), 1);
    // The server starts with its default keyboard, then takes the names a desktop sets.
    EXPECT_EQ(DesktopLayoutNames(), std::vector<std::string>{"us"});
    ASSERT_TRUE(SetRulesNames(std::string("evdev\0pc105\0de,ru\0nodeadkeys,\0\0", 28)));
    EXPECT_EQ(DesktopLayoutNames(), (std::vector<std::string>{"de(nodeadkeys)", "ru"}));
    EXPECT_FALSE(DesktopCapsLockOn());
    XkbKeyboardLayouts layouts;
    EXPECT_EQ(layouts.Active(), "de(nodeadkeys)");
    ASSERT_EQ(layouts.Configured().size(), 2u);
    EXPECT_EQ(layouts.Configured()[1].codePage, 1251);
    if (saved)
        ::setenv("DISPLAY", savedDisplay.c_str(), 1);
    else
        ::unsetenv("DISPLAY");
}

}  // namespace
