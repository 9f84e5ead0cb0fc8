// Whole-file reads and an atomic replace with the Win32 file calls. A save
// writes a temporary beside its target and puts it in place with
// ReplaceFileW, which keeps the target's attributes and security, or with
// MoveFileExW when there is no target yet.
#include "platform/files.h"
#include "platform/readable_file.h"
#include "platform/win32_failure.h"

#include "platform/failure.h"

#include <atomic>
#include <cstdint>
#include <string_view>

namespace platform {
namespace {

// A save's temporary lies beside its target and names the target and the
// process writing it: ".Parametry.par.qmx-tmp-<pid>-<n>".
constexpr std::wstring_view kTemporaryMark = L".qmx-tmp-";
// A temporary that no save holds and that is older than this is left over.
constexpr std::uint64_t kStaleAfter100ns = 60ull * 10'000'000ull;

bool NotRegular()
{
    KeepFailure(ERROR_INVALID_FUNCTION, "not a regular file");
    return false;
}

// A file on a disk, no folder; its attributes are left in attributes.
bool IsRegular(HANDLE handle, DWORD &attributes)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info))
        return false;
    attributes = info.dwFileAttributes;
    return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::uint64_t Ticks(const FILETIME &t)
{
    return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// The file a name leads to, through its links; the name itself when there
// is no file yet (the save then creates it).
bool ResolveTarget(const std::wstring &path, std::wstring &target, bool &exists)
{
    const HANDLE handle =
        ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND)
            return Win32Failure(error);
        target = path;
        exists = false;
        return true;
    }
    exists = true;
    DWORD attributes = 0;
    bool ok = IsRegular(handle, attributes) || NotRegular();
    if (ok && (attributes & FILE_ATTRIBUTE_READONLY)) {
        KeepFailure(ERROR_ACCESS_DENIED, "the file is marked read-only");
        ok = false;
    }
    if (ok) {
        wchar_t buffer[MAX_PATH * 4];
        const DWORD length = ::GetFinalPathNameByHandleW(handle, buffer, DWORD(std::size(buffer)), 0);
        if (length == 0 || length >= std::size(buffer))
            ok = Win32Failure();
        else
            target.assign(buffer, length);
    }
    ::CloseHandle(handle);
    return ok;
}

// A file that this user may not write is left alone, as on the console.
bool MayWrite(const std::wstring &target)
{
    const HANDLE handle =
        ::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Win32Failure();
    ::CloseHandle(handle);
    return true;
}

std::wstring FolderOf(const std::wstring &path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == path.npos ? L"." : path.substr(0, slash);
}

std::wstring NameOf(const std::wstring &path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == path.npos ? path : path.substr(slash + 1);
}

// A save that runs holds its temporary open without sharing, so deleting it
// fails; only what a killed save left goes.
void RemoveStaleTemporaries(const std::wstring &folder, const std::wstring &prefix)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((folder + L"\\" + prefix + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            Ticks(now) - Ticks(found.ftLastWriteTime) > kStaleAfter100ns)
            (void)::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

bool WriteAll(HANDLE handle, const std::uint8_t *data, std::size_t size)
{
    while (size > 0) {
        const DWORD part = size > (1u << 30) ? (1u << 30) : DWORD(size);
        DWORD written = 0;
        if (!::WriteFile(handle, data, part, &written, nullptr))
            return Win32Failure();
        if (written == 0) {
            KeepFailure(ERROR_DISK_FULL, "the write made no progress");
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

struct ReadableFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
};

bool IsRegularFile(const std::string &path)
{
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

ReadableFile *OpenForReading(const std::string &path)
{
    // Another program may rewrite the value file while it is read.
    const HANDLE handle =
        ::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Win32Failure();
        return nullptr;
    }
    DWORD attributes = 0;
    if (!IsRegular(handle, attributes)) {
        NotRegular();
        ::CloseHandle(handle);
        return nullptr;
    }
    return new ReadableFile{handle};
}

std::ptrdiff_t ReadSome(ReadableFile *file, void *buffer, std::size_t size)
{
    DWORD read = 0;
    const DWORD part = size > (1u << 30) ? (1u << 30) : DWORD(size);
    if (::ReadFile(file->handle, buffer, part, &read, nullptr))
        return std::ptrdiff_t(read);
    if (::GetLastError() == ERROR_HANDLE_EOF)
        return 0;
    Win32Failure();
    return -1;
}

bool CloseForReading(ReadableFile *file)
{
    const bool closed = ::CloseHandle(file->handle) != 0 || Win32Failure();
    delete file;
    return closed;
}

bool ReplaceWholeFile(const std::string &path, const std::uint8_t *data, std::size_t size)
{
    std::wstring target;
    bool exists = false;
    if (!ResolveTarget(Widen(path), target, exists) || (exists && !MayWrite(target)))
        return false;

    const std::wstring folder = FolderOf(target);
    const std::wstring prefix = L"." + NameOf(target) + std::wstring(kTemporaryMark);
    RemoveStaleTemporaries(folder, prefix);

    static std::atomic<unsigned> serial{0};
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::wstring temporary;
    for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
        temporary =
            folder + L"\\" + prefix + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(serial++);
        // No sharing: held until it is in place, so that no other save takes
        // it for stale.
        handle =
            ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            return Win32Failure();
    }
    if (handle == INVALID_HANDLE_VALUE)
        return Win32Failure();

    bool ok = WriteAll(handle, data, size) && (::FlushFileBuffers(handle) || Win32Failure());
    ok = (::CloseHandle(handle) || Win32Failure()) && ok;
    if (ok && exists)
        ok = ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                            nullptr) ||
             Win32Failure();
    else if (ok)
        ok = ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
             Win32Failure();
    if (!ok)
        (void)::DeleteFileW(temporary.c_str());
    return ok;
}

} // namespace platform
