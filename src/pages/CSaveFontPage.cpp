#include "CSaveFontPage.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <cstdlib>

#include "CPenmarkDlg.h"
#include "CProgressPanel.h"
#include "FontCatalog.h"
#include "FontFiles.h"
#include "FontInstall.h"
#include "PageIds.h"
#include "PenmarkDocument.h"
#include "PlatformServices.h"
#include "PlatformVersion.h"
#include "Progress.h"
#include "StringIds.h"
#include "Strings.h"

namespace {

constexpr int kStrSaveTitle = 61289;  // "Save Font As..."
constexpr int kStrSelectFile = 61302;
constexpr int kStrSaving = 62192;
// Below this major version the platform needs a font resource file beside the font.
constexpr int kResourceFileMajor = 4;

bool OldPlatform() { return GetPlatformVersion().major < kResourceFileMajor; }

void SplitName(const std::string& path, std::string& dir, std::string& name, std::string& ext) {
    size_t slash = path.rfind('/');
    dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string file = path.substr(dir.size());
    size_t dot = file.rfind('.');
    name = dot == std::string::npos ? file : file.substr(0, dot);
    ext = dot == std::string::npos ? std::string() : file.substr(dot);
}

}  // namespace

CSaveFontPage::CSaveFontPage(QWidget* parent) : CWizardPage(PageText::kTitleStep1 + 6, parent) {
    using namespace PageText;
    m_strFontsDir = GetFontsDirectory();
    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(1, 1);
    int row = 0;
    grid->addWidget(Label(kSaveText, this), row++, 0, 1, 3);
    grid->addWidget(Label(kSaveStep1, this), row, 0, Qt::AlignTop);
    grid->addWidget(Label(kSaveSuffixText, this), row++, 1, 1, 2);
    auto* suffixRow = new QHBoxLayout;
    suffixRow->addWidget(new QLabel(Text(kSaveWillHave), this));
    m_pSuffix = new QLineEdit(this);
    SetControlId(m_pSuffix, IDC_SUFFIX);
    suffixRow->addWidget(m_pSuffix);
    suffixRow->addWidget(new QLabel(Text(kSaveAddedToName), this));
    suffixRow->addStretch(1);
    grid->addLayout(suffixRow, row++, 1, 1, 2);
    grid->addWidget(Label(kSaveStep2, this), row, 0, Qt::AlignTop);
    grid->addWidget(Label(kSaveFileText, this), row++, 1, 1, 2);
    m_pFile = new QLineEdit(this);
    SetControlId(m_pFile, IDC_SAVE_FILE);
    m_pBrowse = new QPushButton(Text(kBrowseImage), this);
    SetControlId(m_pBrowse, IDC_SAVE_BROWSE);
    m_pBrowse->setToolTip(Text(kStrSelectFile));
    grid->addWidget(m_pFile, row, 1);
    grid->addWidget(m_pBrowse, row++, 2);
    grid->addWidget(Label(kSaveStep3, this), row, 0, Qt::AlignTop);
    grid->addWidget(Label(kSaveInstallText, this), row++, 1, 1, 2);
    m_pInstall = new QCheckBox(Text(kSaveInstall), this);
    SetControlId(m_pInstall, IDC_INSTALL);
    grid->addWidget(m_pInstall, row++, 1, 1, 2);
    m_pCopy = new QCheckBox(Text(kSaveCopy), this);
    SetControlId(m_pCopy, IDC_COPY);
    grid->addWidget(m_pCopy, row++, 1, 1, 2);
    grid->addWidget(Label(kSaveNameWillBe, this), row++, 1, 1, 2);
    m_pNewName = new QLineEdit(this);
    m_pNewName->setReadOnly(true);
    SetControlId(m_pNewName, IDC_NEW_NAME);
    grid->addWidget(m_pNewName, row++, 1, 1, 2);
    grid->setRowStretch(row++, 1);
    m_pProgressPanel = std::make_unique<CProgressPanel>(
        this, grid, row, 3, kStrSaving, CProgressPanel::Ids{IDC_SAVING_TEXT, IDC_SAVING_PROGRESS, IDC_SAVE_ESC_TEXT},
        false);

    WriteFields();
    connect(m_pSuffix, &QLineEdit::textChanged, this, [this] {
        ReadFields();
        ComposeNewName();
    });
    connect(m_pFile, &QLineEdit::textChanged, this, [this] {
        ReadFields();
        UpdateButtons();
    });
    connect(m_pInstall, &QCheckBox::toggled, this, [this] {
        ReadFields();
        m_pCopy->setEnabled(m_bInstall);
    });
    connect(m_pCopy, &QCheckBox::toggled, this, [this] { ReadFields(); });
    connect(m_pBrowse, &QPushButton::clicked, this, &CSaveFontPage::OnBrowse);
}

CSaveFontPage::~CSaveFontPage() = default;

std::string CSaveFontPage::DefaultFile() const {
    // The program's own folder is not the user's to write in: the last folder chosen for
    // fonts, else the home folder.
    std::string dir;
    CPenmarkDocument* doc = Document();
    if (doc && doc->Services().settings) dir = doc->Services().settings->GetString("Directories", "Fonts");
    if (dir.empty()) {
        const char* home = std::getenv("HOME");
        dir = home ? home : "";
    }
    if (!dir.empty() && dir.back() != '/') dir += '/';
    // A font with PostScript outlines comes from an OpenType file and is written as one.
    std::string source = doc ? doc->m_fontInfo.szPath : std::string();
    std::transform(source.begin(), source.end(), source.begin(), [](unsigned char c) { return std::tolower(c); });
    const bool openType = source.ends_with(".otf") || source.ends_with(".otc");
    return dir + (openType ? "Penmark.otf" : "Penmark.ttf");
}

void CSaveFontPage::ReadFields() {
    m_strSuffix = m_pSuffix->text().toStdString();
    m_strFile = m_pFile->text().toStdString();
    m_bInstall = m_pInstall->isChecked();
    m_bCopy = m_pCopy->isChecked();
}

void CSaveFontPage::WriteFields() {
    QSignalBlocker a(m_pSuffix), b(m_pFile), c(m_pInstall), d(m_pCopy);
    m_pSuffix->setText(QString::fromStdString(m_strSuffix));
    m_pFile->setText(QString::fromStdString(m_strFile));
    m_pInstall->setChecked(m_bInstall);
    m_pCopy->setChecked(m_bCopy);
    m_pCopy->setEnabled(m_bInstall);
    m_pNewName->setText(QString::fromStdString(m_strNewName));
}

void CSaveFontPage::ComposeNewName() {
    CPenmarkDocument* doc = Document();
    if (!doc) return;
    m_strNewName = ::ComposeNewName(doc->m_fontInfo.szFullName, doc->m_fontInfo.szFaceName, m_strSuffix);
    m_pNewName->setText(QString::fromStdString(m_strNewName));
}

void CSaveFontPage::OnSetActive() {
    if (m_strFile.empty()) {
        m_strFile = DefaultFile();
        WriteFields();
    }
    ComposeNewName();
    UpdateButtons();
}

bool CSaveFontPage::CanGoNext() const { return !m_pFile->text().isEmpty(); }

void CSaveFontPage::OnBrowse() {
    CPenmarkDocument* doc = Document();
    if (!doc) return;
    ReadFields();
    std::string name = m_strFile;
    if (!doc->PromptFileName(name, kStrSaveTitle, 0, false, kFileFonts)) return;
    m_strFile = name;
    WriteFields();
    UpdateButtons();
}

int CSaveFontPage::OnProgress(int code, intptr_t param) { return m_pProgressPanel->OnProgress(code, param); }

QProgressBar* CSaveFontPage::ProgressBar() const { return m_pProgressPanel->Bar(); }

bool CSaveFontPage::FontsFolderTarget(std::string& target, std::string& registered) {
    std::string dir, name, ext;
    SplitName(m_strFile, dir, name, ext);
    if (OldPlatform()) {
        name = MakeUniqueFontFileName(m_strFontsDir, name, ext);
    } else if (::access((m_strFontsDir + name + ext).c_str(), F_OK) == 0) {
        ShowMessage(FormatString(StringId::kFontFileInFolder, (name + ext).c_str()),
                    MessageStyle::kOk | MessageStyle::kIconExclamation);
        return false;
    }
    target = m_strFontsDir + name + ext;
    registered = name + ext;
    return true;
}

bool CSaveFontPage::Install(const std::string& target, const std::string& registered) {
    CPenmarkDlg* sheet = Sheet();
    FontCatalog& fonts = sheet ? sheet->Fonts() : SystemFontCatalog();
    auto fail = [&](int id, const std::string& resource) {
        ShowMessage(id, MessageStyle::kOk | MessageStyle::kIconExclamation);
        if (m_bCopy) ::unlink(target.c_str());
        if (!resource.empty()) ::unlink(resource.c_str());
        return false;
    };
    if (m_bCopy && !CopyFontFile(m_strFile, target)) return fail(StringId::kCannotCopyFont, {});
    std::string installed = registered;
    std::string resource;
    if (OldPlatform()) {
        std::string dir, name, ext;
        SplitName(target, dir, name, ext);
        std::string fot = name + ".FOT";
        resource = dir + fot;
        if (!CreateScalableFontResource(resource, registered)) {
            ShowMessage(StringId::kCannotInstallFont, MessageStyle::kOk | MessageStyle::kIconExclamation);
            if (m_bCopy) ::unlink(target.c_str());
            return false;
        }
        installed = m_bCopy ? fot : resource;
    }
    if (!InstallFontFile(fonts, m_strNewName, installed)) return fail(StringId::kCannotInstallFont, resource);
    // This program draws the new face at once; the font page lists it after the notice.
    QFontDatabase::addApplicationFont(QString::fromStdString(m_bCopy ? target : m_strFile));
    if (sheet) sheet->CheckFontChange();
    return true;
}

int CSaveFontPage::OnWizardNext() {
    CPenmarkDocument* doc = Document();
    ReadFields();
    if (m_strFile.empty() || !doc) return -1;
    if (!doc->IsSuffixAcceptable(m_strSuffix)) {
        ShowMessage(FormatString(StringId::kSuffixTooLong, int(kMaxNewNameLength)),
                    MessageStyle::kOk | MessageStyle::kIconExclamation);
        return -1;
    }
    CPenmarkDlg* sheet = Sheet();
    FontCatalog& fonts = sheet ? sheet->Fonts() : SystemFontCatalog();
    if (m_bInstall && IsFontNameInstalled(fonts, m_strNewName)) {
        ShowMessage(FormatString(StringId::kFontNameInstalled, m_strNewName.c_str()),
                    MessageStyle::kOk | MessageStyle::kIconExclamation);
        return -1;
    }
    if (int id = FontDestinationErrorStringId(m_strFile)) {
        ShowMessage(FormatString(id, m_strFile.c_str()), MessageStyle::kOk | MessageStyle::kIconExclamation);
        return -1;
    }
    if (doc->FileExists(m_strFile) &&
        ShowMessage(FormatString(StringId::kFontFileExists, m_strFile.c_str()),
                    MessageStyle::kYesNo | MessageStyle::kIconQuestion | MessageStyle::kDefaultSecond) != 6)
        return -1;
    std::string target = m_strFile, registered = m_strFile;
    if (m_bInstall && m_bCopy && !FontsFolderTarget(target, registered)) return -1;
    if (!doc->SaveFont(m_strFile, m_strSuffix)) {
        // Stopped with Esc: nothing to say; otherwise why the font could not be written.
        std::string reason = SaveFontErrorText(doc->LastLoadError(), doc->SaveNotes(), m_strFile);
        if (!reason.empty()) ShowMessage(reason, MessageStyle::kOk | MessageStyle::kIconStop);
        return -1;
    }
    if (doc->SaveNotes().droppedGraphite)
        ShowMessage(StringId::kGraphiteDropped, MessageStyle::kOk | MessageStyle::kIconInformation);
    if (m_bInstall && !Install(target, registered)) return -1;
    return 0;
}
