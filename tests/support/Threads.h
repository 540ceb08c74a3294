#pragma once
// The threads of this process, as the kernel lists them: a test that starts
// work on other threads checks with it that none of them is left running.
namespace quillmere::test {

// The number of threads of the process now.
int ThreadCount();

// Waits (up to a few seconds) for the thread count to come down to
// `expected`; returns the count it ended with. A thread that ended is gone
// from the kernel's list a moment after it was joined.
int ThreadCountSettlingAt(int expected);

}  // namespace quillmere::test
