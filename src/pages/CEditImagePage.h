// Step 3: the picture's corrections (flips, rotations, invert, noise removal) and zoom;
// for a picture made black and white from a grey or colour one, its threshold too.
#pragma once

#include <QUndoStack>
#include <cstdint>
#include <memory>

#include "CImagePage.h"

class QAction;
class QActionGroup;
class QLabel;
class QRadioButton;
class QSlider;
class QWidget;
struct ThresholdChoice;
struct ImageEditState;

// The eraser's three brushes and the history buttons, by the ids of their texts.
constexpr int ID_ERASER_SMALL = 62300, ID_ERASER_MEDIUM = 62301, ID_ERASER_LARGE = 62302;
constexpr int ID_EDIT_UNDO = 62303, ID_EDIT_REDO = 62304;

class CEditImagePage : public CImagePage {
    Q_OBJECT
public:
    explicit CEditImagePage(QWidget* parent = nullptr);
    void OnSetActive() override;
    bool OnCommand(int id) override;
    // Selects the ink's box when nothing is selected yet; always goes on.
    int OnWizardNext() override;

    // The threshold controls, shown only for a picture that had to be made black and white.
    QWidget* ThresholdRow() const { return m_pThresholdRow; }
    QSlider* ThresholdSlider() const { return m_pSlider; }
    QRadioButton* GlobalButton() const { return m_pGlobal; }
    QRadioButton* LocalButton() const { return m_pLocal; }

    // Every change of the picture on this page, to step back and forth through; it
    // belongs to one picture and starts again when a new one is loaded.
    QUndoStack* History() const { return m_pHistory; }
    static constexpr int kHistoryLimit = 20;
    // The brush radii in device pixels, small to large: the same size on the screen at
    // every zoom, so the user aims with what she sees and zooms in for fine work.
    static constexpr int kBrushRadii[3] = {3, 8, 20};
    // The toolbar button of a command.
    QAction* Action(int id) const;

    // Shows a kept edit state of the picture (undo and redo).
    void ShowEditState(const std::shared_ptr<const ImageEditState>& state);

private:
    void ShowThreshold();
    void Rebinarize(const ThresholdChoice& choice);
    void SetUpHistoryButtons();
    void ApplyBrush();
    // A new picture starts a new history.
    void ResetHistory();
    // After an edit: one step back to the state before it.
    void RecordEdit();
    std::shared_ptr<const ImageEditState> KeepState() const;

    QWidget* m_pThresholdRow = nullptr;
    QSlider* m_pSlider = nullptr;
    QLabel* m_pLevel = nullptr;
    QRadioButton* m_pGlobal = nullptr;
    QRadioButton* m_pLocal = nullptr;
    QUndoStack* m_pHistory = nullptr;
    QActionGroup* m_pBrushes = nullptr;
    // What the picture is now, as the history last saw it; the state before the next edit.
    std::shared_ptr<const ImageEditState> m_pShown;
    uint32_t m_nPictureSerial = 0;
};
