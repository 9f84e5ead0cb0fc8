#include "sim/big_font.h"

namespace sim {
namespace {

using Glyph = std::array<const char *, kBigRows>;

const Glyph &GlyphFor(char c)
{
    static const Glyph digits[10] = {
        {" ### ", "#   #", "#   #", "#   #", " ### "}, {"  #  ", " ##  ", "  #  ", "  #  ", " ### "},
        {" ### ", "#   #", "  ## ", " #   ", "#####"}, {"#### ", "    #", " ### ", "    #", "#### "},
        {"#   #", "#   #", "#####", "    #", "    #"}, {"#####", "#    ", "#### ", "    #", "#### "},
        {" ### ", "#    ", "#### ", "#   #", " ### "}, {"#####", "    #", "   # ", "  #  ", "  #  "},
        {" ### ", "#   #", " ### ", "#   #", " ### "}, {" ### ", "#   #", " ####", "    #", " ### "},
    };
    static const Glyph minus{"     ", "     ", "#####", "     ", "     "};
    static const Glyph m{"#   #", "## ##", "# # #", "#   #", "#   #"};
    static const Glyph question{" ### ", "#   #", "  ## ", "     ", "  #  "};
    static const Glyph blank{"     ", "     ", "     ", "     ", "     "};
    static const Glyph box{"#####", "#   #", "#   #", "#   #", "#####"};

    if (c >= '0' && c <= '9')
        return digits[c - '0'];
    switch (c) {
    case '-':
        return minus;
    case 'M':
        return m;
    case '?':
        return question;
    case ' ':
        return blank;
    default:
        return box;
    }
}

// Digit cells get a point column whether lit or not, so the cells stay in
// place when a point comes and goes.
void Append(std::vector<std::string> &rows, char c, bool pointColumn, bool point)
{
    const Glyph &glyph = GlyphFor(c);
    for (int r = 0; r < kBigRows; ++r) {
        rows[r] += glyph[r];
        if (pointColumn)
            rows[r] += (point && r == kBigRows - 1) ? " #" : "  ";
        rows[r] += "  ";
    }
}

} // namespace

std::vector<std::string> RenderBig(std::string_view chars)
{
    std::vector<std::string> rows(kBigRows);
    for (char c : chars)
        Append(rows, c, false, false);
    return rows;
}

std::vector<std::string> RenderBigCells(const std::array<std::uint8_t, 5> &cells)
{
    std::vector<std::string> rows(kBigRows);
    for (std::uint8_t cell : cells)
        Append(rows, static_cast<char>(cell & 0x7F), true, (cell & 0x80) != 0);
    return rows;
}

} // namespace sim
