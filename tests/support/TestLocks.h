// What a Windows test shares with the other tests of the run, named in the test itself:
//   VELMORA_TEST_LOCKS("desktop");          the screen, the focus and the shell's classes
//   VELMORA_TEST_LOCKS("startup-folders");  the Startup folders
// as a statement of the test's own body. tests/WineTests.cmake reads the line from the
// source and gives the test's CTest entry those resource locks, so that entries that
// share something never run side by side, whatever the test or its suite is called.
// Run by CTest, the statement also checks that the entry holds the locks: a line the
// reading missed (one in a fixture or a helper, say) fails the test instead of letting
// it race another.
#pragma once
#include <initializer_list>

namespace velmora::testing {

// Fails the running test when the program was told which locks its entry holds
// (--velmora_locks=<lock>,<lock>) and one of `locks` is not among them.
void RequireTestLocks(std::initializer_list<const char*> locks);

}  // namespace velmora::testing

#define VELMORA_TEST_LOCKS(...) ::velmora::testing::RequireTestLocks({__VA_ARGS__})
