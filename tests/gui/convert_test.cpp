#include "gui/convert.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct IntCase {
    const char *text;
    std::optional<std::int32_t> value;
};

TEST(GuiStrToIntStrict, ReadsDecimalAndHexAndRefusesEverythingElse)
{
    const IntCase cases[] = {
        {"0", 0},
        {"  42", 42},
        {"\t42", 42},
        {"-7", -7},
        {"+7", 7},
        {"$1F", 31},
        {"x1f", 31},
        {"0X1F", 31},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"$80000000", INT32_MIN},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"12 ", std::nullopt},
        {"1a", std::nullopt},
        {"0x", std::nullopt},
        {"$", std::nullopt},
        {"-", std::nullopt},
        {"+-1", std::nullopt},
        {"- 1", std::nullopt},
        {"1.5", std::nullopt},
        {"１２", std::nullopt}, // fullwidth digits are no digits
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999", std::nullopt},
        {"$100000000", std::nullopt},
        {"$0000000000000001", 1},
    };
    for (const IntCase &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(gui::StrToIntStrict(c.text), c.value);
    }
}

TEST(GuiCp1250, CzechTextRoundTripsWithTheCodePageBytes)
{
    const std::string text = "Čtení ůžasné ščřŽ";
    const std::string bytes = gui::ToCp1250(text);
    ASSERT_EQ(bytes.size(), 17u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xC8);  // Č
    EXPECT_EQ(static_cast<unsigned char>(bytes[6]), 0xF9);  // ů
    EXPECT_EQ(static_cast<unsigned char>(bytes[7]), 0x9E);  // ž
    EXPECT_EQ(static_cast<unsigned char>(bytes[13]), 0x9A); // š
    EXPECT_EQ(static_cast<unsigned char>(bytes[16]), 0x8E); // Ž
    EXPECT_EQ(gui::FromCp1250(bytes), text);
}

TEST(GuiCp1250, CharactersOutsideThePageBecomeQuestionMarks)
{
    // An arrow, a CJK character, an emoji (four bytes, one '?') and a byte
    // that is no UTF-8.
    EXPECT_EQ(gui::ToCp1250("a←b中c😀d\x1a\xff"), std::string("a?b?c?d\x1a?"));
    EXPECT_EQ(gui::ToCp1250(""), std::string());
}

} // namespace
