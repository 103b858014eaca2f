// The few things about files and terminals that differ between the targets.
#ifndef DRAVIK_STAMP_CONSOLE_IO_H
#define DRAVIK_STAMP_CONSOLE_IO_H

#include <cstdio>
#include <string>

bool IsTerminal(FILE* stream);
// Video passes through standard input and output byte for byte, also on Windows.
void UseBinaryMode(FILE* stream);
// Creates the folder unless it is already there.
bool EnsureDirectory(const char* path, std::string* error);

#endif
