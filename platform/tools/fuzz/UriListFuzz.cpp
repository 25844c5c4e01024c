// Feeds arbitrary bytes to the URI list reader as a drag source hands them over: it takes
// refs within its limit, each of an existing entry, and the refs written back as a list
// read as themselves. The seeds name entries of a fixed scratch folder made at start-up,
// odd names among them, so that runs reach real hits.

#include <Entry.h>

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "storage/EntryPaths.h"
#include "storage/UriList.h"

namespace {

// The seeds name this folder.
const char kScratch[] = "/tmp/vellumark-fuzz-urilist";

// Every byte of the paths but the slashes escaped.
std::string UriList(const std::vector<entry_ref>& refs)
{
	std::string list;
	for (const entry_ref& ref : refs) {
		list += "file://";
		for (unsigned char c : platform::PathOfRef(ref)) {
			char escape[4];
			snprintf(escape, sizeof(escape), "%%%02X", c);
			list += c == '/' ? "/" : escape;
		}
		list += "\r\n";
	}
	return list;
}

}  // namespace

// Runs that overlap make the same entries; an entry missing for a moment only costs a hit.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	const std::filesystem::path scratch = kScratch;
	std::error_code ignored;
	std::filesystem::create_directories(scratch / "dir", ignored);
	std::filesystem::create_symlink("dir", scratch / "link", ignored);
	std::filesystem::create_symlink("missing", scratch / "dangling", ignored);
	for (const char* name : {"plain", "with space", "two\nlines", "caf\xe9", "\xff\xfe", "100%",
			 "%41", "#hash", " lead", "dir/inner"})
		std::ofstream file(scratch / name, std::ios::app);
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::vector<entry_ref> refs =
		platform::RefsFromUriList(reinterpret_cast<const char*>(data), size);
	if (refs.size() > platform::kMaxUriListEntries)
		abort();
	for (const entry_ref& ref : refs) {
		struct stat st;
		if (platform::StatRef(ref, &st) != B_OK)
			abort();
	}
	std::string list = UriList(refs);
	if (platform::RefsFromUriList(list.data(), list.size()) != refs)
		abort();
	return 0;
}
