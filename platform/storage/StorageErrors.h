#ifndef PLATFORM_STORAGE_ERRORS_H
#define PLATFORM_STORAGE_ERRORS_H

#include <SupportDefs.h>

namespace platform {

// The kit's status code for a Linux errno value.
status_t StatusForErrno(int error);

}  // namespace platform

#endif
