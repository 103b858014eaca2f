// Native stand-in: nothing of its own; ksmedia.h carries the subtypes.
#include <windows.h>
