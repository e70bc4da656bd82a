// The 16 x 15 pictures of the image pages' toolbar buttons, drawn for this program.
#pragma once

#include <QIcon>

// The picture of a command's button; a null icon for ids without one.
QIcon ToolbarIcon(int commandId);
