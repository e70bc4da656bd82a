// Step 6: the character the symbol replaces, chosen on a picture of the keyboard, in a
// map of the layout's code page, or (beyond the code page) by its code; the page shows
// its Unicode value, how it is typed on the layout, and the character in the chosen face.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CWizardPage.h"
#include "CodePages.h"
#include "KeyboardLayouts.h"

class CCharKeyMap;
class CCharMapCtrl;
class CKeyboardCtrl;
class CSymbolPreview;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QTabBar;

// Control ids.
constexpr int IDC_LAYOUT_COMBO = 1042;
constexpr int IDC_PLACE_TAB = 1047;
constexpr int IDC_PLACE_PREVIEW = 1048;
constexpr int IDC_UNICODE_TEXT = 1049;
constexpr int IDC_KEY_TEXT = 1060;

struct KeyboardLayoutInfo {
    KeyboardLayout layout;
    int codePage = kDefaultCodePage;  // converts the layout's bytes to Unicode
    int layoutCharset = 1;
    int displayCharset = 1;           // the layout's, when the chosen face has it
    std::unique_ptr<IKeyTranslator> translator;  // opened with the key map, on first use
    std::unique_ptr<CCharKeyMap> keyMap;  // built on first use
};

class CPlaceToFontPage : public CWizardPage {
    Q_OBJECT
public:
    enum Tab { kKeyboardTab = 0, kCharMapTab = 1, kCodeTab = 2 };

    explicit CPlaceToFontPage(QWidget* parent = nullptr);
    ~CPlaceToFontPage() override;

    bool CanGoNext() const override { return m_bValid; }
    int OnWizardNext() override { return m_bValid ? 0 : -1; }
    void OnSetActive() override;
    void OnKillActive() override;

    // The one place the document's character is written: a byte of the current layout's
    // code page, or -1 for none.
    void SetCurrentChar(int code, bool force);
    // A character by its code (the code tab): its byte on the layout when it has one.
    void SetCurrentUnicode(char32_t unicode);
    void RefreshLayouts();
    // Activates a layout of the combo box's list, by name.
    void ChooseLayout(const std::string& name);
    void ShowTab(int tab);
    // The Any Character box shows the chosen character (the private use area without one).
    void ShowChosenCode();
    void CollectOtherLayouts(IKeyboardLayouts& service);

    int CurrentChar() const { return m_nCurChar; }
    bool Valid() const { return m_bValid; }
    const std::vector<KeyboardLayoutInfo>& Layouts() const { return m_layouts; }
    int CurrentLayout() const { return m_nLayout; }
    QString UnicodeText() const;
    QString KeyText() const;

    CKeyboardCtrl* Keyboard() const { return m_pKeyboard; }
    CCharMapCtrl* CharMap() const { return m_pCharMap; }
    CSymbolPreview* Preview() const { return m_pPreview; }
    QComboBox* LayoutCombo() const { return m_pCombo; }
    QTabBar* Tabs() const { return m_pTab; }
    QLineEdit* CodeEdit() const { return m_pCode; }

private:
    void CreateControls();
    IKeyboardLayouts& LayoutService() const;
    void ComputeCharsets(KeyboardLayoutInfo& info) const;
    int CodePage() const;
    void Apply(std::optional<char32_t> unicode, int byte);
    QString KeySequenceText(int byte);
    void OnNotify(int code);

    std::vector<KeyboardLayoutInfo> m_layouts;
    // The registry's layouts the combo offers after them, with their names, sorted.
    std::vector<std::pair<QString, KeyboardLayout>> m_others;
    int m_nLayout = -1;
    CCharMapCtrl* m_pCharMap = nullptr;
    CKeyboardCtrl* m_pKeyboard = nullptr;
    CSymbolPreview* m_pPreview = nullptr;
    QTabBar* m_pTab = nullptr;
    QStackedWidget* m_pStack = nullptr;
    QComboBox* m_pCombo = nullptr;
    QLineEdit* m_pKeys = nullptr;
    QLabel* m_pUnicode = nullptr;
    QLineEdit* m_pCode = nullptr;
    std::string m_strOnEnter;
    std::string m_strSaved;
    bool m_bKeyboardShown = true;
    bool m_bValid = false;
    bool m_bEntered = false;
    int m_nCurChar = -1;
    bool m_bRefreshing = false;
};
