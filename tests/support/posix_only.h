#pragma once
// What only a POSIX system gives a test: named pipes, symbolic links that
// any user may make, a file size limit, other users to run as, the table
// of open descriptors. A test that needs one of them is skipped elsewhere
// and says which; the rule it checks holds there all the same.

#include <gtest/gtest.h>

#ifdef _WIN32
#define PELKORA_SKIP_WITHOUT_POSIX(what) GTEST_SKIP() << "needs " what ", which only a POSIX system gives a test"
#else
#define PELKORA_SKIP_WITHOUT_POSIX(what) static_cast<void>(0)
#endif
