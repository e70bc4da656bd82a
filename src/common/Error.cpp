#include "Error.h"

const char* CodeError::what() const noexcept { return "penmark error code"; }

void RaiseError(int code) { throw CodeError(code); }
