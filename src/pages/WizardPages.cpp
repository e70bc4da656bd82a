#include "WizardPages.h"

#include <QApplication>

#include "CEditImagePage.h"
#include "CFinishPage.h"
#include "CGlyphPage.h"
#include "CIntroPage.h"
#include "COpenFontPage.h"
#include "COpenImagePage.h"
#include "CPenmarkApp.h"
#include "CPenmarkDlg.h"
#include "CPlaceToFontPage.h"
#include "CSaveFontPage.h"
#include "CSelectAreaPage.h"
#include "PageIds.h"
#include "QtServices.h"
#include "StringIds.h"
#include "Strings.h"

void CreateWizardPages(CPenmarkDlg& sheet) {
    using namespace PageText;
    sheet.AddPage(new CIntroPage);
    sheet.AddPage(new COpenFontPage);
    sheet.AddPage(new COpenImagePage);
    sheet.AddPage(new CEditImagePage);
    sheet.AddPage(new CSelectAreaPage);
    sheet.AddPage(new CGlyphPage);
    sheet.AddPage(new CPlaceToFontPage);
    sheet.AddPage(new CSaveFontPage);
    sheet.AddPage(new CFinishPage);
}

int RunWizard(int argc, char** argv, IScanner* scanner) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(GetString(StringId::kCaption)));
    InstallQtTranslations(CurrentLanguage());
    CPenmarkApp app;
    app.SetScanner(scanner);
    if (!app.InitInstance(CreateWizardPages)) return 1;
    int code = QApplication::exec();
    app.ExitInstance();
    return code;
}
