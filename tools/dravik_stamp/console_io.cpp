#include "tools/dravik_stamp/console_io.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#ifdef _WIN32
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

bool IsTerminal(FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

void UseBinaryMode(FILE* stream) {
#ifdef _WIN32
    _setmode(_fileno(stream), _O_BINARY);
#else
    (void)stream;
#endif
}

bool EnsureDirectory(const char* path, std::string* error) {
#ifdef _WIN32
    const int made = _mkdir(path);
#else
    const int made = mkdir(path, 0777);
#endif
    if (made == 0 || errno == EEXIST) return true;
    *error = std::string(path) + ": " + std::strerror(errno);
    return false;
}
