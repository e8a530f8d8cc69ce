// The headless converter: drives the main window offscreen through the same handlers
// a person uses, answering its dialogs from the command line.
#pragma once

#include "ConvertOptions.h"

#include <ostream>

// Converts every job in turn; needs a QApplication. Returns the exit status: 0 when
// every job was saved, 1 when one failed (the message is on err).
int RunConvert(const ConvertRequest& request, std::ostream& err);
