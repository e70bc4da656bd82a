#include "CKeyboardCtrl.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "Accessibility.h"
#include "PlatformVersion.h"
#include "Strings.h"
#include "WizardMessages.h"

namespace {

// The scan codes of the character keys, row by row, then the space bar.
const uint16_t kScanCodes[CKeyboardCtrl::kSearchKeyCount] = {
    0x29, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x2B,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B,
    0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28,
    0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35,
    kScanSpace};

// Scan codes of the named keys (the right-hand keys carry the extended prefix on a PC,
// which Linux numbers 0x61 and 0x64).
constexpr uint16_t kScanLeftShift = 0x2A, kScanRightShift = 0x36, kScanLeftCtrl = 0x1D, kScanRightCtrl = 0x61,
                   kScanLeftAlt = 0x38, kScanRightAlt = 0x64;

struct NamedScan {
    uint16_t scanCode;
    int index;
};
const NamedScan kNamedScans[] = {
    {0x0E, CKeyboardCtrl::kBackSpace}, {0x0F, CKeyboardCtrl::kTab},       {0x3A, CKeyboardCtrl::kCapsLock},
    {0x1C, CKeyboardCtrl::kEnter},     {0x2A, CKeyboardCtrl::kLeftShift}, {0x36, CKeyboardCtrl::kRightShift},
    {0x1D, CKeyboardCtrl::kLeftCtrl},  {0x38, CKeyboardCtrl::kLeftAlt},   {0x64, CKeyboardCtrl::kRightAlt},
    {0x61, CKeyboardCtrl::kRightCtrl},
};

const QColor kLightFace(192, 192, 192), kLightHighlight(255, 255, 255), kLightSide(128, 128, 128);
const QColor kDarkFace(128, 128, 128), kDarkHighlight(192, 192, 192), kDarkSide(64, 64, 64);
const QColor kGreyText(128, 128, 128);

// The outline of a key's cells, clockwise on the screen: a rectangle, or the L of the
// Enter key (upper cell first, the lower one reaching further left).
QPolygon Outline(const std::vector<QRect>& rects) {
    if (rects.empty()) return {};
    const QRect& a = rects[0];
    int right = a.x() + a.width(), top = a.y(), bottom = a.y() + a.height();
    if (rects.size() == 1)
        return QPolygon(QList<QPoint>{{a.x(), top}, {right, top}, {right, bottom}, {a.x(), bottom}});
    const QRect& b = rects[1];
    int lowBottom = b.y() + b.height();
    return QPolygon(QList<QPoint>{{a.x(), top}, {right, top}, {right, lowBottom}, {b.x(), lowBottom},
                                  {b.x(), b.y()}, {a.x(), b.y()}});
}

// Moves each edge of an axis-aligned clockwise polygon inwards: top edges down by t,
// bottom edges up by b, left edges right by l, right edges left by r.
QPolygon Inset(const QPolygon& poly, int l, int t, int r, int b) {
    QPolygon out(poly.size());
    int n = int(poly.size());
    for (int i = 0; i < n; ++i) {
        QPoint prev = poly[(i + n - 1) % n], cur = poly[i], next = poly[(i + 1) % n];
        int x = cur.x(), y = cur.y();
        for (auto [from, to] : {std::pair{prev, cur}, std::pair{cur, next}}) {
            int dx = to.x() - from.x(), dy = to.y() - from.y();
            if (dy == 0 && dx > 0) y += t;
            if (dy == 0 && dx < 0) y -= b;
            if (dx == 0 && dy < 0) x += l;
            if (dx == 0 && dy > 0) x -= r;
        }
        out[i] = QPoint(x, y);
    }
    return out;
}

}  // namespace

QRect CKeyboardCtrl::CKey::Bounds() const {
    QRect bounds;
    for (const QRect& r : rects) bounds |= r;
    return bounds;
}

CKeyboardCtrl::CKeyboardCtrl(IKeyboardLayouts* layouts, QWidget* parent) : QWidget(parent), m_pLayouts(layouts) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetAccessibleText(this, 62263);
    InitKeys();
    if (m_pLayouts) m_bCapsLock = m_pLayouts->CapsLockOn();
    OpenActiveLayout();
    Layout();
    UpdateLegends();
}

CKeyboardCtrl::~CKeyboardCtrl() = default;

QSize CKeyboardCtrl::sizeHint() const { return QSize(15 * 32 + 2, 5 * 32 + 2); }
QSize CKeyboardCtrl::minimumSizeHint() const { return QSize(15 * 10 + 2, 5 * 10 + 2); }

void CKeyboardCtrl::InitKeys() {
    bool sided = GetPlatformVersion().platformId == 2;
    m_keys.assign(kKeyCount, CKey());
    for (int i = 0; i < kSearchKeyCount; ++i) {
        m_keys[size_t(i)].scanCode = kScanCodes[i];
        m_keys[size_t(i)].flags = kLight;
    }
    auto named = [&](int index, int vk, int label, int icon, int flags) {
        CKey& key = m_keys[size_t(index)];
        key.vk = vk;
        key.labelId = label;
        key.iconPos = icon;
        key.flags = flags;
    };
    named(kBackSpace, VirtualKey::kBack, kStrKeyBackSpace, 1, kInert);
    named(kTab, VirtualKey::kTab, kStrKeyTab, 2, kInert);
    named(kCapsLock, VirtualKey::kCapital, kStrKeyCapsLock, 0, 0);
    named(kEnter, VirtualKey::kReturn, kStrKeyEnter, 2, kInert);
    named(kLeftShift, sided ? VirtualKey::kLShift : VirtualKey::kShift, kStrKeyShift, 1, 0);
    named(kRightShift, sided ? VirtualKey::kRShift : VirtualKey::kShift, kStrKeyShift, 1, 0);
    named(kLeftCtrl, sided ? VirtualKey::kLControl : VirtualKey::kControl, kStrKeyCtrl, 0, 0);
    named(kLeftAlt, sided ? VirtualKey::kLMenu : VirtualKey::kMenu, kStrKeyAlt, 0, 0);
    named(kRightAlt, sided ? VirtualKey::kRMenu : VirtualKey::kMenu, kStrKeyAltGr, 0, 0);
    named(kRightCtrl, sided ? VirtualKey::kRControl : VirtualKey::kControl, kStrKeyCtrl, 0, 0);
    m_keys[51].spacer = m_keys[52].spacer = true;
}

void CKeyboardCtrl::OpenActiveLayout() {
    m_pTranslator.reset();
    m_strLayout.clear();
    if (m_pLayouts) {
        m_strLayout = m_pLayouts->Active();
        m_pTranslator = m_pLayouts->Open(m_strLayout);
    }
    m_pCodec = std::make_unique<CodePageCodec>(m_pTranslator ? m_pTranslator->Layout().codePage : kDefaultCodePage);
    for (int i = 0; i < kSearchKeyCount; ++i)
        m_keys[size_t(i)].vk = m_pTranslator ? m_pTranslator->VirtualKeyFromScanCode(kScanCodes[i]) : 0;
    m_bDirty = true;
}

std::vector<uint16_t> CKeyboardCtrl::SearchScanCodes() const {
    return std::vector<uint16_t>(std::begin(kScanCodes), std::end(kScanCodes));
}

std::vector<int> CKeyboardCtrl::SearchVirtualKeys() const {
    std::vector<int> keys;
    for (int i = 0; i < kSearchKeyCount; ++i) keys.push_back(m_keys[size_t(i)].vk);
    return keys;
}

void CKeyboardCtrl::SetFont(const LogFont& lf) {
    m_lf = lf;
    m_bHasFont = true;
    Layout();
    update();
}

void CKeyboardCtrl::RefreshLegends() { UpdateLegends(); }

// Geometry: 15 units across, 5 rows; the widths of the named keys are fractions of a
// unit in integer arithmetic, and the last key of a row reaches the right edge.
void CKeyboardCtrl::Layout() {
    const int x0 = 1, y0 = 1;
    const int width = std::max(0, this->width() - 1), height = std::max(0, this->height() - 1);
    const int u = width / 15, h = height / 5, right = x0 + width;
    auto row = [&](int r) { return y0 + r * h; };
    auto place = [&](int index, int& x, int w, int r) {
        m_keys[size_t(index)].rects = {QRect(x, row(r), w, h)};
        x += w;
    };
    int x = x0;
    for (int i = 0; i <= 13; ++i) place(i, x, u, 0);
    place(kBackSpace, x, right - x, 0);
    x = x0;
    place(kTab, x, 3 * u / 2, 1);
    for (int i = 14; i <= 25; ++i) place(i, x, u, 1);
    int enterUpper = x;
    x = x0;
    place(kCapsLock, x, 11 * u / 6, 2);
    for (int i = 26; i <= 36; ++i) place(i, x, u, 2);
    int enterLower = x;
    m_keys[kEnter].rects = {QRect(enterUpper, row(1), right - enterUpper, h),
                            QRect(enterLower, row(2), right - enterLower, h)};
    x = x0;
    place(kLeftShift, x, 7 * u / 3, 3);
    for (int i = 37; i <= 46; ++i) place(i, x, u, 3);
    place(kRightShift, x, right - x, 3);
    x = x0;
    place(kLeftCtrl, x, 3 * u / 2, 4);
    place(51, x, u, 4);
    place(kLeftAlt, x, 3 * u / 2, 4);
    place(kSpaceBar, x, width - 8 * u, 4);
    place(kRightAlt, x, 3 * u / 2, 4);
    place(52, x, u, 4);
    place(kRightCtrl, x, right - x, 4);
    m_rcKeyboard = QRect(x0, y0, width, 5 * h);

    QString family = m_bHasFont ? QString::fromStdString(m_lf.lfFaceName) : QStringLiteral("Arial");
    m_legendFont = QFont(family);
    if (m_bHasFont) {
        m_legendFont.setWeight(QFont::Weight(std::clamp(m_lf.lfWeight, 100, 900)));
        m_legendFont.setItalic(m_lf.lfItalic != 0);
    }
    int size = m_bHasFont && m_lf.lfHeight != 0 ? std::abs(m_lf.lfHeight) : h * 2 / 5;
    m_legendFont.setPixelSize(std::max(1, std::min(size, std::max(1, h - 8))));
}

void CKeyboardCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
}

bool CKeyboardCtrl::IsModifier(int index) const { return index >= kLeftShift && index <= kRightCtrl; }

int CKeyboardCtrl::GenericKey(int vk) const {
    switch (vk) {
    case VirtualKey::kLShift:
    case VirtualKey::kRShift: return VirtualKey::kShift;
    case VirtualKey::kLControl:
    case VirtualKey::kRControl: return VirtualKey::kControl;
    case VirtualKey::kLMenu:
    case VirtualKey::kRMenu: return VirtualKey::kMenu;
    default: return vk;
    }
}

// The shift state of the picture: latched keys and keys held on the real keyboard.
// AltGr reaches the third level on its own, as Ctrl and Alt together do.
int CKeyboardCtrl::ShiftState() const {
    auto latched = [&](int index) { return (m_keys[size_t(index)].flags & kPressed) != 0; };
    auto held = [&](uint16_t scanCode) { return m_down.test(scanCode); };
    bool shift = held(kScanLeftShift) || held(kScanRightShift) || latched(kLeftShift) || latched(kRightShift);
    bool ctrl = held(kScanLeftCtrl) || held(kScanRightCtrl) || latched(kLeftCtrl) || latched(kRightCtrl);
    bool alt = held(kScanLeftAlt) || latched(kLeftAlt);
    bool altGr = held(kScanRightAlt) || latched(kRightAlt);
    int state = (shift ? KeyShift::kShift : 0) | (ctrl ? KeyShift::kCtrl : 0) | (alt ? KeyShift::kAlt : 0);
    if (altGr) state |= KeyShift::kThirdLevel;
    return state;
}

void CKeyboardCtrl::ToggleLatch(int index) {
    int vk = m_keys[size_t(index)].vk;
    bool on = (m_keys[size_t(index)].flags & kPressed) == 0;
    // Keys sharing a virtual key (both Shift keys on an old platform) latch together.
    for (int k = kLeftShift; k <= kRightCtrl; ++k) {
        CKey& key = m_keys[size_t(k)];
        if (key.vk != vk) continue;
        key.flags = on ? key.flags | kPressed : key.flags & ~kPressed;
        RepaintKey(k);
    }
}

void CKeyboardCtrl::ClearLatch(int genericVk) {
    for (int k = kLeftShift; k <= kRightCtrl; ++k) {
        CKey& key = m_keys[size_t(k)];
        if (GenericKey(key.vk) != genericVk || !(key.flags & kPressed)) continue;
        key.flags &= ~kPressed;
        RepaintKey(k);
    }
}

void CKeyboardCtrl::TypeKey(int index, int shiftState) {
    const CKey& key = m_keys[size_t(index)];
    if (!key.IsCharacter() || !m_pTranslator) return;
    m_pTranslator->ReplayDeadKeys(m_deadKeys);
    KeyTranslation result = m_pTranslator->Translate(key.scanCode, shiftState, m_bCapsLock);
    if (result.Dead()) {
        m_deadKeys.push_back(KeyStroke{key.scanCode, shiftState});
        if (m_deadKeys.size() > kMaxPendingDeadKeys) m_deadKeys.erase(m_deadKeys.begin());
    } else if (result.count > 0) {
        m_deadKeys.clear();
        SendChar(result.chars.back());
    }
    UpdateLegends();
}

// A character reaches the parent as a byte of the layout's code page; one the code page
// cannot write as a single byte is not sent, since any byte would stand for another.
void CKeyboardCtrl::SendChar(char32_t c) {
    std::optional<std::string> bytes = m_pCodec->Encode(std::u32string(1, c));
    if (!bytes || bytes->size() != 1) return;
    int byte = uint8_t((*bytes)[0]);
    emit charTyped(byte);
    if (QWidget* parent = parentWidget()) {
        KeyboardCharEvent ev(byte);
        QCoreApplication::sendEvent(parent, &ev);
    }
}

void CKeyboardCtrl::UpdateLegends() {
    int shiftState = ShiftState();
    for (int i = 0; i < kSearchKeyCount; ++i) {
        CKey& key = m_keys[size_t(i)];
        int flags = key.flags & ~(kGrey | kDeadKey | kDown);
        if (m_down.test(key.scanCode)) flags |= kDown;
        int legend = 0xFF;
        bool oneByte = false;
        char32_t legendChar = 0;
        KeyTranslation result;
        if (m_pTranslator) {
            m_pTranslator->ReplayDeadKeys(m_deadKeys);
            result = m_pTranslator->Translate(key.scanCode, shiftState, m_bCapsLock);
        }
        if (!result.chars.empty()) {
            legendChar = result.chars.back();
            std::optional<std::string> bytes = m_pCodec->Encode(std::u32string(1, legendChar));
            oneByte = bytes && bytes->size() == 1;
            if (oneByte) legend = uint8_t((*bytes)[0]);
        }
        bool printable = result.count == 1 && legendChar >= 0x20 && oneByte;
        if (!printable) flags |= kGrey;
        if (result.Dead()) flags |= kDeadKey;
        if (flags != key.flags || legend != key.legend || legendChar != key.legendChar) {
            key.flags = flags;
            key.legend = legend;
            key.legendChar = legendChar;
            RepaintKey(i);
        }
    }
    if (m_pTranslator) m_pTranslator->ClearDeadKeys();
    auto setDown = [&](int index, bool down) {
        CKey& key = m_keys[size_t(index)];
        int flags = down ? key.flags | kDown : key.flags & ~kDown;
        if (flags == key.flags) return;
        key.flags = flags;
        RepaintKey(index);
    };
    for (const NamedScan& named : kNamedScans)
        setDown(named.index, m_down.test(named.scanCode) || (named.index == kCapsLock && m_bCapsLock));
    m_bDirty = false;
}

void CKeyboardCtrl::RepaintKey(int index) { update(m_keys[size_t(index)].Bounds().adjusted(-1, -1, 1, 1)); }

int CKeyboardCtrl::HitTest(const QPoint& point) const {
    for (int i = 0; i < kKeyCount; ++i) {
        const CKey& key = m_keys[size_t(i)];
        if (key.spacer) continue;
        for (const QRect& r : key.rects)
            if (r.contains(point)) return i;
    }
    return -1;
}

int CKeyboardCtrl::KeyFromScanCode(uint16_t scanCode) const {
    for (int i = 0; i < kSearchKeyCount; ++i)
        if (kScanCodes[i] == scanCode) return i;
    for (const NamedScan& named : kNamedScans)
        if (named.scanCode == scanCode) return named.index;
    return -1;
}

void CKeyboardCtrl::TrackPhysical(uint16_t scanCode, bool down) {
    if (scanCode < m_down.size()) m_down.set(scanCode, down);
}

void CKeyboardCtrl::ReleaseCapture() {
    if (m_pCapture < 0) return;
    CKey& key = m_keys[size_t(m_pCapture)];
    key.flags &= ~kPressed;
    RepaintKey(m_pCapture);
    m_pCapture = -1;
}

void CKeyboardCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        bool captured = m_pCapture >= 0;
        ReleaseCapture();
        if (captured || m_bDirty) UpdateLegends();
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    int index = HitTest(event->position().toPoint());
    if (index < 0 || (m_keys[size_t(index)].flags & kInert)) return;
    if (IsModifier(index)) {
        ToggleLatch(index);
        UpdateLegends();
        return;
    }
    m_pCapture = index;
    m_keys[size_t(index)].flags |= kPressed;
    RepaintKey(index);
}

void CKeyboardCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (m_pCapture < 0) return;
    CKey& key = m_keys[size_t(m_pCapture)];
    bool inside = HitTest(event->position().toPoint()) == m_pCapture;
    int flags = inside ? key.flags | kPressed : key.flags & ~kPressed;
    if (flags == key.flags) return;
    key.flags = flags;
    RepaintKey(m_pCapture);
}

void CKeyboardCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_pCapture < 0) return;
    int index = m_pCapture;
    bool inside = HitTest(event->position().toPoint()) == index;
    ReleaseCapture();
    if (inside) {
        if (index == kCapsLock)
            m_bCapsLock = !m_bCapsLock;
        else
            TypeKey(index, ShiftState());
    }
    UpdateLegends();
}

// The real keyboard types the picture's layout: the key is found by its scan code
// (the platform's key code less 8), whatever layout the desktop uses.
void CKeyboardCtrl::keyPressEvent(QKeyEvent* event) {
    event->accept();
    quint32 native = event->nativeScanCode();
    if (native < 8 || native > 0xFFFF) return;
    uint16_t scanCode = uint16_t(native - 8);
    TrackPhysical(scanCode, true);
    int index = KeyFromScanCode(scanCode);
    if (index >= 0) {
        const CKey& key = m_keys[size_t(index)];
        int shiftState = 0;
        if (key.IsCharacter()) {
            // The event's own modifiers tell what is held; a release we missed is forgotten.
            Qt::KeyboardModifiers mods = event->modifiers();
            if (!(mods & Qt::ShiftModifier)) m_down.reset(kScanLeftShift).reset(kScanRightShift);
            if (!(mods & Qt::ControlModifier)) m_down.reset(kScanLeftCtrl).reset(kScanRightCtrl);
            if (!(mods & Qt::AltModifier)) m_down.reset(kScanLeftAlt);
            shiftState = ((mods & Qt::ShiftModifier) ? KeyShift::kShift : 0) |
                         ((mods & Qt::ControlModifier) ? KeyShift::kCtrl : 0) |
                         ((mods & Qt::AltModifier) ? KeyShift::kAlt : 0);
        }
        ClearLatch(GenericKey(key.vk));
        if (index == kCapsLock && !event->isAutoRepeat()) m_bCapsLock = !m_bCapsLock;
        if (!(key.flags & kInert) && key.IsCharacter()) {
            TypeKey(index, ShiftState() | shiftState);
            return;
        }
    }
    UpdateLegends();
}

void CKeyboardCtrl::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
    quint32 native = event->nativeScanCode();
    if (native < 8 || native > 0xFFFF) return;
    uint16_t scanCode = uint16_t(native - 8);
    TrackPhysical(scanCode, false);
    int index = KeyFromScanCode(scanCode);
    if (index >= 0) ClearLatch(GenericKey(m_keys[size_t(index)].vk));
    UpdateLegends();
}

void CKeyboardCtrl::focusOutEvent(QFocusEvent* event) {
    // Keys released while another window had the focus never reach us.
    m_down.reset();
    UpdateLegends();
    QWidget::focusOutEvent(event);
}

// The picture takes every key, Tab included.
bool CKeyboardCtrl::focusNextPrevChild(bool) { return false; }

bool CKeyboardCtrl::event(QEvent* e) {
    if (e->type() == WizardNotifyEvent::EventType()) {
        int code = static_cast<WizardNotifyEvent*>(e)->code();
        if (code == WizardNotify::kInputLanguageChanged) {
            m_deadKeys.clear();
            OpenActiveLayout();
        }
        UpdateLegends();
        emit notificationForwarded(code);
        if (QWidget* parent = parentWidget()) {
            KeyboardNotifyEvent ev(code);
            QCoreApplication::sendEvent(parent, &ev);
        }
        return true;
    }
    return QWidget::event(e);
}

QString CKeyboardCtrl::LabelText(const CKey& key) const { return QString::fromUtf8(GetString(key.labelId)); }

// Named-key labels: a third of the key height, at least 10 pixels.
QFont CKeyboardCtrl::LabelFont() const {
    int h = m_keys[0].rects.empty() ? 0 : m_keys[0].rects[0].height();
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(std::max(10, h / 3));
    font.setWeight(QFont::Normal);
    return font;
}

void CKeyboardCtrl::DrawIcon(QPainter& painter, const CKey& key, const QRect& area) const {
    int w = area.width(), h = area.height();
    int left = area.x(), top = area.y(), right = left + w, bottom = top + h, cy = top + h / 2;
    int head = std::max(2, h / 2), stem = std::max(1, h / 5);
    QPolygon arrow;
    switch (GenericKey(key.vk)) {
    case VirtualKey::kShift: {  // an outlined arrow pointing up
        int cx = left + w / 2, half = std::max(2, w / 4);
        arrow << QPoint(cx, top) << QPoint(right, top + head) << QPoint(cx + half / 2 + 1, top + head)
              << QPoint(cx + half / 2 + 1, bottom) << QPoint(cx - half / 2 - 1, bottom)
              << QPoint(cx - half / 2 - 1, top + head) << QPoint(left, top + head);
        break;
    }
    case VirtualKey::kBack:  // an outlined arrow pointing left
        arrow << QPoint(left, cy) << QPoint(left + head, top) << QPoint(left + head, cy - stem)
              << QPoint(right, cy - stem) << QPoint(right, cy + stem) << QPoint(left + head, cy + stem)
              << QPoint(left + head, bottom);
        break;
    case VirtualKey::kTab:  // an arrow pointing right, against a bar
        arrow << QPoint(left, cy - stem) << QPoint(right - head - 2, cy - stem) << QPoint(right - head - 2, top)
              << QPoint(right - 2, cy) << QPoint(right - head - 2, bottom) << QPoint(right - head - 2, cy + stem)
              << QPoint(left, cy + stem);
        painter.drawLine(right, top, right, bottom);
        break;
    case VirtualKey::kReturn:  // an arrow coming down and turning left
        arrow << QPoint(left, cy + stem) << QPoint(left + head, top + stem) << QPoint(left + head, cy)
              << QPoint(right - 2 * stem, cy) << QPoint(right - 2 * stem, top) << QPoint(right, top)
              << QPoint(right, cy + 2 * stem) << QPoint(left + head, cy + 2 * stem)
              << QPoint(left + head, bottom);
        break;
    default: return;
    }
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(arrow);
}

void CKeyboardCtrl::DrawKey(QPainter& painter, const CKey& key) const {
    bool light = key.flags & kLight;
    const QColor& face = light ? kLightFace : kDarkFace;
    const QColor& highlight = light ? kLightHighlight : kDarkHighlight;
    const QColor& side = light ? kLightSide : kDarkSide;
    bool down = key.flags & (kDown | kPressed);

    QPolygon base = Inset(Outline(key.rects), 0, 0, 1, 1);
    painter.setPen(Qt::black);
    painter.setBrush(side);
    painter.drawPolygon(base);
    // The top face: raised towards the upper left, pushed 3 right and 2 down when pressed.
    QPolygon top = down ? Inset(base, 6, 4, 3, 3) : Inset(base, 3, 2, 6, 5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    painter.drawPolygon(top);
    int n = int(top.size());
    for (int i = 0; i < n; ++i) {
        QPoint a = top[i], b = top[(i + 1) % n];
        bool lit = b.x() > a.x() || b.y() < a.y();
        painter.setPen(lit ? highlight : side.darker(130));
        painter.drawLine(a, b);
    }

    // Text goes on the last cell's face (the wide lower part of Enter).
    QRect area = (down ? Inset(Outline({key.rects.back()}), 6, 4, 4, 4) : Inset(Outline({key.rects.back()}), 3, 2, 7, 6))
                     .boundingRect();
    QColor text = (key.flags & kGrey) ? kGreyText : QColor(Qt::black);
    painter.setPen(text);
    if (key.IsCharacter()) {
        if (key.scanCode == kScanSpace || key.legendChar < 0x20) return;
        painter.setFont(m_legendFont);
        painter.drawText(area, Qt::AlignCenter, QString::fromUcs4(&key.legendChar, 1));
        return;
    }
    QFont font = LabelFont();
    QFontMetrics metrics(font);
    QString label = LabelText(key);
    int textWidth = metrics.horizontalAdvance(label);
    int room = area.width() - 2;
    int iconHeight = std::max(6, metrics.ascent() * 3 / 4), iconWidth = iconHeight * 3 / 2, gap = 4;
    if (metrics.height() > area.height()) return;
    if (textWidth > room) {
        // A key too narrow for its label still shows its arrow when that fits.
        if (key.iconPos != 0 && iconWidth <= room) {
            painter.setFont(font);
            DrawIcon(painter, key, QRect(area.x() + (area.width() - iconWidth) / 2,
                                         area.y() + (area.height() - iconHeight) / 2, iconWidth, iconHeight));
        }
        return;
    }
    bool icon = key.iconPos != 0 && textWidth + gap + iconWidth <= room;
    int total = textWidth + (icon ? gap + iconWidth : 0);
    int x = area.x() + (area.width() - total) / 2;
    int baseline = area.y() + (area.height() - metrics.height()) / 2 + metrics.ascent();
    QRect iconRect;
    if (icon && key.iconPos == 1) {
        iconRect = QRect(x, baseline - iconHeight, iconWidth, iconHeight);
        x += iconWidth + gap;
    }
    painter.setFont(font);
    painter.drawText(x, baseline, label);
    if (icon && key.iconPos == 2) iconRect = QRect(x + textWidth + gap, baseline - iconHeight, iconWidth, iconHeight);
    if (icon) DrawIcon(painter, key, iconRect);
}

void CKeyboardCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    for (const CKey& key : m_keys)
        if (!key.spacer && !key.rects.empty() && !key.rects[0].isEmpty()) DrawKey(painter, key);
}
