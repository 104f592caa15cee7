#include "platform/system/message.hpp"

namespace {

constexpr std::size_t kLongest = 60;
constexpr std::string_view kElision = "...";
// The end of a path (the file name) tells more than its middle.
constexpr std::size_t kHead = (kLongest - kElision.size()) / 2;
constexpr std::size_t kTail = kLongest - kElision.size() - kHead;

void Append(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
        }
    }
}

}  // namespace

std::string Printable(std::string_view text) {
    std::string out;
    if (text.size() <= kLongest) {
        Append(out, text);
        return out;
    }
    Append(out, text.substr(0, kHead));
    out += kElision;
    Append(out, text.substr(text.size() - kTail));
    return out;
}
