#pragma once
// A fresh working folder for a fuzz target that goes through files: the
// program's files are relative to the working directory.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fuzz {

class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qmx-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()) || ::chdir(pattern.c_str()) != 0)
            std::abort();
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

private:
    std::filesystem::path path_;
};

} // namespace fuzz
