#include "Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QString>
#include <QWidget>

#include "Strings.h"

namespace {

struct RoleOf {
    const char* className;
    QAccessible::Role role;
};

// The custom controls and what they are.
constexpr RoleOf kRoles[] = {
    {"CImageView", QAccessible::Graphic},     {"CGlyphView", QAccessible::Graphic},
    {"CKeyboardCtrl", QAccessible::Grouping}, {"CCharMapCtrl", QAccessible::Table},
    {"CSymbolPreview", QAccessible::Graphic}, {"CFontSample", QAccessible::Graphic},
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    QWidget* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    for (const RoleOf& r : kRoles)
        if (className == QLatin1String(r.className)) return new QAccessibleWidget(widget, r.role);
    return nullptr;
}

}  // namespace

void EnsureAccessibleRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

void SetAccessibleText(QWidget* control, int nameId) {
    EnsureAccessibleRoles();
    control->setAccessibleName(QString::fromUtf8(GetString(nameId)));
}
