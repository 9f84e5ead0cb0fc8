#pragma once
// The number n of a port name "COMn" or "\\.\COMn" (1..255), on every system.
#include <optional>
#include <string_view>

namespace platform {

std::optional<unsigned> ComPortNumber(std::string_view name);

} // namespace platform
