#include "module/module_state.h"

volatile LONG LiveObjectCount = 0;
volatile LONG ServerLockCount = 0;
HMODULE ModuleHandle = nullptr;
