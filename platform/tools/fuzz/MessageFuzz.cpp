// Feeds arbitrary bytes to the flattened message reader; what it accepts must flatten back
// to a form that it reads again.

#include <Message.h>

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	BMessage message;
	if (message.Unflatten((const char*)data, (ssize_t)size) != B_OK)
		return 0;
	ssize_t flatSize = message.FlattenedSize();
	if (flatSize < 0)
		abort();
	std::vector<char> flat(flatSize);
	BMessage again;
	if (message.Flatten(flat.data(), flatSize) != B_OK
		|| again.Unflatten(flat.data(), flatSize) != B_OK)
		abort();
	return 0;
}
