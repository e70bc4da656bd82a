// The program's own message box: buttons in the program's language, classic styles and
// results.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>

class QLabel;
class QPushButton;

// Results, by their classic values.
namespace MessageResult {
constexpr int kOk = 1, kCancel = 2, kAbort = 3, kRetry = 4, kIgnore = 5, kYes = 6, kNo = 7;
}

class CMessageBox : public QDialog {
    Q_OBJECT
public:
    CMessageBox(QWidget* owner, const QString& text, const QString& caption, uint32_t flags);

    // Shows the box modally and returns the result of the button pressed.
    int Run();
    // What Ctrl+C puts on the clipboard: caption, text and buttons between rules.
    QString CopyText() const;

    // The three buttons, left to right, and the texts shown (for tests and tools).
    QPushButton* ButtonA() const { return m_buttons[0]; }
    QPushButton* ButtonB() const { return m_buttons[1]; }
    QPushButton* ButtonC() const { return m_buttons[2]; }
    QLabel* TextLabel() const { return m_text; }
    QLabel* IconLabel() const { return m_icon; }
    // True when Esc and the close box do nothing (Abort/Retry/Ignore and Yes/No boxes).
    bool EscapeIgnored() const { return m_escResult == 0; }
    // The result of the button or key that closed the box (0 while open).
    int Result() const { return m_result; }

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    // Ctrl+C copies the caption, the text and the buttons as plain text.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetUpButtons(uint32_t flags);
    void SetUpIcon(uint32_t flags);
    void LayOut(uint32_t flags);

    QPushButton* m_buttons[3];
    int m_results[3] = {0, 0, 0};
    int m_escResult = 0;
    int m_result = 0;
    QLabel* m_icon;
    QLabel* m_text;
};

// Loads text and caption from the string table and shows the box; a captionId of -1
// means no caption.
int ShowMessage(QWidget* owner, int textId, int captionId, uint32_t style);
// The same with a ready text (already formatted).
int ShowMessageText(QWidget* owner, const QString& text, int captionId, uint32_t style);

// Lets tests answer message boxes: when set, it is called instead of showing the box and
// its result is returned.
using MessageBoxHook = int (*)(CMessageBox& box);
void SetMessageBoxHook(MessageBoxHook hook);
