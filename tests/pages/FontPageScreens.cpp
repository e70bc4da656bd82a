// Saves a picture of the font page in each language, at the size given: for looking at,
// not a test. Usage: fontpage_screens OUTDIR [WIDTH HEIGHT]
#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <string>

#include "CPenmarkDlg.h"
#include "PenmarkDocument.h"
#include "Strings.h"
#include "WizardPages.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: fontpage_screens OUTDIR [WIDTH HEIGHT]\n");
        return 2;
    }
    int width = argc > 3 ? std::stoi(argv[2]) : 0, height = argc > 3 ? std::stoi(argv[3]) : 0;
    const char* names[] = {"en", "de", "fr", "ru"};
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        SetCurrentLanguage(Language(lang));
        CPenmarkDocument doc;
        CPenmarkDlg sheet(&doc);
        CreateWizardPages(sheet);
        sheet.show();
        if (width > 0) sheet.resize(width, height);
        sheet.next();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        std::string file = std::string(argv[1]) + "/fontpage-" + names[lang] + ".png";
        sheet.grab().save(QString::fromStdString(file));
        std::printf("%s %dx%d\n", file.c_str(), sheet.width(), sheet.height());
    }
    return 0;
}
