// A picture of a 60-key PC keyboard whose character keys show what they type on the
// program's active layout under the current modifiers. The user types on it with the
// mouse or the real keyboard; each character typed goes to the parent as a byte of the
// layout's code page. Shift, Ctrl and Alt latch when clicked, Caps Lock is the picture's
// own toggle, and dead keys compose as on the real keyboard.
#pragma once

#include <QFont>
#include <QPainterPath>
#include <QRect>
#include <QString>
#include <QWidget>
#include <bitset>
#include <memory>
#include <vector>

#include "CodePages.h"
#include "FontInfo.h"
#include "KeyboardLayouts.h"

// String ids of the named keys' labels.
constexpr int kStrKeyBackSpace = 62250;
constexpr int kStrKeyTab = 62251;
constexpr int kStrKeyCapsLock = 62252;
constexpr int kStrKeyEnter = 62253;
constexpr int kStrKeyShift = 62254;
constexpr int kStrKeyCtrl = 62255;
constexpr int kStrKeyAlt = 62256;
constexpr int kStrKeyAltGr = 62257;

class CKeyboardCtrl : public QWidget {
    Q_OBJECT
public:
    // Key flags.
    static constexpr int kDown = 1;      // physically down
    static constexpr int kPressed = 2;   // pressed with the mouse, or latched
    static constexpr int kGrey = 4;      // the legend is not one printable character
    static constexpr int kDeadKey = 8;
    static constexpr int kLight = 0x10;  // light colour scheme (character keys)
    static constexpr int kInert = 0x20;  // ignores clicks and typing

    static constexpr int kKeyCount = 60;
    static constexpr int kSearchKeyCount = 48;  // the character keys and the space bar
    static constexpr int kSpaceBar = 47;
    static constexpr int kBackSpace = 48;
    static constexpr int kTab = 49;
    static constexpr int kCapsLock = 50;
    static constexpr int kEnter = 53;
    static constexpr int kLeftShift = 54;
    static constexpr int kRightShift = 55;
    static constexpr int kLeftCtrl = 56;
    static constexpr int kLeftAlt = 57;
    static constexpr int kRightAlt = 58;
    static constexpr int kRightCtrl = 59;

    struct CKey {
        std::vector<QRect> rects;  // one, or two for the L-shaped Enter (upper row first)
        int vk = 0;
        int flags = 0;
        uint16_t scanCode = 0;     // character keys and the space bar
        int legend = 0xFF;         // character keys: the byte shown
        char32_t legendChar = 0;   // ... and the character it stands for
        int labelId = 0;           // named keys: the label's string id
        int iconPos = 0;           // 0 none, 1 icon before the text, 2 after it
        bool spacer = false;
        bool IsCharacter() const { return scanCode != 0; }
        QRect Bounds() const;
    };

    // layouts: the program's keyboard layouts; the picture shows the active one.
    explicit CKeyboardCtrl(IKeyboardLayouts* layouts, QWidget* parent = nullptr);
    ~CKeyboardCtrl() override;

    // The font of the character legends.
    void SetFont(const LogFont& lf);
    // Recomputes the legends (after the parent changed something they depend on).
    void RefreshLegends();

    // The keys a search for a character's keystrokes goes through, in order: the
    // character keys and the space bar.
    std::vector<uint16_t> SearchScanCodes() const;
    std::vector<int> SearchVirtualKeys() const;

    const CKey& Key(int index) const { return m_keys[size_t(index)]; }
    QRect KeyboardRect() const { return m_rcKeyboard; }
    const std::vector<KeyStroke>& PendingDeadKeys() const { return m_deadKeys; }
    bool CapsLock() const { return m_bCapsLock; }
    const std::string& LayoutName() const { return m_strLayout; }
    // The key under a point, -1 for none.
    int HitTest(const QPoint& point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void charTyped(int byte);
    void notificationForwarded(int code);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void InitKeys();
    void OpenActiveLayout();
    void Layout();
    int ShiftState() const;
    bool IsModifier(int index) const;
    int GenericKey(int vk) const;
    void ToggleLatch(int index);
    void ClearLatch(int genericVk);
    void TypeKey(int index, int shiftState);
    void SendChar(char32_t c);
    void UpdateLegends();
    void ReleaseCapture();
    void RepaintKey(int index);
    int KeyFromScanCode(uint16_t scanCode) const;
    void TrackPhysical(uint16_t scanCode, bool down);
    void DrawKey(QPainter& painter, const CKey& key) const;
    void DrawIcon(QPainter& painter, const CKey& key, const QRect& area) const;
    QFont LabelFont() const;
    QString LabelText(const CKey& key) const;

    IKeyboardLayouts* m_pLayouts;
    std::unique_ptr<IKeyTranslator> m_pTranslator;
    std::unique_ptr<CodePageCodec> m_pCodec;
    std::string m_strLayout;
    std::vector<CKey> m_keys;
    std::vector<KeyStroke> m_deadKeys;
    int m_pCapture = -1;  // the key pressed with the mouse and not yet released
    bool m_bCapsLock = false;
    bool m_bDirty = true;
    QRect m_rcKeyboard;
    LogFont m_lf;
    bool m_bHasFont = false;
    QFont m_legendFont;
    // Keys held down on the real keyboard, by scan code.
    std::bitset<256> m_down;
};
