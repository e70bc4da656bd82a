// penmark-wizard: the wizard program, which penmark starts when it is given no command.
#include "WizardPages.h"

int main(int argc, char** argv) { return RunWizard(argc, argv); }
