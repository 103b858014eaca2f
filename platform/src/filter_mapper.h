// Native only: the class-table entries of the two filter mappers.
#ifndef PLATFORM_FILTER_MAPPER_H
#define PLATFORM_FILTER_MAPPER_H

#include <windows.h>

// CLSID_FilterMapper2: IFilterMapper2. Not aggregatable.
HRESULT CreateFilterMapper2(IUnknown* outer, REFIID riid, void** object);
// CLSID_FilterMapper: IFilterMapper. Not aggregatable.
HRESULT CreateFilterMapper(IUnknown* outer, REFIID riid, void** object);

#endif
