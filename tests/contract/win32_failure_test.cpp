// The Win32 backend's kinds of failure for the codes that Windows' comm
// drivers give and Wine cannot show (a busy port, a pulled USB adapter): at
// an open "access denied" means another program holds the port, on an open
// port it means the adapter has gone.
#include "platform/win32_failure.h"

#include <gtest/gtest.h>

namespace {

using platform::FailureKind;

TEST(Win32Failure, CodesAreToldByTheirKind)
{
    const struct {
        DWORD code;
        FailureKind atOpen, onOpenPort;
    } rows[] = {
        {ERROR_FILE_NOT_FOUND, FailureKind::Missing, FailureKind::Missing},
        {ERROR_ACCESS_DENIED, FailureKind::InUse, FailureKind::Gone},
        {ERROR_SHARING_VIOLATION, FailureKind::InUse, FailureKind::InUse},
        {ERROR_NOT_READY, FailureKind::Gone, FailureKind::Gone},
        {ERROR_GEN_FAILURE, FailureKind::Other, FailureKind::Gone},
        {ERROR_SEM_TIMEOUT, FailureKind::TimedOut, FailureKind::TimedOut},
        {ERROR_INVALID_FUNCTION, FailureKind::NotAPort, FailureKind::NotAPort},
        {ERROR_INVALID_PARAMETER, FailureKind::Other, FailureKind::Other},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(platform::KindOfError(int(row.code)), row.atOpen);
        EXPECT_EQ(platform::KindOfTransferError(row.code), row.onOpenPort);
    }
    // The kept text is the system's, also for a code of the backend's own.
    platform::Win32Failure(ERROR_ACCESS_DENIED);
    EXPECT_EQ(platform::LastFailure().kind, FailureKind::InUse);
    EXPECT_FALSE(platform::LastFailure().text.empty());
}

} // namespace
