#include "CWizardPage.h"

#include <QFontMetrics>
#include <QLabel>
#include <QResizeEvent>

#include "CMessageBox.h"
#include "CPenmarkDlg.h"
#include "PenmarkDocument.h"
#include "StringIds.h"
#include "Strings.h"
#include "WizardMessages.h"

namespace {
constexpr int kMaxTooltip = 80;

// A word-wrapped label whose text has hard line breaks written for a certain width: a
// line that is wider than the label wraps anyway, and then the break after it would leave
// a word or two alone on a line, so that break becomes a space. Lines that fit keep their
// breaks.
class ParagraphLabel : public QLabel {
public:
    ParagraphLabel(const QString& text, QWidget* parent) : QLabel(parent), m_source(text) {
        setWordWrap(true);
        setTextFormat(Qt::PlainText);
        setText(text);
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        QString flowed = Flow(contentsRect().width() - 2 * margin());
        if (flowed != text()) setText(flowed);
    }

private:
    QString Flow(int width) const {
        QFontMetrics metrics(font());
        QStringList lines = m_source.split(QLatin1Char('\n'));
        QStringList flowed;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QString line = lines[i];
            // A line too wide for the label runs on into the next one.
            while (i + 1 < lines.size() && !line.isEmpty() && !lines[i + 1].isEmpty() &&
                   metrics.horizontalAdvance(line) > width)
                line += QLatin1Char(' ') + lines[++i];
            flowed << line;
        }
        return flowed.join(QLatin1Char('\n'));
    }

    QString m_source;
};
}  // namespace

CWizardPage::CWizardPage(int titleId, QWidget* parent) : QWizardPage(parent), m_nTitleId(titleId) {
    setTitle(QString::fromUtf8(GetString(titleId)));
}

CPenmarkDlg* CWizardPage::Sheet() const { return qobject_cast<CPenmarkDlg*>(wizard()); }

CPenmarkDocument* CWizardPage::Document() const {
    CPenmarkDlg* sheet = Sheet();
    return sheet ? sheet->Document() : nullptr;
}

int CWizardPage::ShowMessage(int textId, uint32_t style) {
    CPenmarkDocument* doc = Document();
    if (doc && doc->Services().messages) return doc->Services().messages->Show(GetString(textId), style);
    return ::ShowMessage(this, textId, StringId::kCaption, style);
}

int CWizardPage::ShowMessage(const std::string& text, uint32_t style) {
    CPenmarkDocument* doc = Document();
    if (doc && doc->Services().messages) return doc->Services().messages->Show(text, style);
    return ::ShowMessageText(this, QString::fromStdString(text), StringId::kCaption, style);
}

void CWizardPage::UpdateButtons() {
    CPenmarkDlg* sheet = Sheet();
    if (sheet && sheet->ActivePage() == this) sheet->UpdateButtons(this);
}

int CWizardPage::OnProgress(int, intptr_t) { return 0; }
void CWizardPage::OnWizardNotify(int) {}

QString CWizardPage::Text(int id) { return QString::fromUtf8(GetString(id)); }

QLabel* CWizardPage::Label(int id, QWidget* parent) { return new ParagraphLabel(Text(id), parent); }

QString CWizardPage::TooltipText(int id) {
    QString text = QString::fromUtf8(GetString(id));
    int nl = text.indexOf('\n');
    if (nl < 0) return {};
    return text.mid(nl + 1).left(kMaxTooltip);
}

void CWizardPage::SetControlId(QWidget* control, int id) {
    control->setProperty("controlId", id);
    QString tip = TooltipText(id);
    if (!tip.isEmpty()) control->setToolTip(tip);
}

bool CWizardPage::isComplete() const {
    CPenmarkDlg* sheet = Sheet();
    bool last = sheet && m_nIndex == sheet->PageCount() - 1;
    return last ? CanFinish() : CanGoNext();
}

int CWizardPage::nextId() const {
    if (m_nJumpTo >= 0) return m_nJumpTo;
    CPenmarkDlg* sheet = Sheet();
    if (!sheet || m_nIndex + 1 >= sheet->PageCount()) return -1;
    return m_nIndex + 1;
}

void CWizardPage::initializePage() {}
void CWizardPage::cleanupPage() {}  // pages keep what they show; the document decides

bool CWizardPage::validatePage() {
    CPenmarkDlg* sheet = Sheet();
    if (sheet && sheet->m_bForcedJump) return true;
    if (nextId() == -1) return OnWizardFinish();
    int target = OnWizardNext();
    if (target < 0) return false;
    if (target > 0) m_nJumpTo = target;
    return true;
}

bool CWizardPage::event(QEvent* e) {
    if (e->type() == WizardNotifyEvent::EventType()) {
        OnWizardNotify(static_cast<WizardNotifyEvent*>(e)->code());
        return true;
    }
    if (e->type() == FontChangeEvent::EventType()) {
        OnFontChange();
        return true;
    }
    return QWizardPage::event(e);
}
