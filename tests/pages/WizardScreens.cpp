// Saves a picture of every page of the wizard, walked as a user would with a real picture
// and a real font, in each language: for looking at, not a test.
// Usage: wizard_screens OUTDIR PICTURE FONTFILE
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QToolBar>
#include <QToolTip>
#include <QTabBar>
#include <cstdio>
#include <string>

#include "CEditImagePage.h"
#include "CImageView.h"
#include "CMessageBox.h"
#include "COpenImagePage.h"
#include "CPenmarkDlg.h"
#include "CPlaceToFontPage.h"
#include "ImageFormatRegistry.h"
#include "PenmarkDocument.h"
#include "StringIds.h"
#include "Strings.h"
#include "SvgReader.h"
#include "WizardPages.h"
#include "XkbKeyboard.h"

namespace {

void Save(CPenmarkDlg& sheet, const std::string& file) {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    sheet.grab().save(QString::fromStdString(file));
    std::printf("%s\n", file.c_str());
}

void SendMouse(QWidget* to, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, to->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(to, &event);
}

// The edit page with the medium brush over the picture after one stroke, Undo enabled.
void SaveEraser(CPenmarkDlg& sheet, const std::string& file) {
    auto* edit = dynamic_cast<CEditImagePage*>(sheet.ActivePage());
    if (!edit || !edit->View()) return;
    edit->Action(ID_ERASER_MEDIUM)->trigger();
    QWidget* port = edit->View()->viewport();
    const QPointF from(port->width() * 0.3, port->height() * 0.35), to(port->width() * 0.55, port->height() * 0.6);
    SendMouse(port, QEvent::MouseButtonPress, from, Qt::LeftButton);
    SendMouse(port, QEvent::MouseMove, to, Qt::LeftButton);
    SendMouse(port, QEvent::MouseButtonRelease, to, Qt::NoButton);
    SendMouse(port, QEvent::MouseMove, QPointF(port->width() * 0.25, port->height() * 0.2), Qt::NoButton);
    Save(sheet, file);
    // The large brush's tip, on the whole screen (a tip is a window of its own).
    QWidget* button = edit->ToolBar()->widgetForAction(edit->Action(ID_ERASER_LARGE));
    QToolTip::showText(button->mapToGlobal(QPoint(4, button->height())), edit->Action(ID_ERASER_LARGE)->toolTip(), button);
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    std::string tip = file.substr(0, file.size() - 4) + "-tip.png";
    QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromStdString(tip));
    std::printf("%s\n", tip.c_str());
    QToolTip::hideText();
    // The rest of the walk takes the picture as it was.
    edit->Action(ID_EDIT_UNDO)->trigger();
    edit->Action(ID_ERASER_MEDIUM)->trigger();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: wizard_screens OUTDIR PICTURE FONTFILE\n");
        return 2;
    }
    const char* names[] = {"en", "de", "fr", "ru"};
    XkbKeyboardLayouts layouts(XkbKeyboardOptions{{"us", "ru"}, "en_US.UTF-8", {}, "/usr/share/locale"});
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        SetCurrentLanguage(Language(lang));
        layouts.SetActive("us");
        ImageFormatRegistry registry;
        RegisterSvgFormat(registry);  // as the application does: PICTURE may be a drawing
        CPenmarkDocument doc;
        doc.SetImageRegistry(&registry);
        CPenmarkDlg sheet(&doc);
        sheet.SetKeyboardLayouts(&layouts);
        CreateWizardPages(sheet);
        SetProgressSheet(&sheet);
        doc.SetServices(PlatformServices{nullptr, nullptr, nullptr, nullptr, ProgressCallback});
        sheet.resize(720, 560);
        sheet.show();
        std::string prefix = std::string(argv[1]) + "/wizard-" + names[lang];
        auto next = [&] { sheet.button(QWizard::NextButton)->click(); };
        sheet.SetActivePage(1);
        sheet.SetActivePage(2);
        // The font is the file given, as the font page would have stored it.
        FontInfo font;
        font.szFullName = font.szFaceName = font.lf.lfFaceName = "DejaVu Serif";
        font.szPath = argv[3];
        font.charsets = {0, 204};
        doc.SetFontInfo(font);
        dynamic_cast<COpenImagePage*>(sheet.Page(2))->ImagePathEdit()->setText(QString::fromUtf8(argv[2]));
        Save(sheet, prefix + "-2-source.png");
        next();
        Save(sheet, prefix + "-3-edit.png");
        SaveEraser(sheet, prefix + "-3-eraser.png");
        next();
        Save(sheet, prefix + "-4-select.png");
        next();
        Save(sheet, prefix + "-5-glyph.png");
        next();
        auto* place = dynamic_cast<CPlaceToFontPage*>(sheet.Page(6));
        place->SetCurrentChar(0xE9, false);
        Save(sheet, prefix + "-6-keyboard.png");
        place->Tabs()->setCurrentIndex(CPlaceToFontPage::kCharMapTab);
        Save(sheet, prefix + "-6-charmap.png");
        place->Tabs()->setCurrentIndex(CPlaceToFontPage::kCodeTab);
        Save(sheet, prefix + "-6-code.png");
        next();
        Save(sheet, prefix + "-7-save.png");
        // The note a save from a font with Graphite tables ends with.
        CMessageBox note(&sheet, QString::fromUtf8(GetString(StringId::kGraphiteDropped)), "Penmark",
                         MessageStyle::kOk | MessageStyle::kIconInformation);
        note.show();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        note.grab().save(QString::fromStdString(prefix + "-7-graphite-note.png"));
        SetProgressSheet(nullptr);
    }
    return 0;
}
