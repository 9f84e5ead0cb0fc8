#pragma once
// The windows drive the default link, which lives for the whole run of a
// program; test programs run many tests in one process, in any order
// (--gtest_shuffle).
namespace testsupport {

// Puts a fresh link in the default one's place (its port closed) and the
// system's clock back.
void ResetLinkState();

} // namespace testsupport
