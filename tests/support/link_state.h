#pragma once
// The serial link's module state lives for the whole run of a program; test
// programs run many tests in one process, in any order (--gtest_shuffle).
namespace testsupport {

// Puts the link back as a fresh program has it: no port, no reply storage,
// empty texts, a zero settings record, no clock sample, blank digit cells,
// the built-in line mode and the system's clock.
void ResetLinkState();

} // namespace testsupport
