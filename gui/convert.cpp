#include "gui/convert.h"

#include "platform/cp1250.h"

#include <QList>

namespace gui {

std::string ToCp1250(const QString &text)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    // Code points, so that a character beyond the BMP gives one '?', not two.
    for (char32_t c : text.toUcs4())
        out.push_back(static_cast<char>(platform::CharToCp1250(c).value_or('?')));
    return out;
}

QString FromCp1250(const std::string &bytes)
{
    std::u32string chars;
    chars.reserve(bytes.size());
    for (char b : bytes)
        chars.push_back(platform::Cp1250ToChar(static_cast<std::uint8_t>(b)));
    return QString::fromUcs4(chars.data(), static_cast<qsizetype>(chars.size()));
}

std::optional<std::int32_t> StrToIntStrict(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == n)
        return std::nullopt;

    // Hex is read as a 32-bit pattern (so "$FFFFFFFF" is -1), the way such
    // values are written down; decimal must fit the signed range.
    const std::int64_t limit = base == 16 ? 0xFFFFFFFFLL : (negative ? 0x80000000LL : 0x7FFFFFFFLL);
    std::int64_t value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    if (base == 16)
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return static_cast<std::int32_t>(negative ? -value : value);
}

} // namespace gui
