#include "CMessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QStyle>
#include <algorithm>

#include "Strings.h"

namespace {

MessageBoxHook g_hook = nullptr;

// Button caption string ids.
constexpr int kStrOk = 1, kStrCancel = 2, kStrAbort = 3, kStrRetry = 4, kStrIgnore = 5,
              kStrYes = 6, kStrNo = 7;

// Pixel layout.
constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kGap = 10;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 8;
constexpr int kMaxTextWidth = 420;

struct ButtonSpec {
    int textId;  // 0: hidden
    int result;
};

struct TypeSpec {
    ButtonSpec a, b, c;
    int escResult;  // 0: Esc and close are ignored
};

TypeSpec SpecFor(uint32_t type) {
    switch (type) {
        case 1: return {{0, 0}, {kStrOk, MessageResult::kOk}, {kStrCancel, MessageResult::kCancel}, MessageResult::kCancel};
        case 2: return {{kStrAbort, MessageResult::kAbort}, {kStrRetry, MessageResult::kRetry}, {kStrIgnore, MessageResult::kIgnore}, 0};
        case 3: return {{kStrYes, MessageResult::kYes}, {kStrNo, MessageResult::kNo}, {kStrCancel, MessageResult::kCancel}, MessageResult::kCancel};
        case 4: return {{0, 0}, {kStrYes, MessageResult::kYes}, {kStrNo, MessageResult::kNo}, 0};
        case 5: return {{0, 0}, {kStrRetry, MessageResult::kRetry}, {kStrCancel, MessageResult::kCancel}, MessageResult::kCancel};
        default: return {{0, 0}, {0, 0}, {kStrOk, MessageResult::kOk}, MessageResult::kOk};
    }
}

}  // namespace

CMessageBox::CMessageBox(QWidget* owner, const QString& text, const QString& caption, uint32_t flags)
    : QDialog(owner) {
    setWindowTitle(caption);
    setModal(true);
    m_icon = new QLabel(this);
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);  // no markup, no mnemonic processing
    m_text->setWordWrap(true);
    m_text->setText(text);
    m_text->setObjectName("text");
    const char* names[3] = {"buttonA", "buttonB", "buttonC"};
    for (int i = 0; i < 3; ++i) {
        m_buttons[i] = new QPushButton(this);
        m_buttons[i]->setObjectName(names[i]);
        m_buttons[i]->setAutoDefault(false);
        connect(m_buttons[i], &QPushButton::clicked, this, [this, i] {
            m_result = m_results[i];
            done(m_result);
        });
    }
    SetUpButtons(flags);
    SetUpIcon(flags);
    LayOut(flags);
}

void CMessageBox::SetUpButtons(uint32_t flags) {
    uint32_t type = flags & 0x0F;
    TypeSpec spec = SpecFor(type);
    const ButtonSpec* specs[3] = {&spec.a, &spec.b, &spec.c};
    int visible = 0;
    for (int i = 0; i < 3; ++i) {
        if (specs[i]->textId) {
            m_buttons[i]->setText(QString::fromUtf8(GetString(specs[i]->textId)));
            m_results[i] = specs[i]->result;
            ++visible;
        } else {
            m_buttons[i]->hide();
        }
    }
    m_escResult = spec.escResult;
    if (m_escResult == 0) setWindowFlag(Qt::WindowCloseButtonHint, false);

    QPushButton* def;
    if (visible == 1) {
        def = m_buttons[2];
    } else if (visible == 2) {
        def = (flags & 0x100) ? m_buttons[2] : m_buttons[1];
    } else {
        def = (flags & 0x200) ? m_buttons[2] : (flags & 0x100) ? m_buttons[1] : m_buttons[0];
    }
    def->setDefault(true);
    def->setFocus();
}

void CMessageBox::SetUpIcon(uint32_t flags) {
    QStyle::StandardPixmap which;
    switch (flags & 0xF0) {
        case 0x10: which = QStyle::SP_MessageBoxCritical; break;
        case 0x20: which = QStyle::SP_MessageBoxQuestion; break;
        case 0x30: which = QStyle::SP_MessageBoxWarning; break;
        case 0x40: which = QStyle::SP_MessageBoxInformation; break;
        default:
            m_icon->hide();
            return;
    }
    m_icon->setPixmap(style()->standardIcon(which).pixmap(kIconSize, kIconSize));
}

void CMessageBox::LayOut(uint32_t flags) {
    // The text is measured with word breaking; the box grows or shrinks to fit it, but
    // never below the width the visible buttons need.
    QFontMetrics fm(m_text->font());
    QRect textRect = fm.boundingRect(QRect(0, 0, kMaxTextWidth, 100000),
                                     Qt::TextWordWrap, m_text->text());
    int textWidth = textRect.width() + 2, textHeight = std::max(textRect.height(), fm.height());
    int textLeft = m_icon->isHidden() ? kMargin : kMargin + kIconSize + kGap;

    int first = 0;
    while (first < 2 && m_buttons[first]->isHidden()) ++first;
    int count = 3 - first;
    int span = count * kButtonWidth + (count - 1) * kButtonGap;
    uint32_t type = flags & 0x0F;
    int needed = (type == 2 || type == 3) ? span * 4 / 3 : span;

    int contentWidth = std::max(textLeft + textWidth + kMargin, needed + 2 * kMargin);
    int top = kMargin;
    int textBlock = std::max(textHeight, m_icon->isHidden() ? 0 : kIconSize);
    if (!m_icon->isHidden()) m_icon->setGeometry(kMargin, top, kIconSize, kIconSize);
    m_text->setGeometry(textLeft, top, contentWidth - textLeft - kMargin, textHeight);
    int buttonsTop = top + textBlock + 2 * kGap;
    int x = (contentWidth - span) / 2;
    for (int i = first; i < 3; ++i) {
        m_buttons[i]->setGeometry(x, buttonsTop, kButtonWidth, kButtonHeight);
        x += kButtonWidth + kButtonGap;
    }
    setFixedSize(contentWidth, buttonsTop + kButtonHeight + kMargin);
}

int CMessageBox::Run() {
    if (!m_icon->isHidden()) QApplication::beep();
    if (g_hook) return g_hook(*this);
    exec();
    return m_result;
}

void CMessageBox::reject() {
    if (m_escResult == 0) return;  // Esc does nothing: a button must be chosen
    m_result = m_escResult;
    done(m_result);
}

void CMessageBox::closeEvent(QCloseEvent* event) {
    if (m_escResult == 0) {
        event->ignore();
        return;
    }
    m_result = m_escResult;
    QDialog::closeEvent(event);
}

QString CMessageBox::CopyText() const {
    const QString rule = QStringLiteral("---------------------------\n");
    QStringList buttons;
    for (const QPushButton* button : m_buttons)
        if (!button->isHidden()) {
            QString caption = button->text();  // without the mnemonic marks
            buttons << caption.replace("&&", "\x01").remove('&').replace('\x01', '&');
        }
    return rule + windowTitle() + "\n" + rule + m_text->text() + "\n" + rule +
           buttons.join(QStringLiteral("   ")) + "\n" + rule;
}

void CMessageBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setText(CopyText());
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

int ShowMessageText(QWidget* owner, const QString& text, int captionId, uint32_t style) {
    QString caption = captionId == -1 ? QString() : QString::fromUtf8(GetString(captionId));
    CMessageBox box(owner, text, caption, style);
    return box.Run();
}

int ShowMessage(QWidget* owner, int textId, int captionId, uint32_t style) {
    return ShowMessageText(owner, QString::fromUtf8(GetString(textId)), captionId, style);
}

void SetMessageBoxHook(MessageBoxHook hook) { g_hook = hook; }
