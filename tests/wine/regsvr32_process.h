// The platform's regsvr32 run on Dravik.dll as a host's installer runs it.
#ifndef DRAVIK_TESTS_WINE_REGSVR32_PROCESS_H
#define DRAVIK_TESTS_WINE_REGSVR32_PROCESS_H

#include <windows.h>

#include <string>

// The full path of the Dravik.dll beside this program; empty when unknown.
std::wstring DravikPathBesideProgram();

// Runs regsvr32 silently with the arguments and answers its exit code (or -1
// when it cannot be started or does not finish within a minute);
// `sameBitness` tells whether the regsvr32 started has this program's bitness.
long RunRegsvr32(const std::wstring& arguments, bool* sameBitness);

#endif
