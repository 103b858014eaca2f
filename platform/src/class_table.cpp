#include "class_table.h"

#include <dshow.h>

#include "filter_graph.h"
#include "filter_mapper.h"
#include "memory_allocator.h"
#include "seeking_passthru.h"

const PlatformClass PlatformClasses[] = {
    {&CLSID_FilterMapper2, CreateFilterMapper2},
    {&CLSID_FilterMapper, CreateFilterMapper},
    {&CLSID_MemoryAllocator, CreateMemoryAllocator},
    {&CLSID_SeekingPassThru, CreateSeekingPassThru},
    {&CLSID_FilterGraph, CreateFilterGraph},
};

const size_t PlatformClassCount = sizeof(PlatformClasses) / sizeof(PlatformClasses[0]);
