// Program start: reads the command line, prepares Qt's environment, and either
// opens the windows and runs the message loop or does what the options ask.
#pragma once

int RunProgram(int argc, char** argv);

// Chooses the offscreen platform when no display is present, and gives Qt a private
// runtime folder when the session has none. Call before creating the application.
void PrepareQtEnvironment(bool offscreenWithoutDisplay);
