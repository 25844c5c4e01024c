#include <OS.h>

#include <errno.h>
#include <time.h>
#include <unistd.h>

status_t snooze(bigtime_t microseconds)
{
	if (microseconds <= 0)
		return B_OK;
	struct timespec request;
	request.tv_sec = microseconds / 1000000;
	request.tv_nsec = (microseconds % 1000000) * 1000;
	// Sleep the whole time even when a signal interrupts.
	while (nanosleep(&request, &request) != 0) {
		if (errno != EINTR)
			return B_ERROR;
	}
	return B_OK;
}

bigtime_t system_time(void)
{
	struct timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return (bigtime_t)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

// Only the calling thread can be found; looking up threads by name is not offered here.
thread_id find_thread(const char* name)
{
	if (name != NULL)
		return B_NAME_NOT_FOUND;
	return (thread_id)gettid();
}
