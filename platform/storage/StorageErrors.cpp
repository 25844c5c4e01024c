#include "storage/StorageErrors.h"

#include <errno.h>

namespace platform {

status_t StatusForErrno(int error)
{
	switch (error) {
		case 0:
			return B_OK;
		case EPERM:
		case EACCES:
			return B_PERMISSION_DENIED;
		case ENOENT:
		case ENODATA:
			return B_ENTRY_NOT_FOUND;
		case ENOTSUP:
			return B_NOT_SUPPORTED;
		case ENOSPC:
		case E2BIG:
		case EDQUOT:
			return B_DEVICE_FULL;
		case ENOMEM:
			return B_NO_MEMORY;
		case ENAMETOOLONG:
			return B_NAME_TOO_LONG;
		case ENOTDIR:
			return B_NOT_A_DIRECTORY;
		case EISDIR:
			return B_IS_A_DIRECTORY;
		case EEXIST:
			return B_FILE_EXISTS;
		case EROFS:
			return B_READ_ONLY_DEVICE;
		case ELOOP:
			return B_LINK_LIMIT;
		case EMFILE:
		case ENFILE:
			return B_NO_MORE_FDS;
		case EXDEV:
			return B_CROSS_DEVICE_LINK;
		case ERANGE:
			return B_BUFFER_OVERFLOW;
		case EINVAL:
			return B_BAD_VALUE;
		case EBADF:
			return B_FILE_ERROR;
		case EINTR:
			return B_INTERRUPTED;
		case EBUSY:
			return B_BUSY;
		case EIO:
			return B_IO_ERROR;
		default:
			return B_ERROR;
	}
}

}  // namespace platform
