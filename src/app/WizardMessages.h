// Notifications of the wizard and the events that carry them.
#pragma once

#include <QEvent>

// Codes of the wizard notification, broadcast to every widget of the sheet.
namespace WizardNotify {
constexpr int kInputLanguageChanged = 1;
constexpr int kAppActivated = 3;
constexpr int kIdle = 4;
}  // namespace WizardNotify

// The font-change notice (the set of installed fonts changed), sent by the sheet to
// every widget it holds.
class FontChangeEvent : public QEvent {
public:
    static QEvent::Type EventType() {
        static const QEvent::Type type = QEvent::Type(QEvent::registerEventType(QEvent::User + 0x1D));
        return type;
    }
    FontChangeEvent() : QEvent(EventType()) {}
};

// Wizard button flags.
namespace WizardButtons {
constexpr int kBack = 1;
constexpr int kNext = 2;
constexpr int kFinish = 4;
}  // namespace WizardButtons

// The answer of a progress step when the user pressed Esc.
constexpr int kProgressAbort = 3000;

// The wizard notification as a Qt event, sent synchronously to each widget.
class WizardNotifyEvent : public QEvent {
public:
    static QEvent::Type EventType() {
        static const QEvent::Type type = QEvent::Type(QEvent::registerEventType(QEvent::User + 0x701));
        return type;
    }
    explicit WizardNotifyEvent(int code) : QEvent(EventType()), m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

// Notices of the keyboard picture to its parent: a wizard notification passed on (the
// notification's code), and a character typed on the picture (a byte of the active
// layout's code page).
constexpr int kKeyboardNotifyMessage = 0x702;
constexpr int kKeyboardCharMessage = 0x703;

class KeyboardNotifyEvent : public QEvent {
public:
    static QEvent::Type EventType() {
        static const QEvent::Type type = QEvent::Type(QEvent::registerEventType(QEvent::User + kKeyboardNotifyMessage));
        return type;
    }
    explicit KeyboardNotifyEvent(int code) : QEvent(EventType()), m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

class KeyboardCharEvent : public QEvent {
public:
    static QEvent::Type EventType() {
        static const QEvent::Type type = QEvent::Type(QEvent::registerEventType(QEvent::User + kKeyboardCharMessage));
        return type;
    }
    explicit KeyboardCharEvent(int byte) : QEvent(EventType()), m_byte(byte) {}
    int byte() const { return m_byte; }

private:
    int m_byte;
};
