#include "CPlaceToFontPage.h"

#include <QApplication>
#include <QCollator>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>

#include "CCharKeyMap.h"
#include "CCharMapCtrl.h"
#include "CKeyboardCtrl.h"
#include "CPenmarkDlg.h"
#include "CSymbolPreview.h"
#include "PageIds.h"
#include "PenmarkDocument.h"
#include "PlatformVersion.h"
#include "Strings.h"
#include "WizardMessages.h"
#include "XkbKeyboard.h"

namespace {

constexpr int kStrTabKeyboard = 61312, kStrTabCharMap = 61313, kStrSelectLayout = 61314;
constexpr int kStrKeysLabel = 62161, kStrPreviewLabel = 62162, kStrUnicodeLabel = 62163;
constexpr int kStrTabCode = 62164, kStrCodeLabel = 62165, kStrUnicodeEntry = 62166;
constexpr int kDefaultCharset = 1;
// The first code of the private use area: a symbol there hides no letter.
constexpr char32_t kPrivateUseStart = 0xE000;
constexpr char32_t kNoCharacter = 0xFFFF;  // the document's "none chosen"

// The document holds a 16-bit value: a character beyond it, a half of a surrogate pair
// or a noncharacter (U+FDD0..U+FDEF, U+FFFE, U+FFFF) cannot be chosen.
bool IsChoosable(char32_t c) {
    bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    bool noncharacter = (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
    return c > 0x20 && c <= 0xFFFF && !surrogate && !noncharacter;
}
// Below this major version characters come from the system's code page.
constexpr int kLayoutCodePageMajor = 4;

const char* UiLanguage() {
    static const char* const names[] = {"en", "de", "fr", "ru"};
    return names[int(CurrentLanguage())];
}

bool OldPlatform() { return GetPlatformVersion().major < kLayoutCodePageMajor; }

QLabel* PlainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

CPlaceToFontPage::CPlaceToFontPage(QWidget* parent) : CWizardPage(PageText::kTitleStep1 + 5, parent) {}

CPlaceToFontPage::~CPlaceToFontPage() = default;

IKeyboardLayouts& CPlaceToFontPage::LayoutService() const {
    if (CPenmarkDlg* sheet = Sheet()) return sheet->KeyboardLayouts();
    static XkbKeyboardLayouts desktop;
    return desktop;
}

void CPlaceToFontPage::CreateControls() {
    if (m_pKeyboard) return;
    auto* grid = new QGridLayout(this);
    grid->addWidget(Label(PageText::kPlaceText, this), 0, 0, 1, 2);
    m_pTab = new QTabBar(this);
    m_pTab->addTab(Text(kStrTabKeyboard));
    m_pTab->addTab(Text(kStrTabCharMap));
    m_pTab->addTab(Text(kStrTabCode));
    SetControlId(m_pTab, IDC_PLACE_TAB);
    grid->addWidget(m_pTab, 1, 0, 1, 2);

    auto* area = new QFrame(this);
    area->setFrameShape(QFrame::StyledPanel);
    auto* inner = new QGridLayout(area);
    auto* comboLabel = new QLabel(Text(kStrSelectLayout), area);
    comboLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pCombo = new QComboBox(area);
    SetControlId(m_pCombo, IDC_LAYOUT_COMBO);
    comboLabel->setBuddy(m_pCombo);
    inner->addWidget(comboLabel, 0, 0);
    inner->addWidget(m_pCombo, 0, 1);
    inner->setColumnStretch(0, 1);
    inner->setColumnStretch(1, 1);
    m_pStack = new QStackedWidget(area);
    m_pKeyboard = new CKeyboardCtrl(&LayoutService(), m_pStack);
    m_pCharMap = new CCharMapCtrl(m_pStack);
    auto* codePage = new QWidget(m_pStack);
    auto* codeLayout = new QVBoxLayout(codePage);
    codeLayout->addWidget(Label(kStrCodeLabel, codePage));
    m_pCode = new QLineEdit(codePage);
    m_pCode->setMaxLength(4);
    m_pCode->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f]{0,4}"), m_pCode));
    codeLayout->addWidget(m_pCode, 0, Qt::AlignLeft);
    codeLayout->addStretch(1);
    m_pStack->addWidget(m_pKeyboard);
    m_pStack->addWidget(m_pCharMap);
    m_pStack->addWidget(codePage);
    inner->addWidget(m_pStack, 1, 0, 1, 2);
    grid->addWidget(area, 2, 0, 1, 2);
    grid->setRowStretch(2, 1);

    auto* info = new QGridLayout;
    info->addWidget(Label(kStrKeysLabel, this), 0, 0);
    m_pKeys = new QLineEdit(this);
    m_pKeys->setReadOnly(true);
    SetControlId(m_pKeys, IDC_KEY_TEXT);
    info->addWidget(m_pKeys, 1, 0);
    // The code stands where each language's sentence puts it ("%s"): German ends on
    // the verb, after the code.
    const QString sentence = Text(kStrUnicodeLabel);
    const qsizetype at = sentence.indexOf("%s");
    auto* unicodeRow = new QHBoxLayout;
    unicodeRow->addWidget(PlainLabel(at < 0 ? sentence : sentence.left(at).trimmed(), this));
    m_pUnicode = new QLabel(this);
    SetControlId(m_pUnicode, IDC_UNICODE_TEXT);
    unicodeRow->addWidget(m_pUnicode);
    if (const QString rest = at < 0 ? QString() : sentence.mid(at + 2).trimmed(); !rest.isEmpty())
        unicodeRow->addWidget(PlainLabel(rest, this));
    unicodeRow->addStretch(1);
    info->addLayout(unicodeRow, 2, 0);
    info->addWidget(Label(kStrPreviewLabel, this), 0, 1, Qt::AlignHCenter);
    m_pPreview = new CSymbolPreview(this);
    m_pPreview->setFixedSize(72, 72);
    SetControlId(m_pPreview, IDC_PLACE_PREVIEW);
    info->addWidget(m_pPreview, 1, 1, 2, 1, Qt::AlignHCenter);
    info->setColumnStretch(0, 1);
    grid->addLayout(info, 3, 0, 1, 2);

    connect(m_pTab, &QTabBar::currentChanged, this, &CPlaceToFontPage::ShowTab);
    connect(m_pCombo, &QComboBox::activated, this, [this](int index) {
        QString name = m_pCombo->itemData(index).toString();
        if (!name.isEmpty()) ChooseLayout(name.toStdString());
    });
    connect(m_pKeyboard, &CKeyboardCtrl::charTyped, this, [this](int byte) {
        SetCurrentChar(byte, false);
        m_pCharMap->Select(byte);
    });
    connect(m_pKeyboard, &CKeyboardCtrl::notificationForwarded, this, &CPlaceToFontPage::OnNotify);
    connect(m_pCharMap, &CCharMapCtrl::cellSelected, this, [this](int code) { SetCurrentChar(code, false); });
    connect(m_pCode, &QLineEdit::textEdited, this, [this](const QString& text) {
        bool ok = false;
        uint code = text.toUInt(&ok, 16);
        if (ok) SetCurrentUnicode(char32_t(code));
        else Apply(std::nullopt, -1);
    });
    ShowTab(kKeyboardTab);
}

void CPlaceToFontPage::ShowTab(int tab) {
    if (!m_pStack) return;
    bool hadFocus = m_pStack->currentWidget() && m_pStack->currentWidget()->hasFocus();
    if (m_pTab->currentIndex() != tab) m_pTab->setCurrentIndex(tab);
    m_pStack->setCurrentIndex(tab);
    if (tab == kCodeTab) ShowChosenCode();
    if (hadFocus || tab == kCodeTab) (tab == kCodeTab ? static_cast<QWidget*>(m_pCode) : m_pStack->currentWidget())->setFocus();
}

void CPlaceToFontPage::ShowChosenCode() {
    CPenmarkDocument* doc = Document();
    char32_t chosen = doc && m_bValid ? char32_t(doc->m_wCharCode) : kNoCharacter;
    // With nothing chosen yet, the safe choice in this mode: the private use area.
    char32_t shown = chosen != kNoCharacter ? chosen : kPrivateUseStart;
    m_pCode->setText(QString::asprintf("%04x", unsigned(shown)));
    if (chosen == kNoCharacter) SetCurrentUnicode(kPrivateUseStart);
}

void CPlaceToFontPage::OnNotify(int code) {
    if (code == WizardNotify::kInputLanguageChanged || code == WizardNotify::kAppActivated) RefreshLayouts();
}

void CPlaceToFontPage::ComputeCharsets(KeyboardLayoutInfo& info) const {
    CPenmarkDocument* doc = Document();
    if (OldPlatform()) {
        info.codePage = kDefaultCodePage;
        info.layoutCharset = info.displayCharset = kDefaultCharset;
        return;
    }
    info.codePage = info.layout.codePage;
    info.layoutCharset = CharsetForCodePage(info.codePage);
    if (doc && !doc->SupportsCharset(info.layoutCharset)) {
        info.codePage = kDefaultCodePage;
        info.displayCharset = kDefaultCharset;
    } else {
        info.displayCharset = info.layoutCharset;
    }
}

void CPlaceToFontPage::RefreshLayouts() {
    if (m_bRefreshing || !m_pKeyboard) return;
    m_bRefreshing = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    IKeyboardLayouts& service = LayoutService();
    // The desktop's layouts, and the one the user chose here when it is another.
    std::vector<KeyboardLayout> collected = service.Configured();
    const std::string active = service.Active();
    KeyboardLayout chosen;
    bool listed = std::any_of(collected.begin(), collected.end(), [&](const KeyboardLayout& l) { return l.name == active; });
    if (!listed && service.Find(active, chosen)) collected.push_back(chosen);
    // The layout in use heads the list.
    std::stable_partition(collected.begin(), collected.end(), [&](const KeyboardLayout& l) { return l.name == active; });

    // Merge, keeping the key maps already built (a record whose code page changed with
    // the face's charsets needs its map again).
    m_nLayout = -1;
    for (size_t p = 0; p < collected.size(); ++p) {
        auto found = std::find_if(m_layouts.begin() + std::min(p, m_layouts.size()), m_layouts.end(),
                                  [&](const KeyboardLayoutInfo& r) { return r.layout.name == collected[p].name; });
        if (found != m_layouts.end()) {
            std::iter_swap(m_layouts.begin() + long(p), found);
        } else {
            KeyboardLayoutInfo info;
            info.layout = collected[p];
            m_layouts.insert(m_layouts.begin() + long(p), std::move(info));
        }
        m_layouts[p].layout = collected[p];
        int codePage = m_layouts[p].codePage;
        ComputeCharsets(m_layouts[p]);
        if (m_layouts[p].codePage != codePage) m_layouts[p].keyMap.reset();
        if (collected[p].name == active) m_nLayout = int(p);
    }
    m_layouts.resize(collected.size());

    // The combo box: these layouts, then the registry's others.
    m_pCombo->blockSignals(true);
    m_pCombo->clear();
    for (const KeyboardLayoutInfo& info : m_layouts)
        m_pCombo->addItem(QString::fromStdString(service.DisplayName(info.layout, UiLanguage())),
                          QString::fromStdString(info.layout.name));
    if (m_others.empty()) CollectOtherLayouts(service);
    bool separated = false;
    for (const auto& [text, l] : m_others) {
        if (std::any_of(m_layouts.begin(), m_layouts.end(), [&](const KeyboardLayoutInfo& r) { return r.layout.name == l.name; }))
            continue;
        if (!separated) m_pCombo->insertSeparator(m_pCombo->count());
        separated = true;
        m_pCombo->addItem(text, QString::fromStdString(l.name));
    }
    m_pCombo->setCurrentIndex(m_nLayout);
    m_pCombo->blockSignals(false);

    // The fonts in the chosen face with the layout's display charset.
    if (CPenmarkDocument* doc = Document()) {
        const KeyboardLayoutInfo* current = m_nLayout >= 0 ? &m_layouts[size_t(m_nLayout)] : nullptr;
        doc->m_fontInfo.lf.lfCharSet = uint8_t(current ? current->displayCharset : kDefaultCharset);
        m_pKeyboard->SetFont(doc->m_fontInfo.lf);
        m_pCharMap->SetFont(doc->m_fontInfo, CodePage());
        m_pPreview->SetFont(doc->m_fontInfo);
    }
    QApplication::restoreOverrideCursor();
    m_bRefreshing = false;
    SetCurrentChar(m_nCurChar, true);
}

void CPlaceToFontPage::CollectOtherLayouts(IKeyboardLayouts& service) {
    for (const KeyboardLayout& l : service.Available())
        if (l.variant.empty()) m_others.emplace_back(QString::fromStdString(service.DisplayName(l, UiLanguage())), l);
    // In the order of the user's language, as a reader looks a name up.
    QCollator collator{QLocale(QString::fromLatin1(UiLanguage()))};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(m_others.begin(), m_others.end(),
                     [&](const auto& a, const auto& b) { return collator.compare(a.first, b.first) < 0; });
}

void CPlaceToFontPage::ChooseLayout(const std::string& name) {
    IKeyboardLayouts& service = LayoutService();
    if (!service.SetActive(name)) return;
    // As when the desktop switches layouts: every widget hears it, the picture reopens
    // its layout and tells this page, which refreshes.
    if (CPenmarkDlg* sheet = Sheet()) {
        sheet->Notify(WizardNotify::kInputLanguageChanged);
    } else {
        WizardNotifyEvent ev(WizardNotify::kInputLanguageChanged);
        QCoreApplication::sendEvent(m_pKeyboard, &ev);
    }
}

int CPlaceToFontPage::CodePage() const {
    if (OldPlatform() || m_nLayout < 0) return kDefaultCodePage;
    return m_layouts[size_t(m_nLayout)].codePage;
}

void CPlaceToFontPage::SetCurrentChar(int code, bool force) {
    if (code == m_nCurChar && !force) return;
    m_nCurChar = code;
    if (code < 0 || code > 255) {
        Apply(std::nullopt, -1);
        return;
    }
    CodePageCodec codec(CodePage());
    std::optional<std::u32string> chars = codec.Decode(std::string(1, char(code)));
    std::optional<char32_t> unicode;
    if (chars && chars->size() == 1) unicode = (*chars)[0];
    Apply(unicode, code);
}

void CPlaceToFontPage::SetCurrentUnicode(char32_t unicode) {
    CodePageCodec codec(CodePage());
    std::optional<std::string> bytes = codec.Encode(std::u32string(1, unicode));
    m_nCurChar = bytes && bytes->size() == 1 ? uint8_t((*bytes)[0]) : -1;
    Apply(unicode, m_nCurChar);
}

void CPlaceToFontPage::Apply(std::optional<char32_t> unicode, int byte) {
    CPenmarkDocument* doc = Document();
    if (doc) doc->m_wCharCode = uint16_t(kNoCharacter);
    m_bValid = false;
    QString unicodeText, keyText;
    if (unicode && IsChoosable(*unicode)) {
        m_bValid = true;
        if (doc) doc->m_wCharCode = uint16_t(*unicode);
        unicodeText = QString::asprintf("%04x", unsigned(*unicode));
        keyText = KeySequenceText(byte);
        if (keyText.isEmpty()) keyText = QString::fromStdString(FormatString(kStrUnicodeEntry, unicodeText.toLatin1().constData()));
    }
    if (m_pUnicode) m_pUnicode->setText(unicodeText);
    if (m_pKeys) m_pKeys->setText(keyText);
    if (m_pPreview) m_pPreview->SetChar(m_bValid ? int(*unicode) : CSymbolPreview::kNoChar);
    UpdateButtons();
}

QString CPlaceToFontPage::KeySequenceText(int byte) {
    if (byte < 0 || m_nLayout < 0) return {};
    KeyboardLayoutInfo& info = m_layouts[size_t(m_nLayout)];
    if (!info.keyMap) {
        // The layout's keymap is compiled once, with its key map.
        info.translator = LayoutService().Open(info.layout.name);
        if (!info.translator) return {};
        QApplication::setOverrideCursor(Qt::WaitCursor);
        CodePageCodec codec(info.codePage);
        info.keyMap = std::make_unique<CCharKeyMap>(*info.translator, codec, m_pKeyboard->SearchScanCodes());
        QApplication::restoreOverrideCursor();
    }
    IKeyTranslator* translator = info.translator.get();
    int entry = info.keyMap->EntryFor(byte);
    if (entry < 0) return {};
    QStringList strokes;
    for (const KeyStroke& stroke : info.keyMap->Sequence(entry)) {
        QString text;
        if (stroke.shiftState & KeyShift::kShift) text += Text(kStrKeyShift) + " + ";
        // The third level is what a Linux keyboard reaches with AltGr.
        if ((stroke.shiftState & KeyShift::kThirdLevel) == KeyShift::kThirdLevel) {
            text += Text(kStrKeyAltGr) + " + ";
        } else {
            if (stroke.shiftState & KeyShift::kCtrl) text += Text(kStrKeyCtrl) + " + ";
            if (stroke.shiftState & KeyShift::kAlt) text += Text(kStrKeyAlt) + " + ";
        }
        if (stroke.scanCode == kScanSpace) {
            text += "' '";
        } else {
            translator->ClearDeadKeys();
            KeyTranslation plain = translator->Translate(stroke.scanCode, 0);
            text += QString::fromStdU32String(plain.chars.substr(0, 1));
        }
        strokes << text;
    }
    return strokes.join(", ");
}

QString CPlaceToFontPage::UnicodeText() const { return m_pUnicode ? m_pUnicode->text() : QString(); }
QString CPlaceToFontPage::KeyText() const { return m_pKeys ? m_pKeys->text() : QString(); }

void CPlaceToFontPage::OnSetActive() {
    CreateControls();
    IKeyboardLayouts& service = LayoutService();
    m_pCharMap->Measure();
    m_strOnEnter = service.Active();
    if (!m_strSaved.empty() && m_strSaved != m_strOnEnter) service.SetActive(m_strSaved);
    WizardNotifyEvent ev(WizardNotify::kInputLanguageChanged);
    QCoreApplication::sendEvent(m_pKeyboard, &ev);  // the picture reopens the layout; the page refreshes
    RefreshLayouts();
    CPenmarkDocument* doc = Document();
    if (!m_bEntered && doc && doc->m_wCharCode != kNoCharacter) {
        // The document's character as a byte of this layout, or by its code.
        char32_t unicode = doc->m_wCharCode;
        CodePageCodec codec(CodePage());
        std::optional<std::string> bytes = codec.Encode(std::u32string(1, unicode));
        if (bytes && bytes->size() == 1) {
            SetCurrentChar(uint8_t((*bytes)[0]), true);
            m_pCharMap->Select(m_nCurChar);
        } else {
            m_pCode->setText(QString::number(uint(unicode), 16));
            ShowTab(kCodeTab);
            SetCurrentUnicode(unicode);
        }
    }
    m_bEntered = true;
    UpdateButtons();
    QTimer::singleShot(0, this, [this] {
        QWidget* shown = m_pStack->currentWidget();
        if (shown && shown->isVisible()) shown->setFocus();
    });
}

void CPlaceToFontPage::OnKillActive() {
    if (!m_pKeyboard) return;
    IKeyboardLayouts& service = LayoutService();
    m_bKeyboardShown = m_pStack->currentWidget() == m_pKeyboard;
    m_strSaved = service.Active();
    if (!m_strOnEnter.empty() && m_strOnEnter != m_strSaved) service.SetActive(m_strOnEnter);
}
