// Feeds arbitrary bytes to the flattened message reader; what it accepts must flatten to a
// form that reads back and flattens to the same bytes.

#include <Message.h>

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	BMessage message, again;
	if (message.Unflatten((const char*)data, (ssize_t)size) != B_OK)
		return 0;
	ssize_t flatSize = message.FlattenedSize();
	if (flatSize <= 0)
		abort();
	std::vector<char> flat(flatSize), reflat(flatSize);
	if (message.Flatten(flat.data(), flatSize) != B_OK
		|| again.Unflatten(flat.data(), flatSize) != B_OK || again.FlattenedSize() != flatSize
		|| again.Flatten(reflat.data(), flatSize) != B_OK || reflat != flat)
		abort();
	return 0;
}
