// Feeds arbitrary bytes to the URI list reader as a drag source hands them over, and holds
// its answer against a plain model of what it promises: the refs are exactly the existing
// local entries the list names, in order, within its limits. The seeds name entries of a
// fixed scratch folder made at start-up, odd names among them, so that runs reach real hits.

#include <Entry.h>
#include <StorageDefs.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "storage/EntryPaths.h"
#include "storage/UriList.h"

namespace {

// The seeds name this folder; it is only read from while fuzzing.
const char kScratch[] = "/tmp/vellumark-fuzz-urilist";

typedef std::pair<dev_t, ino_t> Identity;

void Fail(const char* what)
{
	fprintf(stderr, "fuzz_urilist: %s\n", what);
	abort();
}

void MakeFile(const std::string& path)
{
	int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
	if (fd < 0 && errno != EEXIST)
		Fail("cannot make a scratch file");
	if (fd >= 0)
		close(fd);
}

void MakeLink(const char* target, const std::string& path)
{
	if (symlink(target, path.c_str()) != 0 && errno != EEXIST)
		Fail("cannot make a scratch link");
}

// Made whole beside its place and renamed into it, so that a run that starts meanwhile
// never sees it half made; kept for the next run.
void MakeScratchFolder()
{
	struct stat st;
	if (lstat(kScratch, &st) == 0)
		return;
	std::string base = std::string(kScratch) + ".XXXXXX";
	if (mkdtemp(&base[0]) == NULL || chmod(base.c_str(), 0755) != 0)
		Fail("cannot make the scratch folder");
	if (mkdir((base + "/dir").c_str(), 0755) != 0)
		Fail("cannot make the scratch folder");
	const char* const files[] = {"plain", "with space", "two\nlines", "caf\xe9", "\xff\xfe", "100%",
		"%41", "#hash", " lead", "dir/inner"};
	for (const char* name : files)
		MakeFile(base + "/" + name);
	MakeLink("dir", base + "/link");
	MakeLink("missing", base + "/dangling");
	if (rename(base.c_str(), kScratch) != 0) {
		std::string command = "rm -rf '" + base + "'";
		if (errno != EEXIST && errno != ENOTEMPTY)
			Fail("cannot make the scratch folder");
		if (system(command.c_str()) != 0)
			Fail("cannot remove a scratch folder");
	}
}

// --- The model: the promise written out as plainly as possible.

int Hex(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	if (c >= 'a' && c <= 'f')
		return c - 'a' + 10;
	if (c >= 'A' && c <= 'F')
		return c - 'A' + 10;
	return -1;
}

bool ModelPath(std::string uri, std::string* path)
{
	while (!uri.empty() && (uri[0] == ' ' || uri[0] == '\t'))
		uri.erase(0, 1);
	while (!uri.empty() && (uri.back() == ' ' || uri.back() == '\t'))
		uri.pop_back();
	if (uri.size() < 5 || strncasecmp(uri.c_str(), "file:", 5) != 0)
		return false;
	std::string rest = uri.substr(5);
	if (rest.compare(0, 2, "//") == 0) {
		size_t slash = rest.find('/', 2);
		if (slash == std::string::npos)
			return false;
		std::string host = rest.substr(2, slash - 2);
		if (!host.empty() && strcasecmp(host.c_str(), "localhost") != 0)
			return false;
		rest = rest.substr(slash);
	}
	if (rest.empty() || rest[0] != '/')
		return false;
	path->clear();
	for (size_t i = 0; i < rest.size(); i++) {
		char c = rest[i];
		if (c == '%') {
			if (i + 2 >= rest.size() || Hex(rest[i + 1]) < 0 || Hex(rest[i + 2]) < 0)
				return false;
			c = char(Hex(rest[i + 1]) * 16 + Hex(rest[i + 2]));
			i += 2;
		}
		if (c == '\0')
			return false;
		*path += c;
	}
	return path->size() < B_PATH_NAME_LENGTH;
}

// The entry a path names: trailing slashes name the entry itself, not what a link there
// leads to (the path with them must still exist).
bool ModelIdentity(const std::string& path, Identity* identity)
{
	struct stat st;
	if (lstat(path.c_str(), &st) != 0)
		return false;
	std::string entry = path;
	while (entry.size() > 1 && entry.back() == '/')
		entry.pop_back();
	if (entry != path && lstat(entry.c_str(), &st) != 0)
		return false;
	*identity = Identity(st.st_dev, st.st_ino);
	return true;
}

std::vector<Identity> Model(const char* data, size_t size, size_t* uris)
{
	std::vector<Identity> entries;
	*uris = 0;
	std::string text(data, size);
	size_t start = 0;
	while (start < text.size() && *uris < platform::kMaxUriListEntries) {
		size_t end = text.find_first_of("\r\n", start);
		if (end == std::string::npos)
			end = text.size();
		std::string line = text.substr(start, end - start);
		start = end + 1;
		size_t first = line.find_first_not_of(" \t");
		if (first == std::string::npos || line[first] == '#')
			continue;
		(*uris)++;
		std::string path;
		Identity identity;
		if (line.find('\0') == std::string::npos && ModelPath(line, &path)
			&& ModelIdentity(path, &identity))
			entries.push_back(identity);
	}
	return entries;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	MakeScratchFolder();
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const char* text = reinterpret_cast<const char*>(data);
	std::vector<entry_ref> refs = platform::RefsFromUriList(text, size);
	size_t uris = 0;
	std::vector<Identity> expected = Model(text, size, &uris);

	if (getenv("VELLUMARK_FUZZ_VERBOSE") != NULL)
		fprintf(stderr, "fuzz_urilist: %zu URIs, %zu refs\n", uris, refs.size());
	if (refs.size() > uris || refs.size() > platform::kMaxUriListEntries)
		Fail("more refs than URIs");
	if (refs.size() != expected.size())
		Fail("the refs are not the existing entries the list names");
	for (size_t i = 0; i < refs.size(); i++) {
		struct stat st;
		if (platform::StatRef(refs[i], &st) != B_OK)
			Fail("a ref names no existing entry");
		if (Identity(st.st_dev, st.st_ino) != expected[i])
			Fail("a ref names another entry than its URI, or out of order");
	}
	return 0;
}
