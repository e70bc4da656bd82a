// Saves a picture of the glyph page with the sample signature traced between "E" and "g"
// of DejaVu Serif, in each language: for looking at, not a test.
// Usage: glyphpage_screens OUTDIR PICTURE FONTFILE
#include <QApplication>
#include <cstdio>
#include <string>

#include "CPenmarkDlg.h"
#include "ImageFormatRegistry.h"
#include "PenmarkDocument.h"
#include "Strings.h"
#include "WizardPages.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: glyphpage_screens OUTDIR PICTURE FONTFILE\n");
        return 2;
    }
    const char* names[] = {"en", "de", "fr", "ru"};
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        SetCurrentLanguage(Language(lang));
        ImageFormatRegistry registry;
        CPenmarkDocument doc;
        doc.SetImageRegistry(&registry);
        FontInfo font;
        font.szFullName = font.szFaceName = font.lf.lfFaceName = "DejaVu Serif";
        font.szPath = argv[3];
        doc.SetFontInfo(font);
        if (!doc.LoadImageFile(argv[2])) return 1;
        doc.SelectInkIfEmpty();
        doc.ComputeInkRect();
        if (!doc.TraceSelection()) return 1;
        CPenmarkDlg sheet(&doc);
        CreateWizardPages(sheet);
        sheet.resize(720, 540);
        sheet.show();
        sheet.SetActivePage(1);
        sheet.SetActivePage(5);
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        std::string file = std::string(argv[1]) + "/glyphpage-" + names[lang] + ".png";
        sheet.grab().save(QString::fromStdString(file));
        std::printf("%s\n", file.c_str());
    }
    return 0;
}
