// Saves pictures of the keyboard on the us, de and ru layouts in each language, plain,
// with Shift latched and with the third level: for looking at, not a test.
// Usage: keyboard_screens OUTDIR [WIDTH HEIGHT]
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <cstdio>
#include <string>

#include "CKeyboardCtrl.h"
#include "Strings.h"
#include "XkbKeyboard.h"

namespace {

void Click(CKeyboardCtrl& keyboard, int index) {
    QTest::mouseClick(&keyboard, Qt::LeftButton, Qt::NoModifier, keyboard.Key(index).Bounds().center());
}

void Save(CKeyboardCtrl& keyboard, const std::string& file) {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    keyboard.grab().save(QString::fromStdString(file));
    std::printf("%s\n", file.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: keyboard_screens OUTDIR [WIDTH HEIGHT]\n");
        return 2;
    }
    int width = argc > 3 ? std::stoi(argv[2]) : 482, height = argc > 3 ? std::stoi(argv[3]) : 162;
    std::string dir = argv[1];
    const char* languages[] = {"en", "de", "fr", "ru"};
    for (const char* layout : {"us", "de", "ru"}) {
        for (int lang = 0; lang < kLanguageCount; ++lang) {
            SetCurrentLanguage(Language(lang));
            XkbKeyboardLayouts layouts{XkbKeyboardOptions{{layout}, "", "", "/usr/share/locale"}};
            CKeyboardCtrl keyboard(&layouts);
            keyboard.resize(width, height);
            keyboard.show();
            std::string base = dir + "/keyboard-" + layout + "-" + languages[lang];
            Save(keyboard, base + ".png");
            if (lang != 0) continue;
            Click(keyboard, CKeyboardCtrl::kLeftShift);
            Save(keyboard, base + "-shift.png");
            Click(keyboard, CKeyboardCtrl::kLeftShift);
            Click(keyboard, CKeyboardCtrl::kRightAlt);
            Save(keyboard, base + "-altgr.png");
            Click(keyboard, CKeyboardCtrl::kRightAlt);
            if (std::string(layout) == "de") {
                Click(keyboard, 12);  // the dead acute
                Save(keyboard, base + "-acute.png");
            }
        }
    }
    return 0;
}
