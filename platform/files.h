#pragma once
// Whole-file operations for the settings file and the value file. Each opens
// its file only for the length of the call.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Whether a regular file (also through links) is under the name; looks
// without opening it, so that a device under the name is left alone.
bool IsRegularFile(const std::string &path);

// Both reads take only a regular file (also through links): a FIFO, a device
// or a folder under the name is a failure, never a wait.

// Reads at most maxBytes from the start of the file. False when the file
// cannot be opened or a read fails (bytes read before the failure stay in out).
bool ReadFileHead(const std::string &path, std::size_t maxBytes, std::vector<std::uint8_t> &out);

// Reads the first line without its line break (LF or CR LF), at most maxBytes
// of it; an empty file gives an empty line. False when the file cannot be
// opened or read.
bool ReadFirstLine(const std::string &path, std::size_t maxBytes, std::string &line);

// Writes the bytes to a temporary file beside the file that path leads to
// (through its links) and renames it over that file, so that a failed write
// leaves the old file whole; the file keeps its mode, owner and group. A file
// that is no regular file, is marked read-only (no write bit) or that this
// user may not write is left alone. Temporaries that killed saves left are
// removed. False on any failure.
// (Not "ReplaceFile": <windows.h> makes that name a macro.)
bool ReplaceWholeFile(const std::string &path, const std::uint8_t *data, std::size_t size);

} // namespace platform
