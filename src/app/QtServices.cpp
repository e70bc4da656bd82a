#include "QtServices.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QSettings>

#include "CMessageBox.h"
#include "MonoImage.h"
#include "StringIds.h"

std::unique_ptr<MonoImage> ReduceToMono(const QImage& image) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return nullptr;
    QImage rgb(image.size(), QImage::Format_RGB32);
    rgb.fill(Qt::white);
    {
        QPainter p(&rgb);
        p.drawImage(0, 0, image);
    }
    auto mono = std::make_unique<MonoImage>();
    mono->Create(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uint8_t* row = mono->Row(y);
        std::fill(row, row + mono->stride, uint8_t(0));
        for (int x = 0; x < rgb.width(); ++x)
            if ((line[x] & 0xFFFFFF) == 0xFFFFFF) row[x >> 3] = uint8_t(row[x >> 3] | (0x80 >> (x & 7)));
    }
    return mono;
}

QString ToQtFilter(const FileFilter& filter) {
    QString description = QString::fromUtf8(filter.description.c_str()).trimmed();
    // A description that already names its patterns loses that part: Qt adds them.
    static const QRegularExpression trailingPatterns(R"(\s*\([^()]*\)$)");
    description.remove(trailingPatterns);
    QString patterns = QString::fromUtf8(filter.patterns.c_str());
    patterns.replace(';', ' ');
    patterns = patterns.simplified();
    return description + " (" + patterns + ")";
}

std::unique_ptr<MonoImage> QtClipboard::GetBitmap() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return nullptr;
    QImage image = clipboard->image();
    // Programs that offer only encoded data (image/png, image/bmp, ...) still offer a picture.
    if (const QMimeData* data = image.isNull() ? clipboard->mimeData() : nullptr) {
        for (const QString& format : data->formats()) {
            if (!format.startsWith("image/")) continue;
            if (image.loadFromData(data->data(format))) break;
        }
    }
    return ReduceToMono(image);
}

bool QtFileDialog::Run(FileDialogRequest& request) {
    QStringList filters;
    for (const FileFilter& f : request.filters) filters << ToQtFilter(f);
    QFileDialog dialog(m_owner, QString::fromUtf8(request.title.c_str()),
                       QString::fromUtf8(request.initialDir.c_str()));
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The save page asks about replacing a file itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(filters);
    int index = request.filterIndex - 1;
    if (index >= 0 && index < filters.size()) dialog.selectNameFilter(filters[index]);
    if (!request.fileName.empty()) dialog.selectFile(QString::fromUtf8(request.fileName.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    request.fileName = dialog.selectedFiles().first().toStdString();
    request.filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}

QtSettings::QtSettings(const QString& fileName) : m_fileName(fileName) {}

std::string QtSettings::GetString(const std::string& section, const std::string& key,
                                  const std::string& fallback) {
    QSettings s = m_fileName.isEmpty() ? QSettings("Penmark", "Penmark")
                                       : QSettings(m_fileName, QSettings::IniFormat);
    QString k = QString::fromStdString(section + "/" + key);
    return s.value(k, QString::fromStdString(fallback)).toString().toStdString();
}

void QtSettings::SetString(const std::string& section, const std::string& key,
                           const std::string& value) {
    QSettings s = m_fileName.isEmpty() ? QSettings("Penmark", "Penmark")
                                       : QSettings(m_fileName, QSettings::IniFormat);
    s.setValue(QString::fromStdString(section + "/" + key), QString::fromStdString(value));
}

int QtMessageSink::Show(const std::string& text, uint32_t style) {
    return ShowMessageText(m_owner, QString::fromUtf8(text.c_str()), StringId::kCaption, style);
}

bool InstallQtTranslations(Language language) {
    static QTranslator* installed = nullptr;
    static const char* const names[] = {"en", "de", "fr", "ru"};
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (language == Language::English) return true;
    auto* translator = new QTranslator;
    if (!translator->load(QString("qtbase_") + names[int(language)], QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}
