#pragma once
// Text for XML attribute values.

#include <string>
#include <string_view>

namespace cutshape::registration_data {

inline std::string xmlAttribute(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace cutshape::registration_data
