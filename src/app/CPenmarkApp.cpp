#include "CPenmarkApp.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMessageBox>

#include "CPenmarkDlg.h"
#include "PlatformVersion.h"
#include "SvgReader.h"
#include "WidgetMap.h"
#include "WizardMessages.h"

namespace {

// Hands every event to the scanner first; an event it takes goes no further.
class ScannerEventFilter : public QObject {
public:
    explicit ScannerEventFilter(IScanner* scanner) : m_pScanner(scanner) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override { return m_pScanner->ProcessEvent(e); }

private:
    IScanner* m_pScanner;
};

}  // namespace

// The picture formats beyond the built-in ones: SVG drawings, through librsvg.
CPenmarkApp::CPenmarkApp() { RegisterSvgFormat(m_registry); }

CPenmarkApp::~CPenmarkApp() { ExitInstance(); }

bool CPenmarkApp::InitInstance(const std::function<void(CPenmarkDlg&)>& addPages) {
    if (GetPlatformVersion().platformId == 0) {
        // Said by the platform's own box: the program's resources are not used yet.
        QMessageBox::critical(nullptr, QString(),
                              "Penmark requires Windows 95 or Windows NT (version 3.51 or 4.0)!");
        return false;
    }
    m_pSheet = new CPenmarkDlg(&m_document);
    m_clipboard = std::make_unique<QtClipboard>();
    m_fileDialog = std::make_unique<QtFileDialog>(m_pSheet);
    m_settings = std::make_unique<QtSettings>();
    m_messages = std::make_unique<QtMessageSink>(m_pSheet);
    m_document.SetServices(PlatformServices{m_fileDialog.get(), m_settings.get(), m_clipboard.get(),
                                            m_messages.get(), ProgressCallback, m_pScanner});
    if (m_pScanner) {
        // The scanner's pictures go to the pages until one keeps it; its events come
        // from the application's event stream.
        CPenmarkDlg* sheet = m_pSheet;
        m_pScanner->SetParentWindow(sheet);
        m_pScanner->SetDelivery([sheet](MonoBitmap* bitmap) { return sheet->AcceptImage(bitmap); });
        m_scannerFilter = std::make_unique<ScannerEventFilter>(m_pScanner);
        qApp->installEventFilter(m_scannerFilter.get());
    }
    m_document.SetImageRegistry(&m_registry);
    m_document.SetOfferBlackAndWhite(true);
    addPages(*m_pSheet);
    SetProgressSheet(m_pSheet);

    // Idle: whenever the event loop is about to wait.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        m_idle = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (m_pSheet) m_pSheet->OnIdle();
        });
    }
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive && m_pSheet) m_pSheet->Notify(WizardNotify::kAppActivated);
    });
    connect(m_pSheet, &CPenmarkDlg::wizardClosed, qApp, [](int code) { QCoreApplication::exit(code); },
            Qt::QueuedConnection);
    InstallWidgetMap(qApp);
    m_pSheet->show();
    return true;
}

int CPenmarkApp::ExitInstance() {
    if (m_idle) disconnect(m_idle);
    if (m_pScanner) m_pScanner->CloseAll();
    m_scannerFilter.reset();
    SetProgressSheet(nullptr);
    m_document.SetServices(PlatformServices{});
    delete m_pSheet;
    m_pSheet = nullptr;
    return 0;
}

void CPenmarkApp::InputLanguageChanged(uintptr_t layout) {
    if (layout == m_lastLayout) return;
    m_lastLayout = layout;
    if (m_pSheet) m_pSheet->Notify(WizardNotify::kInputLanguageChanged);
}
