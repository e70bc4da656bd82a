// The desktop services of the document, done with Qt: clipboard picture, file dialogs,
// remembered settings and messages.
#pragma once

#include "Strings.h"

#include <QImage>
#include <QString>
#include <memory>

#include "PlatformServices.h"

class QWidget;

// Reduces any picture to black and white the classic way: a pixel that is exactly white
// (after blending any transparency onto white) is paper, every other colour is ink. No
// threshold, no dithering.
std::unique_ptr<MonoImage> ReduceToMono(const QImage& image);

// A dialog filter in Qt's form, "Description (*.a *.b)".
QString ToQtFilter(const FileFilter& filter);

class QtClipboard : public IClipboard {
public:
    std::unique_ptr<MonoImage> GetBitmap() override;
};

class QtFileDialog : public IFileDialog {
public:
    explicit QtFileDialog(QWidget* owner) : m_owner(owner) {}
    bool Run(FileDialogRequest& request) override;

private:
    QWidget* m_owner;
};

// Settings in the user's configuration folder (Penmark/Penmark.conf).
class QtSettings : public ISettings {
public:
    // fileName empty: the standard place.
    explicit QtSettings(const QString& fileName = {});
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback) override;
    void SetString(const std::string& section, const std::string& key,
                   const std::string& value) override;

private:
    QString m_fileName;
};

class QtMessageSink : public IMessageSink {
public:
    explicit QtMessageSink(QWidget* owner) : m_owner(owner) {}
    int Show(const std::string& text, uint32_t style) override;

private:
    QWidget* m_owner;
};

// Qt's own texts (standard dialogs, context menus of text boxes) in the program's
// language, from Qt's translations; false when they are not installed (English stays).
bool InstallQtTranslations(Language language);
