// penmark-wizard: the wizard program, which penmark starts when it is given no command.
#include "TwainClient.h"
#include "WizardPages.h"

int main(int argc, char** argv) {
    TwainClient scanner;
    return RunWizard(argc, argv, &scanner);
}
