#include "class_table.h"

#include <dshow.h>

#include "filter_mapper.h"

const PlatformClass PlatformClasses[] = {
    {&CLSID_FilterMapper2, CreateFilterMapper2},
    {&CLSID_FilterMapper, CreateFilterMapper},
};

const size_t PlatformClassCount = sizeof(PlatformClasses) / sizeof(PlatformClasses[0]);
