// What a screen reader learns of the program's own controls: a name (set by each control
// from the strings) and a role, given here through an accessibility factory.
#pragma once

class QWidget;

// Installs the factory once; every custom control calls it when it is made.
void EnsureAccessibleRoles();

// Gives a control its accessible name from a string id and makes sure the roles are known.
void SetAccessibleText(QWidget* control, int nameId);
