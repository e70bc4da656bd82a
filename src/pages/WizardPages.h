// The nine pages of the wizard, and the wizard program itself.
#pragma once

class CPenmarkDlg;
class IScanner;

// Adds the pages in their fixed order.
void CreateWizardPages(CPenmarkDlg& sheet);

// Runs the wizard until it is closed; the process exit code.
int RunWizard(int argc, char** argv, IScanner* scanner = nullptr);
