// The settings file "Parametry.par" and the value file "QMXV6614.txt", both
// in the working directory.
#include "platform/files.h"
#include "serial/link.h"

#include <cstring>
#include <vector>

namespace Drv232 {
namespace {
// A value is four characters; a first line longer than this is no value, and
// reading it whole could exhaust memory.
constexpr std::size_t ValueLineLimit = 64 * 1024;
} // namespace

bool Link::LoadParameters()
{
    std::vector<std::uint8_t> bytes;
    const bool ok = platform::ReadFileHead(ParameterFileName, sizeof ParameterRecord, bytes);
    // A short file replaces only the leading bytes it holds; the rest of the
    // record keeps its values.
    if (!bytes.empty())
        std::memcpy(&ParameterRecord, bytes.data(), bytes.size());
    return ok;
}

bool Link::SaveParameters()
{
    std::uint8_t bytes[sizeof ParameterRecord];
    std::memcpy(bytes, &ParameterRecord, sizeof bytes);
    return platform::ReplaceWholeFile(ParameterFileName, bytes, sizeof bytes);
}

bool Link::LoadValueFile()
{
    std::string line;
    if (!platform::ReadFirstLine(ValueFileName, ValueLineLimit, line))
        return false;
    DisplayText = line;
    return true;
}

bool Link::SaveValueFile()
{
    std::string content = DisplayText + "\r\n";
    return platform::ReplaceWholeFile(ValueFileName, reinterpret_cast<const std::uint8_t *>(content.data()),
                                      content.size());
}

} // namespace Drv232
