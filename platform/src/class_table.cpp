#include "class_table.h"

const PlatformClass PlatformClasses[] = {
    {&GUID_NULL, nullptr},
};

const size_t PlatformClassCount = 0;
