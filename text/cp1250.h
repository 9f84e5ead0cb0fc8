#pragma once
// The Windows-1250 code page that the display's bytes, the value file and the
// operators' texts are written in, as one table free of any toolkit, so that
// every program of the system converts alike.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace textconv {

// The character a byte stands for. The five bytes the page leaves undefined
// (0x81, 0x83, 0x88, 0x90, 0x98) stand for the control characters of the same
// number, as Windows' own conversion has them: a byte the display sends
// survives the way to a text and back.
char32_t Cp1250ToChar(std::uint8_t byte);

// The byte of c; nullopt when the page has none.
std::optional<std::uint8_t> CharToCp1250(char32_t c);

std::string Cp1250ToUtf8(std::string_view bytes);

// The bytes of a UTF-8 text; nullopt when a character has no byte or the text
// is no valid UTF-8. unmapped, when given, then holds the offending character
// (U+FFFD for a malformed sequence).
std::optional<std::string> Utf8ToCp1250(std::string_view utf8, char32_t *unmapped = nullptr);

// The bytes of a UTF-8 text, with replacement for each character that has no
// byte and each malformed sequence, as the windows show such a text.
std::string Utf8ToCp1250Or(std::string_view utf8, char replacement);

} // namespace textconv
