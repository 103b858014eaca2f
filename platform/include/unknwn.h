// Native stand-in: everything lives in windows.h.
#include <windows.h>
