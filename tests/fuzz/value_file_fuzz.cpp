// "QMXV6614.txt" of any content: the text is the first line without its
// line break (LF or CR LF), cut at 64 KiB.
#include "serial/drv232.h"
#include "scratch_folder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    const std::string content(reinterpret_cast<const char *>(data), size);
    std::ofstream(Drv232::ValueFileName, std::ios::binary | std::ios::trunc) << content;

    std::string line = content.substr(0, content.find('\n'));
    if (content.find('\n') != std::string::npos && !line.empty() && line.back() == '\r')
        line.pop_back();
    line.resize(std::min<std::size_t>(line.size(), 64 * 1024));

    Drv232::DisplayText = "unchanged";
    if (!Drv232::LoadValueFile() || Drv232::DisplayText != line)
        std::abort();
    return 0;
}
