#include "COpenImagePage.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

#include "CPenmarkDlg.h"
#include "CProgressPanel.h"
#include "MonoImage.h"
#include "PageIds.h"
#include "PenmarkDocument.h"
#include "PlatformServices.h"
#include "Progress.h"
#include "StringIds.h"
#include "Strings.h"

namespace {

constexpr int kEditPage = 3;
constexpr int kGlyphPage = 5;

constexpr int kStrOpenImageTitle = 61286;
constexpr int kStrSelectSource = 61301;
constexpr int kStrSelectFile = 61302;
constexpr int kStrOpenEpsTitle = 61303;

// Open dialog flags: the file must exist; no read-only box.
constexpr uint32_t kOpenFlags = 0x1000 | 0x4;

bool IsOutlineFile(const QString& path) {
    QString lower = path.toLower();
    return lower.endsWith(".eps") || lower.endsWith(".ai");
}

}  // namespace

COpenImagePage::COpenImagePage(QWidget* parent) : CWizardPage(PageText::kTitleStep1 + 1, parent) {
    using namespace PageText;
    auto* grid = new QGridLayout(this);
    grid->setColumnMinimumWidth(0, 20);
    grid->setColumnStretch(1, 1);
    m_pSources = new QButtonGroup(this);
    auto addSource = [&](int source, int textId, int controlId, int row) {
        auto* button = new QRadioButton(Text(textId), this);
        SetControlId(button, controlId);
        m_pSources->addButton(button, source);
        grid->addWidget(button, row, 0, 1, 3);
        return button;
    };
    auto addPath = [&](QLineEdit*& edit, QPushButton*& browse, int editId, int browseId, int textId, int row) {
        edit = new QLineEdit(this);
        SetControlId(edit, editId);
        browse = new QPushButton(Text(textId), this);
        SetControlId(browse, browseId);
        browse->setToolTip(Text(kStrSelectFile));
        grid->addWidget(edit, row, 1);
        grid->addWidget(browse, row, 2);
    };
    addSource(kFromFile, kSourceFile, IDC_SOURCE_FILE, 0);
    addPath(m_pImagePath, m_pBrowseImage, IDC_IMAGE_PATH, IDC_BROWSE_IMAGE, kBrowseImage, 1);
    addSource(kFromClipboard, kSourceClipboard, IDC_SOURCE_CLIPBOARD, 2);
    addSource(kFromEps, kSourceEps, IDC_SOURCE_EPS, 3);
    addPath(m_pEpsPath, m_pBrowseEps, IDC_EPS_PATH, IDC_BROWSE_EPS, kBrowseEps, 4);
    // The scanner's controls exist but stay hidden and disabled.
    QRadioButton* scanner = addSource(kFromScanner, kSourceScanner, IDC_SOURCE_SCANNER, 5);
    scanner->hide();
    scanner->setEnabled(false);
    m_pSelectScanner = new QPushButton(Text(kSelectScanner), this);
    SetControlId(m_pSelectScanner, IDC_SELECT_SCANNER);
    m_pSelectScanner->setToolTip(Text(kStrSelectSource));
    m_pSelectScanner->hide();
    m_pSelectScanner->setEnabled(false);
    grid->addWidget(m_pSelectScanner, 6, 1, 1, 2, Qt::AlignLeft);
    grid->setRowStretch(7, 1);

    m_pScanningText = Label(kScanningText, this);
    SetControlId(m_pScanningText, IDC_SCANNING_TEXT);
    grid->addWidget(m_pScanningText, 8, 0, 1, 3);
    int row = 9;
    m_pProgressPanel = std::make_unique<CProgressPanel>(
        this, grid, row, 3, kOpeningFile, CProgressPanel::Ids{IDC_OPENING_TEXT, IDC_OPENING_PROGRESS, IDC_ESC_TEXT},
        true);
    m_pScanningText->hide();

    m_pSources->button(kFromFile)->setChecked(true);
    connect(m_pSources, &QButtonGroup::idClicked, this, [this] { UpdateButtons(); });
    connect(m_pImagePath, &QLineEdit::textEdited, this, [this](const QString& t) { OnPathEdited(kFromFile, t); });
    connect(m_pEpsPath, &QLineEdit::textEdited, this, [this](const QString& t) { OnPathEdited(kFromEps, t); });
    for (QLineEdit* edit : {m_pImagePath, m_pEpsPath})
        connect(edit, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
    connect(m_pBrowseImage, &QPushButton::clicked, this, [this] { OnBrowse(kFromFile); });
    connect(m_pBrowseEps, &QPushButton::clicked, this, [this] { OnBrowse(kFromEps); });
    connect(m_pSelectScanner, &QPushButton::clicked, this, [this] {
        CPenmarkDocument* doc = Document();
        IScanner* scanner = doc ? doc->Services().scanner : nullptr;
        if (scanner && scanner->ChooseScanner()) SetSource(kFromScanner);
    });
    setAcceptDrops(true);
}

QRadioButton* COpenImagePage::SourceButton(int source) const {
    return qobject_cast<QRadioButton*>(m_pSources->button(source));
}

int COpenImagePage::Source() const { return m_pSources->checkedId(); }

void COpenImagePage::SetSource(int source) {
    if (QAbstractButton* button = m_pSources->button(source)) button->setChecked(true);
    UpdateButtons();
}

std::string COpenImagePage::ImagePath() const { return m_pImagePath->text().toStdString(); }
std::string COpenImagePage::EpsPath() const { return m_pEpsPath->text().toStdString(); }

bool COpenImagePage::CanGoNext() const {
    if (m_bScanning) return false;
    switch (Source()) {
        case kFromFile: return !m_pImagePath->text().isEmpty();
        case kFromEps: return !m_pEpsPath->text().isEmpty();
        default: return true;
    }
}

bool COpenImagePage::CanGoBack() const { return !m_bScanning; }
int COpenImagePage::OnWizardBack() { return m_bScanning ? -1 : 0; }

void COpenImagePage::OnPathEdited(int source, const QString& text) {
    if (!text.isEmpty()) SetSource(source);
    UpdateButtons();
}

void COpenImagePage::OnBrowse(int source) {
    CPenmarkDocument* doc = Document();
    if (!doc) return;
    bool eps = source == kFromEps;
    QLineEdit* edit = eps ? m_pEpsPath : m_pImagePath;
    std::string name = edit->text().toStdString();
    if (!doc->PromptFileName(name, eps ? kStrOpenEpsTitle : kStrOpenImageTitle, kOpenFlags, true,
                             eps ? kFileOutlines : kFileImages))
        return;
    edit->setText(QString::fromStdString(name));
    SetSource(source);
    UpdateButtons();
}

void COpenImagePage::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void COpenImagePage::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile() || m_bScanning) return;
    QString path = urls.first().toLocalFile();
    bool eps = IsOutlineFile(path);
    (eps ? m_pEpsPath : m_pImagePath)->setText(path);
    SetSource(eps ? kFromEps : kFromFile);
    event->acceptProposedAction();
    UpdateButtons();
}

int COpenImagePage::OnProgress(int code, intptr_t param) { return m_pProgressPanel->OnProgress(code, param); }

QProgressBar* COpenImagePage::ProgressBar() const { return m_pProgressPanel->Bar(); }

COpenImagePage::~COpenImagePage() = default;

void COpenImagePage::ResetViewState() {
    CPenmarkDocument* doc = Document();
    if (!doc) return;
    if (doc->m_pViewState) *doc->m_pViewState = {ImageViewState::kZoomFit, 0, 0};
    doc->ClearSelection();  // repaints every view
}

bool COpenImagePage::PictureArrived() {
    Document()->m_nGlyphBackPage = 0;
    ResetViewState();
    return true;
}

int COpenImagePage::NextFromFile() {
    CPenmarkDocument* doc = Document();
    std::string path = ImagePath();
    if (path.empty()) return -1;
    if (doc->LoadImageFile(path) && PictureArrived()) return 0;
    // The readers have said why, unless the user stopped the read.
    m_pImagePath->setFocus();
    return -1;
}

int COpenImagePage::NextFromClipboard() {
    if (Document()->PasteFromClipboard() && PictureArrived()) return 0;
    ShowMessage(StringId::kCannotPaste, MessageStyle::kOk | MessageStyle::kIconExclamation);
    return -1;
}

int COpenImagePage::NextFromEps() {
    CPenmarkDocument* doc = Document();
    std::string path = EpsPath();
    if (path.empty()) return -1;
    if (!doc->FileExists(path)) {
        ShowMessage(StringId::kFileNotFound, MessageStyle::kOk | MessageStyle::kIconStop);
        m_pEpsPath->setFocus();
        return -1;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool loaded = doc->LoadOutlineFile(path);
    QApplication::restoreOverrideCursor();
    if (!loaded) {
        ShowMessage(StringId::kInvalidData, MessageStyle::kOk | MessageStyle::kIconStop);
        m_pEpsPath->setFocus();
        return -1;
    }
    doc->m_nGlyphBackPage = 2;
    return kGlyphPage;
}

int COpenImagePage::NextFromScanner() {
    IScanner* scanner = Document()->Services().scanner;
    // The picture arrives later, through the sheet; the page stays either way.
    if (scanner && scanner->StartAcquire()) BeginScanning();
    return -1;
}

int COpenImagePage::OnWizardNext() {
    if (m_bScanning || !Document()) return -1;
    switch (Source()) {
        case kFromFile: return NextFromFile();
        case kFromClipboard: return NextFromClipboard();
        case kFromEps: return NextFromEps();
        default: return NextFromScanner();
    }
}

void COpenImagePage::EnableSources(bool enable) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_pSources->button(kFromFile), m_pSources->button(kFromClipboard),
                                                     m_pImagePath, m_pBrowseImage, m_pSelectScanner})
        w->setEnabled(enable);
}

void COpenImagePage::BeginScanning() {
    EnableSources(false);
    m_pScanningText->show();
    m_bScanning = true;
    UpdateButtons();
}

int COpenImagePage::OnAcceptImage(MonoBitmap* bitmap) {
    if (!m_bScanning || !bitmap) return 0;
    auto image = std::make_unique<MonoImage>();
    bitmap->MoveTo(*image);
    delete bitmap;
    Document()->SetImage(image.release());
    PictureArrived();
    m_bScanning = false;
    EnableSources(true);
    m_pScanningText->hide();
    if (IScanner* scanner = Document()->Services().scanner) scanner->CloseAll();
    if (CPenmarkDlg* sheet = Sheet()) sheet->SetActivePage(kEditPage);
    return -1;
}
