#include "tools/dravik_stamp/hresult_text.h"

#include <cstdio>

std::string HresultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(hr));
    return text;
}
