#include "platform/failure.h"

#include <system_error>
#include <utility>

namespace platform {
namespace {
thread_local FailureReason lastFailure;
} // namespace

FailureReason LastFailure()
{
    return lastFailure;
}

void ClearFailure()
{
    lastFailure = {};
}

void KeepFailure(int code, std::string text)
{
    KeepFailure(KindOfError(code), code, std::move(text));
}

void KeepFailure(FailureKind kind, int code, std::string text)
{
    // system_category speaks errno on POSIX and GetLastError() on Windows.
    lastFailure = {kind, code, text.empty() ? std::system_category().message(code) : std::move(text)};
}

void KeepFailure(FailureKind kind, std::string text)
{
    KeepFailure(kind, CodeOfKind(kind), std::move(text));
}

} // namespace platform
