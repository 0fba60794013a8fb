// The desktop console. Its windows are not built yet: it only makes sure config.db exists and is
// sound, which every later part of the console stands on.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
