// "Parametry.par" of any content: the record takes the file's first twelve
// bytes (fewer when it is shorter) over what it held, and nothing else.
#include "serial/drv232.h"
#include "scratch_folder.h"

#include <cstdlib>
#include <cstring>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    std::ofstream(Drv232::ParameterFileName, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));

    std::uint8_t before[12];
    std::memset(&Drv232::ParameterRecord, 0xA5, sizeof Drv232::ParameterRecord);
    std::memcpy(before, &Drv232::ParameterRecord, sizeof before);
    if (!Drv232::LoadParameters())
        std::abort();
    std::uint8_t after[12];
    std::memcpy(after, &Drv232::ParameterRecord, sizeof after);
    for (std::size_t i = 0; i < sizeof after; ++i)
        if (after[i] != (i < size ? data[i] : before[i]))
            std::abort();
    if (!Drv232::SaveParameters() || !Drv232::LoadParameters() ||
        std::memcmp(after, &Drv232::ParameterRecord, sizeof after) != 0)
        std::abort();
    return 0;
}
