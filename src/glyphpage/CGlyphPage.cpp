#include "CGlyphPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>

#include "CGlyphView.h"
#include "PenmarkDocument.h"
#include "Strings.h"

namespace {

constexpr int kSizeMin = 10, kSizeMax = 100;
constexpr int kVertMin = 0, kVertMax = 200;
constexpr int kWidthMin = 0, kWidthMax = 100;
constexpr int kMaxPointsChars = 3;
const char* const kPointSizes[] = {"128", "72", "48", "36", "24", "20", "18", "14", "12", "11", "10", "9", "8"};

// Labels beside the controls.
constexpr int kStrSizeLabel = 62180, kStrVertLabel = 62181, kStrWidthLabel = 62182;
constexpr int kStrLeftLabel = 62183, kStrRightLabel = 62184, kStrPointsLabel = 62185;
constexpr int kStrReset = 62186;
constexpr int kStrTitle = 62105;  // "Penmark: Step 5 of 7"

QSlider* Slider(Qt::Orientation orientation, int lo, int hi, QWidget* parent) {
    auto* slider = new QSlider(orientation, parent);
    slider->setRange(lo, hi);
    // Vertical trackbars have their minimum at the top; Up, Page Up and the wheel move
    // the handle up, towards the minimum, as the user sees it.
    if (orientation == Qt::Vertical) {
        slider->setInvertedAppearance(true);
        slider->setInvertedControls(true);
    }
    return slider;
}

}  // namespace

CGlyphPage::CGlyphPage(QWidget* parent) : CWizardPage(kStrTitle, parent) {
    auto* grid = new QGridLayout(this);
    m_pSize = Slider(Qt::Vertical, kSizeMin, kSizeMax, this);
    m_pVert = Slider(Qt::Vertical, kVertMin, kVertMax, this);
    m_pWidth = Slider(Qt::Horizontal, kWidthMin, kWidthMax, this);
    m_pLeft = new QLineEdit(this);
    m_pRight = new QLineEdit(this);
    for (QLineEdit* edit : {m_pLeft, m_pRight}) {
        edit->setMaxLength(1);
        edit->setMaximumWidth(40);
        edit->setAlignment(Qt::AlignCenter);
    }
    m_pPoints = new QComboBox(this);
    m_pPoints->setEditable(true);
    for (const char* size : kPointSizes) m_pPoints->addItem(QString::fromLatin1(size));
    m_pPoints->lineEdit()->setMaxLength(kMaxPointsChars);
    m_pPoints->setCurrentIndex(-1);
    m_pPoints->setEditText(QString());
    m_pReset = new QPushButton(Text(kStrReset), this);

    SetControlId(m_pSize, IDC_SIZE);
    SetControlId(m_pVert, IDC_VERT_POS);
    SetControlId(m_pWidth, IDC_WIDTH);
    SetControlId(m_pLeft, IDC_LEFT_CHAR);
    SetControlId(m_pRight, IDC_RIGHT_CHAR);
    SetControlId(m_pPoints, IDC_POINT_SIZE);
    SetControlId(m_pReset, IDC_RESET);

    auto label = [this](int id) { return new QLabel(Text(id), this); };
    grid->addWidget(label(kStrSizeLabel), 0, 0, Qt::AlignHCenter);
    grid->addWidget(label(kStrVertLabel), 0, 1, Qt::AlignHCenter);
    grid->addWidget(m_pSize, 1, 0, 3, 1, Qt::AlignHCenter);
    grid->addWidget(m_pVert, 1, 1, 3, 1, Qt::AlignHCenter);
    // The preview's place; the view is made when the page is first shown.
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(label(kStrWidthLabel));
    row->addWidget(m_pWidth, 1);
    grid->addLayout(row, 2, 2);
    auto* chars = new QHBoxLayout;
    chars->addWidget(label(kStrLeftLabel));
    chars->addWidget(m_pLeft);
    chars->addSpacing(12);
    chars->addWidget(label(kStrRightLabel));
    chars->addWidget(m_pRight);
    chars->addSpacing(12);
    chars->addWidget(label(kStrPointsLabel));
    chars->addWidget(m_pPoints);
    chars->addStretch(1);
    chars->addWidget(m_pReset);
    grid->addLayout(chars, 3, 2);

    connect(m_pWidth, &QSlider::valueChanged, this, &CGlyphPage::OnWidthMoved);
    connect(m_pSize, &QSlider::valueChanged, this, &CGlyphPage::OnSizeOrPositionMoved);
    connect(m_pVert, &QSlider::valueChanged, this, &CGlyphPage::OnSizeOrPositionMoved);
    connect(m_pLeft, &QLineEdit::textChanged, this, [this] { OnCharChanged(m_pLeft, true); });
    connect(m_pRight, &QLineEdit::textChanged, this, [this] { OnCharChanged(m_pRight, false); });
    connect(m_pPoints, &QComboBox::currentTextChanged, this, &CGlyphPage::OnPointSize);
    connect(m_pReset, &QPushButton::clicked, this, &CGlyphPage::OnReset);
}

int CGlyphPage::FirstChar(const QString& text) {
    if (text.isEmpty()) return CGlyphView::kNoChar;
    return int(text.toUcs4().value(0, uint(CGlyphView::kNoChar)));
}

void CGlyphPage::InitDialog() {
    CPenmarkDocument* doc = Document();
    if (m_bInitialized || !doc) return;
    // The preview scrolls when a large symbol or point size needs more room than it has.
    auto* scroller = new QScrollArea(this);
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    m_pView = new CGlyphView(doc, this);  // it tells this page of drags
    SetControlId(m_pView, IDC_PREVIEW_PLACE);
    scroller->setWidget(m_pView);
    static_cast<QGridLayout*>(layout())->addWidget(scroller, 0, 2, 2, 1);
    m_pView->setFont(doc->m_fontInfo, kInitialPoints);
    m_pView->setLeftChar(FirstChar(m_strLeft));
    m_pView->setRightChar(FirstChar(m_strRight));
    m_bUpdating = true;
    m_strPoints = QString::number(kInitialPoints);
    m_pPoints->setEditText(m_strPoints);
    m_pLeft->setText(m_strLeft);
    m_pRight->setText(m_strRight);
    m_bUpdating = false;
    m_bInitialized = true;
}

void CGlyphPage::LoadControls() {
    CPenmarkDocument* doc = Document();
    if (!doc || !m_bInitialized || m_bUpdating) return;
    m_bUpdating = true;
    m_pWidth->setValue(doc->GetWidth());
    m_pSize->setValue(kSizeMin + kSizeMax - doc->m_nSize);
    m_pVert->setValue(kVertMax / 2 - doc->m_nVertPos);
    m_bUpdating = false;
}

void CGlyphPage::OnSetActive() {
    InitDialog();
    CPenmarkDocument* doc = Document();
    if (doc) doc->RebuildGlyph();
    if (m_bLeft && m_pView && doc) m_pView->setFont(doc->m_fontInfo, 0);
    m_bLeft = false;
    LoadControls();
    UpdateButtons();
}

void CGlyphPage::OnKillActive() { m_bLeft = true; }

int CGlyphPage::OnWizardBack() {
    CPenmarkDocument* doc = Document();
    return doc ? doc->m_nGlyphBackPage : 0;
}

void CGlyphPage::OnWidthMoved(int position) {
    CPenmarkDocument* doc = Document();
    if (m_bUpdating || !doc) return;
    doc->SetWidth(position);
    LoadControls();
}

void CGlyphPage::OnSizeOrPositionMoved() {
    CPenmarkDocument* doc = Document();
    if (m_bUpdating || !doc) return;
    doc->SetSize(kSizeMin + kSizeMax - m_pSize->value());
    doc->SetVerticalPosition(kVertMax / 2 - m_pVert->value());
}

void CGlyphPage::OnCharChanged(QLineEdit* edit, bool left) {
    if (m_bUpdating || !m_pView) return;
    (left ? m_strLeft : m_strRight) = edit->text();
    edit->selectAll();
    int code = FirstChar(edit->text());
    if (left)
        m_pView->setLeftChar(code);
    else
        m_pView->setRightChar(code);
}

void CGlyphPage::OnPointSize(const QString& text) {
    if (m_bUpdating || !m_pView) return;
    bool ok = false;
    int points = text.trimmed().toInt(&ok, 0);  // as "%i": decimal, 0x hex or 0 octal
    if (!ok || points <= 0) return;
    m_strPoints = text;
    m_pView->setPointSize(points);
}

void CGlyphPage::OnReset() {
    if (CPenmarkDocument* doc = Document()) doc->ResetGlyphParameters(true);
    LoadControls();
}

bool CGlyphPage::event(QEvent* e) {
    if (e->type() == GlyphViewNotifyEvent::EventType()) {
        LoadControls();
        return true;
    }
    return CWizardPage::event(e);
}
