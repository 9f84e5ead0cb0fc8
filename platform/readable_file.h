#pragma once
// The backend's side of the whole-file reads: a regular file opened for
// reading, read in pieces, closed. Private to platform/.
#include <cstddef>
#include <string>

namespace platform {

struct ReadableFile;

// nullptr, with the reason kept, when the file cannot be opened or is no
// regular file (a FIFO, a device or a folder under the name).
ReadableFile *OpenForReading(const std::string &path);
// Bytes read, 0 at the end, -1 on failure (the reason kept).
std::ptrdiff_t ReadSome(ReadableFile *file, void *buffer, std::size_t size);
// Closes and frees the file; false when closing reports a failure.
bool CloseForReading(ReadableFile *file);

} // namespace platform
