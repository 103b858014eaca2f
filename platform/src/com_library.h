// Native only: whether the COM library counts as loaded in the process, as
// "ole32.dll" does on the platform once something has used it.
#ifndef PLATFORM_COM_LIBRARY_H
#define PLATFORM_COM_LIBRARY_H

bool ComLibraryLoaded();
void MarkComLibraryLoaded();

#endif
