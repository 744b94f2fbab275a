#pragma once
// Where the running program and the user's settings are.

#include <QString>

namespace platform {

// The folder of the user's settings files (the original's Windows
// directory): $MORVELIN_WINDIR when set, else $XDG_CONFIG_HOME (default
// ~/.config) followed by /morvelin. Absolute, without a final "/". The
// folder is not created here: the settings file makes it on its first write.
QString windowsDirectory();

// The absolute file name of the running program, and its folder (without
// a final "/"). They work before and without an application object.
QString programFilePath();
QString programDirectory();

// The working directory the process was started in, read before anything
// could change it.
QString launchDirectory();

} // namespace platform
