#include "text/cp1250.h"

#include <array>

namespace textconv {
namespace {

// Bytes 0x80..0xFF; the lower half is ASCII and stands for itself.
constexpr std::array<char16_t, 128> kHighHalf = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0083', u'\u201E', u'\u2026', u'\u2020', u'\u2021', u'\u0088', u'\u2030',
    u'\u0160', u'\u2039', u'\u015A', u'\u0164', u'\u017D', u'\u0179', u'\u0090', u'\u2018', u'\u2019', u'\u201C',
    u'\u201D', u'\u2022', u'\u2013', u'\u2014', u'\u0098', u'\u2122', u'\u0161', u'\u203A', u'\u015B', u'\u0165',
    u'\u017E', u'\u017A', u'\u00A0', u'\u02C7', u'\u02D8', u'\u0141', u'\u00A4', u'\u0104', u'\u00A6', u'\u00A7',
    u'\u00A8', u'\u00A9', u'\u015E', u'\u00AB', u'\u00AC', u'\u00AD', u'\u00AE', u'\u017B', u'\u00B0', u'\u00B1',
    u'\u02DB', u'\u0142', u'\u00B4', u'\u00B5', u'\u00B6', u'\u00B7', u'\u00B8', u'\u0105', u'\u015F', u'\u00BB',
    u'\u013D', u'\u02DD', u'\u013E', u'\u017C', u'\u0154', u'\u00C1', u'\u00C2', u'\u0102', u'\u00C4', u'\u0139',
    u'\u0106', u'\u00C7', u'\u010C', u'\u00C9', u'\u0118', u'\u00CB', u'\u011A', u'\u00CD', u'\u00CE', u'\u010E',
    u'\u0110', u'\u0143', u'\u0147', u'\u00D3', u'\u00D4', u'\u0150', u'\u00D6', u'\u00D7', u'\u0158', u'\u016E',
    u'\u00DA', u'\u0170', u'\u00DC', u'\u00DD', u'\u0162', u'\u00DF', u'\u0155', u'\u00E1', u'\u00E2', u'\u0103',
    u'\u00E4', u'\u013A', u'\u0107', u'\u00E7', u'\u010D', u'\u00E9', u'\u0119', u'\u00EB', u'\u011B', u'\u00ED',
    u'\u00EE', u'\u010F', u'\u0111', u'\u0144', u'\u0148', u'\u00F3', u'\u00F4', u'\u0151', u'\u00F6', u'\u00F7',
    u'\u0159', u'\u016F', u'\u00FA', u'\u0171', u'\u00FC', u'\u00FD', u'\u0163', u'\u02D9',
};

void AppendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        // The page reaches no further than U+2122.
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

// The next character of utf8 from i on, advancing i; U+FFFD for a malformed,
// overlong or surrogate sequence.
char32_t NextUtf8(std::string_view utf8, std::size_t &i)
{
    constexpr char32_t bad = 0xFFFD;
    const auto lead = static_cast<unsigned char>(utf8[i++]);
    if (lead < 0x80)
        return lead;
    int more;
    char32_t c;
    char32_t least;
    if ((lead & 0xE0) == 0xC0) {
        more = 1, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        more = 2, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        more = 3, c = lead & 0x07, least = 0x10000;
    } else {
        return bad;
    }
    for (; more > 0; --more) {
        if (i >= utf8.size() || (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80)
            return bad;
        c = c << 6 | (static_cast<unsigned char>(utf8[i++]) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return bad;
    return c;
}

} // namespace

char32_t Cp1250ToChar(std::uint8_t byte)
{
    return byte < 0x80 ? char32_t(byte) : char32_t(kHighHalf[byte - 0x80]);
}

std::optional<std::uint8_t> CharToCp1250(char32_t c)
{
    if (c < 0x80)
        return std::uint8_t(c);
    for (std::size_t i = 0; i < kHighHalf.size(); ++i)
        if (kHighHalf[i] == c)
            return std::uint8_t(0x80 + i);
    return std::nullopt;
}

std::string Cp1250ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes)
        AppendUtf8(out, Cp1250ToChar(static_cast<std::uint8_t>(b)));
    return out;
}

std::optional<std::string> Utf8ToCp1250(std::string_view utf8, char32_t *unmapped)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t c = NextUtf8(utf8, i);
        // A malformed sequence comes back as U+FFFD, which has no byte either.
        const auto byte = CharToCp1250(c);
        if (!byte) {
            if (unmapped)
                *unmapped = c;
            return std::nullopt;
        }
        out.push_back(char(*byte));
    }
    return out;
}

std::string Utf8ToCp1250Or(std::string_view utf8, char replacement)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = CharToCp1250(NextUtf8(utf8, i));
        out.push_back(byte ? char(*byte) : replacement);
    }
    return out;
}

} // namespace textconv
