// Presses Esc on a widget as soon as the widget it watches is shown: the user stopping a
// long operation the moment its progress bar appears.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

class EscWhenShown : public QObject {
public:
    explicit EscWhenShown(QWidget* target) : m_target(target) {}
    bool pressed = false;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show && !pressed) {
            pressed = true;
            QCoreApplication::postEvent(m_target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
        return false;
    }

private:
    QWidget* m_target;
};
