// Numbers as the PDF-file printer writes them into its files (internal to it).
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

inline void AppendInt(std::string& out, int64_t v) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

// Up to three decimals, no trailing zeros.
inline void AppendNum(std::string& out, double v) {
    double rounded = std::round(v);
    if (std::fabs(v - rounded) < 0.0005) {
        AppendInt(out, static_cast<int64_t>(rounded));
        return;
    }
    char buf[48];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 3);
    char* end = r.ptr;
    while (end > buf && end[-1] == '0') --end;
    if (end > buf && end[-1] == '.') --end;
    if (end - buf == 2 && buf[0] == '-' && buf[1] == '0') {
        out.push_back('0');
        return;
    }
    out.append(buf, end);
}

// Two upper-case hexadecimal digits per byte.
inline void AppendHexByte(std::string& out, uint8_t b) {
    static const char* hex = "0123456789ABCDEF";
    out.push_back(hex[b >> 4]);
    out.push_back(hex[b & 0xF]);
}

// A PDF literal string of bytes.
inline void AppendLiteral(std::string& out, std::string_view bytes) {
    out.push_back('(');
    for (unsigned char c : bytes) {
        if (c == '(' || c == ')' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c < 0x20) {
            char buf[5] = {'\\', static_cast<char>('0' + (c >> 6)), static_cast<char>('0' + ((c >> 3) & 7)),
                           static_cast<char>('0' + (c & 7)), 0};
            out.append(buf, 4);
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    out.push_back(')');
}
