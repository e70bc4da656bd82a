// Step 1: the installed TrueType faces by full name, a sample of the selected one; Next
// stores the chosen face in the document.
#pragma once

#include <string>
#include <vector>

#include "CWizardPage.h"
#include "FontInfo.h"

class CFontSample;
class FontEnumerator;
struct FontEnumEntry;
class QListWidget;
class QListWidgetItem;

// Control ids.
constexpr int IDC_FONT_LIST = 1056;
constexpr int IDC_FONT_SAMPLE = 1057;

class COpenFontPage : public CWizardPage {
    Q_OBJECT
public:
    explicit COpenFontPage(QWidget* parent = nullptr);
    ~COpenFontPage() override;

    bool CanGoNext() const override;
    int OnWizardNext() override;
    void OnSetActive() override;
    void OnFontChange() override;

    // Rebuilds m_fonts from an enumeration: by default one listing of the sheet's
    // catalogue (the system's without a sheet), or the one SetFontEnumerator gave.
    void FillFontList();
    void FillFontList(FontEnumerator& fonts);
    // FillFontList, then the list shows the records and the first one is selected.
    void RefreshList();
    // An enumeration of one's own instead of the catalogue (not owned; null: none).
    void SetFontEnumerator(FontEnumerator* fonts) { m_pEnumerator = fonts; }

    QListWidget* FontList() const { return m_pList; }
    CFontSample* Sample() const { return m_pSample; }
    // The record of the selected item; null when nothing is selected.
    const FontInfo* SelectedFont() const;

    std::vector<FontInfo> m_fonts;  // the list's item data indexes this
    CFontSample* m_pSample = nullptr;
    bool m_bRefresh = true;

private:
    // What one enumeration remembers from entry to entry.
    struct FontEnumContext {
        std::string szLastFamily;
        std::string szLastStyle;
        int32_t nLastCharset = -1;
        int32_t nLastIndex = -1;
    };
    void AddFace(FontEnumerator& fonts, FontEnumContext& context, const FontEnumEntry& face, bool basic);
    void OnSelectionChanged();
    void OnItemDoubleClicked(QListWidgetItem* item);

    QListWidget* m_pList = nullptr;
    FontEnumerator* m_pEnumerator = nullptr;
};
