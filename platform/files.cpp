// The whole-file reads, the same on every system over the backend's
// ReadableFile.
#include "platform/files.h"
#include "platform/readable_file.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace platform {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

} // namespace

bool ReadFileHead(const std::string &path, std::size_t maxBytes, std::vector<std::uint8_t> &out)
{
    ReadableFile *file = OpenForReading(path);
    if (!file)
        return false;
    out.clear();
    bool ok = true;
    while (out.size() < maxBytes) {
        const std::size_t had = out.size();
        out.resize(had + std::min(maxBytes - had, kChunk));
        const std::ptrdiff_t n = ReadSome(file, out.data() + had, out.size() - had);
        out.resize(had + std::size_t(std::max<std::ptrdiff_t>(n, 0)));
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
    }
    return CloseForReading(file) && ok;
}

bool ReadFirstLine(const std::string &path, std::size_t maxBytes, std::string &line)
{
    ReadableFile *file = OpenForReading(path);
    if (!file)
        return false;
    // One byte beyond the limit, so that the CR of a CR LF that ends a line
    // of exactly maxBytes is seen and dropped.
    const std::size_t keep = maxBytes == SIZE_MAX ? maxBytes : maxBytes + 1;
    std::string text;
    char buffer[4096];
    bool ok = true;
    bool ended = false;
    while (!ended && text.size() < keep) {
        const std::ptrdiff_t n = ReadSome(file, buffer, sizeof buffer);
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        const std::string_view chunk(buffer, std::size_t(n));
        const std::size_t lf = chunk.find('\n');
        ended = lf != chunk.npos;
        text.append(chunk.substr(0, std::min(lf, keep - text.size())));
    }
    if (!CloseForReading(file) || !ok)
        return false;
    if (ended && !text.empty() && text.back() == '\r')
        text.pop_back();
    if (text.size() > maxBytes)
        text.resize(maxBytes);
    line = std::move(text);
    return true;
}

} // namespace platform
