#pragma once
// Whole-file operations for the settings file and the value file. Each opens
// its file only for the length of the call.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Reads at most maxBytes from the start of the file. False when the file
// cannot be opened or a read fails (bytes read before the failure stay in out).
bool ReadFileHead(const std::string &path, std::size_t maxBytes, std::vector<std::uint8_t> &out);

// Reads the first line without its line break (LF or CR LF), at most maxBytes
// of it; an empty file gives an empty line. False when the file cannot be
// opened or read.
bool ReadFirstLine(const std::string &path, std::size_t maxBytes, std::string &line);

// Writes the bytes to a temporary file in the same folder and renames it over
// path, so that a failed write leaves the old file whole. False on any failure.
bool ReplaceFile(const std::string &path, const std::uint8_t *data, std::size_t size);

} // namespace platform
