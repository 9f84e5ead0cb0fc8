#pragma once
// Values as the display takes them: four Windows-1250 characters.
#include <optional>
#include <string>
#include <string_view>

namespace qmxctl {

// The bytes for a value typed as UTF-8. A shorter value is completed with
// zero bytes by the exchange; a longer one, or one with a character that has
// no Windows-1250 byte, is refused with the reason in error.
std::optional<std::string> ValueBytes(std::string_view utf8, std::string &error);

// A text from the command line as a message shows it: cut after its first 20
// characters (with "..." after it), so that a refused argument of any length
// makes a short message; Quoted puts it in double quotes. A text whose end
// matters (a URL's port number) is shown up to a longer limit.
std::string Shortened(std::string_view utf8, std::size_t shown = 20);
std::string Quoted(std::string_view utf8, std::size_t shown = 20);

} // namespace qmxctl
