// Native only: the graph's IEnumFilters, over the filters the graph had when
// it was made.
#ifndef PLATFORM_FILTER_ENUMERATOR_H
#define PLATFORM_FILTER_ENUMERATOR_H

#include <dshow.h>

#include <vector>

// A new enumerator with one reference for the caller; it holds its own
// reference on each filter.
HRESULT CreateFilterEnumerator(const std::vector<IBaseFilter*>& filters, IEnumFilters** enumerator);

#endif
