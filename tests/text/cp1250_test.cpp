// The code page table against the C library's own Windows-1250 converter,
// which this test asks at run time: every byte, and every character of the
// Basic Multilingual Plane, both ways.
#include "text/cp1250.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <set>

namespace {

// One character through iconv; nullopt when the converter refuses it.
template <typename From, typename To> std::optional<To> Iconv(iconv_t cd, From in)
{
    To out{};
    char *inp = reinterpret_cast<char *>(&in);
    char *outp = reinterpret_cast<char *>(&out);
    std::size_t inLeft = sizeof in, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == std::size_t(-1) || inLeft || outLeft)
        return std::nullopt;
    return out;
}

TEST(Cp1250, AgreesWithTheSystemConverterBothWays)
{
    iconv_t decode = iconv_open("UTF-32LE", "CP1250");
    iconv_t encode = iconv_open("CP1250", "UTF-32LE");
    ASSERT_NE(decode, iconv_t(-1));
    ASSERT_NE(encode, iconv_t(-1));

    // Bytes the page leaves undefined stand for the control character of the
    // same number, so a byte from the display survives a text and back.
    std::set<char32_t> undefined;
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const auto byte = std::uint8_t(b);
        const auto reference = Iconv<std::uint8_t, char32_t>(decode, byte);
        const char32_t c = textconv::Cp1250ToChar(byte);
        if (reference) {
            EXPECT_EQ(c, *reference);
        } else {
            EXPECT_EQ(c, char32_t(b));
            undefined.insert(c);
        }
        EXPECT_EQ(textconv::CharToCp1250(c), byte);
        const std::string one(1, char(b));
        EXPECT_EQ(textconv::Utf8ToCp1250(textconv::Cp1250ToUtf8(one)), one);
    }
    EXPECT_EQ(undefined.size(), 5u);

    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const auto reference = Iconv<char32_t, std::uint8_t>(encode, c);
        if (reference || !undefined.contains(c)) {
            ASSERT_EQ(textconv::CharToCp1250(c), reference) << "U+" << std::hex << unsigned(c);
        }
    }
    iconv_close(decode);
    iconv_close(encode);
}

} // namespace
