// The shared ways of handing out an interface pointer and a task-memory string.
#ifndef DRAVIK_COM_HELPERS_H
#define DRAVIK_COM_HELPERS_H

#include <windows.h>

// Stores the pointer in the slot and takes a reference on it.
HRESULT GetInterfacePointer(IUnknown* pointer, void** slot);

template <class Interface>
HRESULT GetInterfacePointer(Interface* pointer, void** slot) {
    return GetInterfacePointer(static_cast<IUnknown*>(pointer), slot);
}

// Copies a terminated wide string (at most 50,000 characters) into task memory.
HRESULT CopyStringToTaskMemory(const WCHAR* text, WCHAR** slot);

#endif
