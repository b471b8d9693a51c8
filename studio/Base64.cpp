#include "studio/Base64.h"

namespace tilvex::studio {

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Value(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}
}  // namespace

std::string Base64Encode(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t v = static_cast<std::uint32_t>(bytes[i]) << 16;
        if (left > 1) v |= static_cast<std::uint32_t>(bytes[i + 1]) << 8;
        if (left > 2) v |= bytes[i + 2];
        text += kAlphabet[v >> 18 & 63];
        text += kAlphabet[v >> 12 & 63];
        text += left > 1 ? kAlphabet[v >> 6 & 63] : '=';
        text += left > 2 ? kAlphabet[v & 63] : '=';
    }
    return text;
}

std::optional<std::vector<std::uint8_t>> Base64Decode(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::uint32_t v = 0;
    int bits = 0, padding = 0;
    for (char c : text) {
        if (c == '\n' || c == '\r') continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const int d = Value(c);
        if (d < 0 || padding) return std::nullopt;  // nothing may follow the padding
        v = v << 6 | static_cast<std::uint32_t>(d);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<std::uint8_t>(v >> bits & 0xFF));
        }
    }
    if (padding > 2 || bits >= 6) return std::nullopt;
    return bytes;
}

}  // namespace tilvex::studio
