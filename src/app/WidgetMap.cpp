#include "WidgetMap.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabBar>
#include <QTimer>
#include <QWizard>
#include <algorithm>
#include <cstdlib>

#include "CWizardPage.h"

namespace {

// Item views list at most this many rows; the program's lists are far shorter.
constexpr int kMaxRows = 2000;

QJsonArray RectJson(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

QRect GlobalRect(const QWidget* w, const QRect& local) {
    return QRect(w->mapToGlobal(local.topLeft()), local.size());
}

const char* WizardButtonName(const QWizard* wizard, const QWidget* w) {
    static const struct {
        QWizard::WizardButton which;
        const char* name;
    } kButtons[] = {{QWizard::BackButton, "back"},
                    {QWizard::NextButton, "next"},
                    {QWizard::FinishButton, "finish"},
                    {QWizard::CancelButton, "cancel"}};
    for (const auto& b : kButtons)
        if (wizard->button(b.which) == w) return b.name;
    return nullptr;
}

int PageIndexOf(const QWidget* w) {
    for (const QObject* o = w; o; o = o->parent())
        if (auto* page = qobject_cast<const CWizardPage*>(o)) return page->PageIndex();
    return -1;
}

// Where the style draws a slider's handle, in global coordinates.
QRect SliderHandle(const QSlider* slider) {
    QStyleOptionSlider opt;
    opt.initFrom(slider);
    opt.orientation = slider->orientation();
    opt.minimum = slider->minimum();
    opt.maximum = slider->maximum();
    opt.sliderPosition = slider->sliderPosition();
    opt.sliderValue = slider->value();
    opt.singleStep = slider->singleStep();
    opt.pageStep = slider->pageStep();
    opt.tickPosition = slider->tickPosition();
    opt.tickInterval = slider->tickInterval();
    opt.upsideDown = slider->orientation() == Qt::Horizontal
                         ? slider->invertedAppearance() != (slider->layoutDirection() == Qt::RightToLeft)
                         : !slider->invertedAppearance();
    opt.direction = slider->layoutDirection();
    opt.subControls = QStyle::SC_All;
    QRect r = slider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider);
    return GlobalRect(slider, r);
}

QJsonArray ItemViewRows(const QAbstractItemView* view) {
    QJsonArray rows;
    const QAbstractItemModel* model = view->model();
    if (!model) return rows;
    const QWidget* viewport = view->viewport();
    QRect visible = viewport->rect();
    int count = std::min(model->rowCount(view->rootIndex()), kMaxRows);
    for (int row = 0; row < count; ++row) {
        QModelIndex index = model->index(row, 0, view->rootIndex());
        QRect r = view->visualRect(index);
        QJsonObject item{{"row", row},
                         {"text", index.data(Qt::DisplayRole).toString()},
                         {"selected", view->selectionModel() && view->selectionModel()->isSelected(index)}};
        QVariant data = index.data(Qt::UserRole);
        if (data.isValid()) item["data"] = data.toString();
        if (r.intersects(visible)) item["rect"] = RectJson(GlobalRect(viewport, r));
        rows.append(item);
    }
    return rows;
}

QJsonObject WidgetJson(const QWidget* w, const QWizard* wizard) {
    QJsonObject o{{"class", QString::fromLatin1(w->metaObject()->className())},
                  {"objectName", w->objectName()},
                  {"enabled", w->isEnabled()},
                  {"rect", RectJson(GlobalRect(w, w->rect()))}};
    QVariant id = w->property("controlId");
    if (id.isValid()) o["controlId"] = id.toInt();
    if (w->hasFocus()) o["focus"] = true;
    int page = PageIndexOf(w);
    if (page >= 0) o["page"] = page;
    if (wizard)
        if (const char* name = WizardButtonName(wizard, w)) o["wizardButton"] = QString::fromLatin1(name);
    if (!w->toolTip().isEmpty()) o["toolTip"] = w->toolTip();

    if (auto* button = qobject_cast<const QAbstractButton*>(w)) {
        o["text"] = button->text();
        if (button->isCheckable()) o["checked"] = button->isChecked();
    } else if (auto* label = qobject_cast<const QLabel*>(w)) {
        o["text"] = label->text();
    } else if (auto* edit = qobject_cast<const QLineEdit*>(w)) {
        o["text"] = edit->text();
        o["readOnly"] = edit->isReadOnly();
    } else if (auto* group = qobject_cast<const QGroupBox*>(w)) {
        o["text"] = group->title();
        if (group->isCheckable()) o["checked"] = group->isChecked();
    } else if (auto* slider = qobject_cast<const QAbstractSlider*>(w)) {
        o["value"] = slider->value();
        o["minimum"] = slider->minimum();
        o["maximum"] = slider->maximum();
        o["orientation"] = slider->orientation() == Qt::Vertical ? "vertical" : "horizontal";
        o["invertedAppearance"] = slider->invertedAppearance();
        o["singleStep"] = slider->singleStep();
        o["pageStep"] = slider->pageStep();
        if (auto* handled = qobject_cast<const QSlider*>(w)) o["handleRect"] = RectJson(SliderHandle(handled));
    } else if (auto* combo = qobject_cast<const QComboBox*>(w)) {
        o["text"] = combo->currentText();
        o["currentIndex"] = combo->currentIndex();
        QJsonArray items;
        for (int i = 0; i < std::min(combo->count(), kMaxRows); ++i)
            items.append(QJsonObject{{"text", combo->itemText(i)}, {"data", combo->itemData(i).toString()}});
        o["items"] = items;
    } else if (auto* tabs = qobject_cast<const QTabBar*>(w)) {
        o["currentIndex"] = tabs->currentIndex();
        QJsonArray list;
        for (int i = 0; i < tabs->count(); ++i)
            list.append(QJsonObject{{"text", tabs->tabText(i)}, {"rect", RectJson(GlobalRect(tabs, tabs->tabRect(i)))}});
        o["tabs"] = list;
    } else if (auto* view = qobject_cast<const QAbstractItemView*>(w)) {
        o["items"] = ItemViewRows(view);
    }
    return o;
}

QJsonObject WindowJson(const QWidget* window) {
    auto* wizard = qobject_cast<const QWizard*>(window);
    QJsonObject o{{"class", QString::fromLatin1(window->metaObject()->className())},
                  {"objectName", window->objectName()},
                  {"title", window->windowTitle()},
                  {"active", window->isActiveWindow()},
                  {"modal", window->isModal()},
                  {"rect", RectJson(window->frameGeometry())},
                  {"clientRect", RectJson(GlobalRect(window, window->rect()))}};
    if (auto* label = qobject_cast<const QLabel*>(window)) o["text"] = label->text();
    if (wizard) o["currentId"] = wizard->currentId();
    QJsonArray widgets;
    const auto children = window->findChildren<QWidget*>();
    for (const QWidget* w : children)
        if (w->isVisible() && w->window() == window) widgets.append(WidgetJson(w, wizard));
    o["widgets"] = widgets;
    return o;
}

class WidgetMap : public QObject {
public:
    WidgetMap(QApplication* app, QString path) : QObject(app), m_path(std::move(path)) {
        app->installEventFilter(this);
        Schedule();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::MouseButtonRelease:
            case QEvent::KeyRelease:
            case QEvent::Wheel:
            case QEvent::EnabledChange:
            case QEvent::WindowTitleChange:
            case QEvent::WindowActivate:
                if (watched->isWidgetType()) Schedule();
                break;
            case QEvent::Move:
            case QEvent::Resize:
                if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) Schedule();
                break;
            default:
                break;
        }
        return false;
    }

private:
    void Schedule() {
        if (m_bPending) return;
        m_bPending = true;
        QTimer::singleShot(0, this, [this] { Write(); });
    }

    void Write() {
        m_bPending = false;
        QJsonArray windows;
        const auto tops = QApplication::topLevelWidgets();
        for (const QWidget* window : tops)
            if (window->isVisible()) windows.append(WindowJson(window));
        QJsonObject root{{"seq", ++m_nSeq}, {"windows", windows}};
        if (const QWidget* focus = QApplication::focusWidget()) root["focusClass"] = QString::fromLatin1(focus->metaObject()->className());
        QSaveFile file(m_path);
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
        file.commit();
    }

    QString m_path;
    bool m_bPending = false;
    qint64 m_nSeq = 0;
};

}  // namespace

void InstallWidgetMap(QApplication* app) {
    const char* path = std::getenv("PENMARK_WIDGET_MAP");
    if (!app || !path || !*path) return;
    new WidgetMap(app, QString::fromLocal8Bit(path));
}
