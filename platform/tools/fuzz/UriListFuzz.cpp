// Feeds arbitrary bytes to the URI list reader as a drag source hands them over: it takes
// at most one ref per URI line, within its limit, each of an existing entry, and the refs
// written back as a list read as themselves. The seeds name entries of a fixed scratch
// folder made at start-up, odd names among them, so that runs reach real hits.

#include <Entry.h>

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "storage/EntryPaths.h"
#include "storage/UriList.h"

namespace {

// The seeds name this folder; it is only read from while fuzzing.
const char kScratch[] = "/tmp/vellumark-fuzz-urilist";

// Lines that hold something other than blanks or a comment.
size_t CountUris(const std::string& text)
{
	size_t uris = 0;
	for (size_t start = 0; start < text.size();) {
		size_t end = std::min(text.find_first_of("\r\n", start), text.size());
		size_t first = text.find_first_not_of(" \t", start);
		uris += first < end && text[first] != '#';
		start = end + 1;
	}
	return uris;
}

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

// The scratch folder is made whole beside its place and renamed into it, so that a run that
// starts meanwhile never sees it half made; it is kept for the next run.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	struct stat st;
	std::string base = std::string(kScratch) + ".XXXXXX";
	if (lstat(kScratch, &st) == 0)
		return 0;
	if (mkdtemp(&base[0]) == NULL || chmod(base.c_str(), 0755) != 0
		|| mkdir((base + "/dir").c_str(), 0755) != 0
		|| symlink("dir", (base + "/link").c_str()) != 0
		|| symlink("missing", (base + "/dangling").c_str()) != 0)
		abort();
	for (const char* name : {"plain", "with space", "two\nlines", "caf\xe9", "\xff\xfe", "100%",
			 "%41", "#hash", " lead", "dir/inner"})
		std::ofstream file(base + "/" + name);
	if (rename(base.c_str(), kScratch) != 0)  // another run was first
		std::filesystem::remove_all(base);
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::string text(reinterpret_cast<const char*>(data), size);
	std::vector<entry_ref> refs = platform::RefsFromUriList(text.data(), text.size());
	if (refs.size() > CountUris(text) || refs.size() > platform::kMaxUriListEntries)
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
