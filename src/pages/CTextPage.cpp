#include "CTextPage.h"

#include <QLabel>
#include <QVBoxLayout>

#include "Strings.h"

CTextPage::CTextPage(int titleId, std::initializer_list<int> textIds, QWidget* parent)
    : CWizardPage(titleId, parent) {
    auto* layout = new QVBoxLayout(this);
    for (int id : textIds) {
        auto* label = new QLabel(QString::fromUtf8(GetString(id)), this);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label);
    }
    layout->addStretch(1);
}
