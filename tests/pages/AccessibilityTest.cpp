// The program's own controls tell a screen reader what they are: a name in the user's
// language and a role, read back through Qt's accessibility interfaces.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QWidget>
#include <memory>

#include "CCharMapCtrl.h"
#include "CFontSample.h"
#include "CGlyphView.h"
#include "CImageView.h"
#include "CKeyboardCtrl.h"
#include "CSymbolPreview.h"
#include "PenmarkDocument.h"
#include "Strings.h"

namespace {

void Expect(QWidget* w, QAccessible::Role role, const char* name) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    ASSERT_NE(a, nullptr) << w->metaObject()->className();
    EXPECT_EQ(a->role(), role) << w->metaObject()->className();
    EXPECT_EQ(a->text(QAccessible::Name).toStdString(), name) << w->metaObject()->className();
}

TEST(Accessibility, EveryOwnControlHasANameAndARole) {
    for (Language lang : {Language::English, Language::German}) {
        SetCurrentLanguage(lang);
        bool de = lang == Language::German;
        CPenmarkDocument doc;
        QWidget parent;
        auto* select = new CImageView(&doc, true, 1, &parent);
        auto* edit = new CImageView(&doc, false, 0, &parent);
        auto* glyph = new CGlyphView(&doc, &parent);
        auto* keyboard = new CKeyboardCtrl(nullptr, &parent);
        auto* map = new CCharMapCtrl(&parent);
        auto* preview = new CSymbolPreview(&parent);
        auto* sample = new CFontSample(&parent);
        Expect(select, QAccessible::Graphic, de ? "Bild und Auswahl" : "Picture and selection");
        Expect(edit, QAccessible::Graphic, de ? "Bild" : "Picture");
        Expect(glyph, QAccessible::Graphic, de ? "Symbolvorschau" : "Symbol preview");
        Expect(keyboard, QAccessible::Grouping, de ? "Tastatur" : "Keyboard");
        Expect(map, QAccessible::Table, de ? "Zeichentabelle" : "Character map");
        Expect(preview, QAccessible::Graphic, de ? "Aktuelles Symbol" : "Current symbol");
        Expect(sample, QAccessible::Graphic, de ? "Schriftprobe" : "Font sample");
    }
    SetCurrentLanguage(Language::English);
}

}  // namespace
