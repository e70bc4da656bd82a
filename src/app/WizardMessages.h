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
