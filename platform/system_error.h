#pragma once
// The system's own reason for the call that just failed, as an error code
// whose message is the system's text and which compares equal to the
// portable std::errc conditions (no_such_file_or_directory, file_exists,
// ...), so that callers never look at a system's error numbers.

#include <system_error>

namespace pelkora::platform {

// errno, or GetLastError(), of the calling thread.
std::error_code lastSystemError();

}  // namespace pelkora::platform
