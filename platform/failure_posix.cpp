// The kinds of the errno values that opening and using a port report.
#include "platform/failure.h"

#include <cerrno>

namespace platform {

FailureKind KindOfError(int code)
{
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return FailureKind::Missing;
    case EACCES:
    case EPERM:
    case EROFS:
        return FailureKind::Refused;
    case EBUSY:
        return FailureKind::InUse;
    // A USB adapter pulled out, a terminal whose other side hung up.
    case EIO:
    case ENXIO:
    case ENODEV:
    case EPIPE:
    case ECONNRESET:
        return FailureKind::Gone;
    case ETIMEDOUT:
        return FailureKind::TimedOut;
    case ENOTTY:
    case EISDIR:
        return FailureKind::NotAPort;
    default:
        return FailureKind::Other;
    }
}

int CodeOfKind(FailureKind kind)
{
    // In the order of FailureKind: None, Missing, Refused, InUse, Gone,
    // TimedOut, NotAPort, Other.
    constexpr int codes[] = {0, ENOENT, EACCES, EBUSY, ENODEV, ETIMEDOUT, ENOTTY, EINVAL};
    static_assert(sizeof codes / sizeof *codes == static_cast<int>(FailureKind::Other) + 1);
    return codes[static_cast<int>(kind)];
}

} // namespace platform
