#pragma once
#include <cstdio>
#include <string>

// A piece of the user's text fit for a one-line message: quoted, short, no control characters.
inline std::string QuoteForMessage(const std::string& text)
{
    constexpr size_t kLongest = 60;
    std::string shown = text.size() > kLongest ? text.substr(0, kLongest) + "..." : text;
    for (char& ch : shown)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F)
            ch = '?';
    return "'" + shown + "'";
}

// A window or other resource id as X tools print it: 0x1a00003.
inline std::string HexForMessage(unsigned long value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%lx", value);
    return text;
}
