// An opt-in aid for driving the program from outside (acceptance tests, screen tools):
// when the environment variable PENMARK_WIDGET_MAP names a file, the program keeps a
// JSON list there of the visible widgets of every visible top-level window, with their
// kind, ids, texts, states and places on the screen.
#pragma once

class QApplication;

// Starts the map when PENMARK_WIDGET_MAP is set; does nothing (and costs nothing)
// otherwise. The map is rewritten, atomically and once the event loop is free, after a
// window or widget is shown or hidden and after each mouse or key release; never on a
// timer, so an idle program stays idle.
void InstallWidgetMap(QApplication* app);
