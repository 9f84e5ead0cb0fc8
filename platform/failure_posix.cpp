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
    switch (kind) {
    case FailureKind::None: return 0;
    case FailureKind::Missing: return ENOENT;
    case FailureKind::Refused: return EACCES;
    case FailureKind::InUse: return EBUSY;
    case FailureKind::Gone: return ENODEV;
    case FailureKind::TimedOut: return ETIMEDOUT;
    case FailureKind::NotAPort: return ENOTTY;
    case FailureKind::Other: break;
    }
    return EINVAL;
}

} // namespace platform
