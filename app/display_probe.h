#pragma once

// True when the window can be shown: a platform was chosen explicitly through
// QT_QPA_PLATFORM, or the X display named by DISPLAY accepts a connection.
// Without this check the toolkit aborts the program when there is no display.
bool DisplayAvailable();
