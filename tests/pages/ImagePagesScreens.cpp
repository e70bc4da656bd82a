// Saves pictures of the image source, edit-image and select-area pages with a real
// picture, in each language: for looking at, not a test.
// Usage: imagepages_screens OUTDIR PICTURE
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <cstdio>
#include <string>

#include "COpenImagePage.h"
#include "CPenmarkDlg.h"
#include "ImageFormatRegistry.h"
#include "PenmarkDocument.h"
#include "Strings.h"
#include "WizardPages.h"

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

void Save(CPenmarkDlg& sheet, const std::string& file) {
    Settle();
    sheet.grab().save(QString::fromStdString(file));
    std::printf("%s\n", file.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: imagepages_screens OUTDIR PICTURE\n");
        return 2;
    }
    const std::string out = argv[1];
    const char* names[] = {"en", "de", "fr", "ru"};
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        SetCurrentLanguage(Language(lang));
        ImageFormatRegistry registry;
        CPenmarkDocument doc;
        doc.SetImageRegistry(&registry);
        CPenmarkDlg sheet(&doc);
        CreateWizardPages(sheet);
        SetProgressSheet(&sheet);
        doc.SetServices(PlatformServices{nullptr, nullptr, nullptr, nullptr, ProgressCallback});
        sheet.resize(720, 540);
        sheet.show();
        sheet.SetActivePage(1);
        sheet.SetActivePage(2);
        auto* source = dynamic_cast<COpenImagePage*>(sheet.Page(2));
        source->ImagePathEdit()->setText(QString::fromUtf8(argv[2]));
        std::string prefix = out + "/imagepages-" + names[lang];
        Save(sheet, prefix + "-source.png");
        sheet.button(QWizard::NextButton)->click();
        Save(sheet, prefix + "-edit.png");
        sheet.button(QWizard::NextButton)->click();
        Save(sheet, prefix + "-select.png");
        SetProgressSheet(nullptr);
    }
    return 0;
}
