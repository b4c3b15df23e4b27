// The Windows load-time entry. The library keeps no global state, so there
// is nothing to set up or tear down for any reason it is called.
#ifdef _WIN32
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif
