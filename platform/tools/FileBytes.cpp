#include "tools/FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

bool ReadFileBytes(const std::string& path, std::vector<uint8>* bytes, std::string* error)
{
	FILE* file = fopen(path.c_str(), "rb");
	if (file == NULL) {
		*error = "cannot open " + path + ": " + strerror(errno);
		return false;
	}
	bytes->clear();
	uint8 buffer[65536];
	size_t count;
	while ((count = fread(buffer, 1, sizeof(buffer), file)) > 0)
		bytes->insert(bytes->end(), buffer, buffer + count);
	bool ok = !ferror(file);
	if (!ok)
		*error = "cannot read " + path + ": " + strerror(errno);
	fclose(file);
	return ok;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8>& bytes, std::string* error)
{
	FILE* file = fopen(path.c_str(), "wb");
	if (file == NULL) {
		*error = "cannot create " + path + ": " + strerror(errno);
		return false;
	}
	bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
	ok = fclose(file) == 0 && ok;
	if (!ok)
		*error = "cannot write " + path + ": " + strerror(errno);
	return ok;
}

}  // namespace platform
