#include "tests/support/wide_text.h"

std::string Narrow(const WCHAR* text) {
    if (text == nullptr) return "(null)";
    std::string result;
    for (; *text != 0; ++text) result.push_back(*text < 128 ? static_cast<char>(*text) : '?');
    return result;
}

std::vector<WCHAR> Widen(const std::string& text) {
    std::vector<WCHAR> result;
    for (char c : text) result.push_back(static_cast<WCHAR>(static_cast<unsigned char>(c)));
    result.push_back(0);
    return result;
}
