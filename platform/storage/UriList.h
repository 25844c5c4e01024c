#ifndef PLATFORM_URI_LIST_H
#define PLATFORM_URI_LIST_H

#include <Entry.h>
#include <SupportDefs.h>

#include <stddef.h>

#include <vector>

namespace platform {

// Limits on what one list may make us do; beyond them the rest is ignored. Each entry costs
// file system calls, so the time spent is bounded too (in microseconds).
const size_t kMaxUriListBytes = 4 * 1024 * 1024;
const size_t kMaxUriListEntries = 4096;
const bigtime_t kMaxUriListTime = 1000000;

// The local entries named by a text/uri-list (untrusted bytes from another program), in
// order. Lines end in CRLF or LF; lines starting with '#' are comments. Taken are only
// file: URIs with an empty host or "localhost" and an absolute path, percent-decoded; a URI
// with a bad escape or an encoded NUL, and a path that does not exist, are skipped. The
// decoded path is used byte for byte: Linux names need not be UTF-8, and may hold newlines.
std::vector<entry_ref> RefsFromUriList(const char* data, size_t length);

}  // namespace platform

#endif
