// The application object: the document, the wizard sheet as main window, the idle,
// activation and input-language notifications.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

#include "PenmarkDocument.h"
#include "QtServices.h"

class CPenmarkDlg;

class CPenmarkApp : public QObject {
    Q_OBJECT
public:
    CPenmarkApp();
    ~CPenmarkApp() override;

    // Checks the platform, creates the sheet with the pages addPages adds and shows it.
    // False when the program must end at once.
    bool InitInstance(const std::function<void(CPenmarkDlg&)>& addPages);
    // Tears down what InitInstance built; returns the exit code.
    int ExitInstance();

    CPenmarkDocument& Document() { return m_document; }
    // The scanner connection (none by default); set before InitInstance.
    void SetScanner(IScanner* scanner) { m_pScanner = scanner; }
    CPenmarkDlg* Sheet() const { return m_pSheet; }

    // The active keyboard layout changed; the pages hear of it once per real change.
    void InputLanguageChanged(uintptr_t layout);

private:
    ImageFormatRegistry m_registry;
    CPenmarkDocument m_document;
    std::unique_ptr<QtClipboard> m_clipboard;
    std::unique_ptr<QtFileDialog> m_fileDialog;
    std::unique_ptr<QtSettings> m_settings;
    std::unique_ptr<QtMessageSink> m_messages;
    CPenmarkDlg* m_pSheet = nullptr;
    uintptr_t m_lastLayout = 0;
    IScanner* m_pScanner = nullptr;
    std::unique_ptr<QObject> m_scannerFilter;
    QMetaObject::Connection m_idle;
};
