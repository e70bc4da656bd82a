#include "COpenFontPage.h"

#include <unistd.h>

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <algorithm>
#include <cctype>

#include "CFontSample.h"
#include "CPenmarkDlg.h"
#include "FontCatalog.h"
#include "FontEnumeration.h"
#include "FontFiles.h"
#include "PageIds.h"
#include "PenmarkDocument.h"
#include "PlatformVersion.h"
#include "Strings.h"

namespace {

constexpr int kImageSourcePage = 2;
// Below this major version the platform has only the basic font enumeration, and faces
// come once each, not once per charset.
constexpr int kExtendedEnumerationMajor = 4;

bool HasFotExtension(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".fot";
}

// The face as a logical font: the enumeration's values with the rendering details zeroed.
LogFont LogFontFor(const FontEnumEntry& face) {
    LogFont lf;
    lf.lfWeight = face.weight;
    lf.lfItalic = face.italic ? 1 : 0;
    lf.lfCharSet = uint8_t(face.charset);
    lf.lfQuality = 0;
    lf.lfFaceName = face.faceName;
    return lf;
}

}  // namespace

COpenFontPage::COpenFontPage(QWidget* parent) : CWizardPage(PageText::kTitleStep1, parent) {
    auto* grid = new QGridLayout(this);
    grid->addWidget(Label(PageText::kFontIntro, this), 0, 0);
    auto* select = Label(PageText::kFontSelect, this);
    grid->addWidget(select, 1, 0);
    m_pList = new QListWidget(this);
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    SetControlId(m_pList, IDC_FONT_LIST);
    select->setBuddy(m_pList);
    grid->addWidget(m_pList, 2, 0);
    // Room for the texts of every language and a useful stretch of the list: the wizard
    // sizes itself by its pages' minimum sizes, which word-wrapped texts do not raise.
    m_pList->setMinimumHeight(fontMetrics().height() * 10);
    setMinimumWidth(fontMetrics().averageCharWidth() * 80);
    setMinimumHeight(fontMetrics().height() * 26);
    grid->addWidget(Label(PageText::kFontSample, this), 3, 0);
    // Below the list, the whole width of the page: long enough for the sample text at
    // two thirds of its height.
    m_pSample = new CFontSample(this);
    SetControlId(m_pSample, IDC_FONT_SAMPLE);
    m_pSample->setFixedHeight(fontMetrics().height() * 4);
    grid->addWidget(m_pSample, 4, 0);
    grid->setRowStretch(2, 1);
    connect(m_pList, &QListWidget::itemSelectionChanged, this, &COpenFontPage::OnSelectionChanged);
    connect(m_pList, &QListWidget::itemDoubleClicked, this, &COpenFontPage::OnItemDoubleClicked);
}

COpenFontPage::~COpenFontPage() = default;

void COpenFontPage::FillFontList() {
    if (m_pEnumerator) {
        FillFontList(*m_pEnumerator);
        return;
    }
    CPenmarkDlg* sheet = Sheet();
    CatalogFontEnumerator fonts((sheet ? sheet->Fonts() : SystemFontCatalog()).Faces());
    FillFontList(fonts);
}

void COpenFontPage::FillFontList(FontEnumerator& fonts) {
    m_fonts.clear();
    bool basic = GetPlatformVersion().major < kExtendedEnumerationMajor;
    FontEnumContext context;
    fonts.EnumFamilies(basic, [&](const FontEnumEntry& family) {
        // A family comes once per charset, one after the other: visit it once.
        if (family.fontType != kTrueTypeFontType || family.fullName == context.szLastFamily) return;
        context.szLastFamily = family.fullName;
        context.szLastStyle.clear();
        context.nLastCharset = -1;
        context.nLastIndex = -1;
        fonts.EnumFaces(family.faceName, basic,
                        [&](const FontEnumEntry& face) { AddFace(fonts, context, face, basic); });
    });
}

void COpenFontPage::AddFace(FontEnumerator& fonts, FontEnumContext& context, const FontEnumEntry& face,
                            bool basic) {
    if (face.fontType != kTrueTypeFontType) return;
    int32_t cs = face.charset;
    if (!basic && face.style == context.szLastStyle) {
        // The same face under another charset.
        if (context.nLastIndex != -1 && cs != context.nLastCharset) {
            context.nLastCharset = cs;
            std::vector<int32_t>& charsets = m_fonts[size_t(context.nLastIndex)].charsets;
            if (std::find(charsets.begin(), charsets.end(), cs) == charsets.end()) charsets.push_back(cs);
        }
        return;
    }
    context.szLastStyle = face.style;
    std::string regFile = fonts.LookupFontFile(face.fullName);
    std::string path = MakeFontPath(regFile);
    if (HasFotExtension(path)) {
        regFile = ReadFotTarget(path);
        path = MakeFontPath(regFile);
    }
    // The catalogue may name a file deleted since; it cannot be read, so it is not offered.
    if (path.empty() || ::access(path.c_str(), R_OK) != 0) return;
    FontInfo info;
    info.szFullName = face.fullName;
    info.szFaceName = face.faceName;
    info.szRegFile = regFile;
    info.szPath = path;
    info.nFaceIndex = uint32_t(face.faceIndex);
    info.lf = LogFontFor(face);
    info.charsets = {cs};
    context.nLastIndex = int32_t(m_fonts.size());
    m_fonts.push_back(std::move(info));
}

void COpenFontPage::RefreshList() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FillFontList();
    m_pList->setUpdatesEnabled(false);
    {
        const QSignalBlocker quiet(m_pList);
        m_pList->clear();
        m_pList->setSortingEnabled(false);
        for (size_t i = 0; i < m_fonts.size(); ++i) {
            auto* item = new QListWidgetItem(QString::fromStdString(m_fonts[i].szFullName));
            item->setData(Qt::UserRole, int(i));
            m_pList->addItem(item);
        }
        // One sort of the whole list rather than a sorted insert per face.
        m_pList->setSortingEnabled(true);
        m_pList->sortItems();
    }
    if (m_pList->count() > 0) {
        m_pList->setCurrentRow(0);  // selects it, which gives the sample its face
    } else {
        m_pSample->SetSampleFont(nullptr);
    }
    m_pList->setUpdatesEnabled(true);
    m_pList->update();
    if (CPenmarkDlg* sheet = Sheet()) sheet->UpdateButtons(nullptr);
    QApplication::restoreOverrideCursor();
    m_bRefresh = false;
}

const FontInfo* COpenFontPage::SelectedFont() const {
    QList<QListWidgetItem*> selected = m_pList->selectedItems();
    if (selected.isEmpty()) return nullptr;
    bool ok = false;
    int index = selected.front()->data(Qt::UserRole).toInt(&ok);
    if (!ok || index < 0 || size_t(index) >= m_fonts.size()) return nullptr;
    return &m_fonts[size_t(index)];
}

bool COpenFontPage::CanGoNext() const { return SelectedFont() != nullptr; }

void COpenFontPage::OnSetActive() {
    if (m_bRefresh) RefreshList();
    if (CPenmarkDlg* sheet = Sheet()) sheet->UpdateButtons(this);
}

void COpenFontPage::OnFontChange() {
    CPenmarkDlg* sheet = Sheet();
    if (sheet && sheet->ActivePage() == this) {
        RefreshList();
    } else {
        m_bRefresh = true;
    }
}

void COpenFontPage::OnSelectionChanged() {
    const FontInfo* font = SelectedFont();
    m_pSample->SetSampleFont(font ? &font->lf : nullptr, font ? font->szPath : std::string());
    if (CPenmarkDlg* sheet = Sheet()) sheet->UpdateButtons(nullptr);
}

int COpenFontPage::OnWizardNext() {
    const FontInfo* font = SelectedFont();
    if (!font) return -1;
    if (CPenmarkDocument* doc = Document()) doc->SetFontInfo(*font);
    return 0;
}

void COpenFontPage::OnItemDoubleClicked(QListWidgetItem*) {
    const FontInfo* font = SelectedFont();
    if (!font) return;
    if (CPenmarkDocument* doc = Document()) doc->SetFontInfo(*font);
    if (CPenmarkDlg* sheet = Sheet()) sheet->SetActivePage(kImageSourcePage);
}
