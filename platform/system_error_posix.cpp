#include "platform/system_error.h"

#include <cerrno>

namespace pelkora::platform {

std::error_code lastSystemError() { return {errno, std::generic_category()}; }

}  // namespace pelkora::platform
