#include <Looper.h>
#include <Message.h>

#include <gtest/gtest.h>

#include "interface/WindowHostInput.h"
#include "interface/WindowMessages.h"

#include <memory>
#include <string>

using namespace platform;

namespace {

// A looper that never runs: what the input posts waits in its queue.
class Inbox : public BLooper {
public:
	BMessage* Take()
	{
		return TakeQueuedMessage([](const BMessage&) { return true; });
	}
};

const size_t kList = kMaxDragUriListBytes;
const size_t kText = kMaxDragTextPreview;
const size_t kNone = size_t(-1);

}  // namespace

// What a host hands over of a drag is cut before the window copies it: a URI list to its whole
// lines within the bound (a cut line could name another file), a text before the character
// that would not fit whole.
TEST(WindowHostInput, DraggedDataIsCutToItsBoundBeforeItIsCopied)
{
	static const struct {
		HostDragData kind;
		size_t length;
		size_t lineEnd;  // the one '\n' of a list, or where a 2-byte character of a text starts
		size_t kept;  // 0: no field at all
	} kRows[] = {
		{kHostDragUriList, kList - 1, kList - 10, kList - 1},
		{kHostDragUriList, kList, kList - 10, kList},
		{kHostDragUriList, kList + 1, kList - 10, kList - 9},
		{kHostDragUriList, kList + 1, kNone, 0},
		{kHostDragText, kText - 1, kNone, kText - 1},
		{kHostDragText, kText, kNone, kText},
		{kHostDragText, kText + 1, kNone, kText},
		{kHostDragText, kText + 1, kText - 1, kText - 1},
	};
	for (size_t row = 0; row < std::size(kRows); row++) {
		const auto& test = kRows[row];
		std::string bytes(test.length, 'a');
		if (test.lineEnd != kNone && test.kind == kHostDragUriList)
			bytes[test.lineEnd] = '\n';
		else if (test.lineEnd != kNone)
			bytes.replace(test.lineEnd, 2, "\xC3\xA9");
		Inbox inbox;
		WindowHostInput(&inbox).DragData(test.kind, bytes.data(), bytes.size());
		std::unique_ptr<BMessage> posted(inbox.Take());
		ASSERT_TRUE(posted && posted->what == kMsgWindowDragData) << "row " << row;
		const void* data = NULL;
		ssize_t size = -1;
		posted->FindData(
			test.kind == kHostDragUriList ? "uri-list" : "text", B_RAW_TYPE, &data, &size);
		EXPECT_EQ(size, test.kept > 0 ? ssize_t(test.kept) : -1) << "row " << row;
		EXPECT_EQ(std::string((const char*)data, test.kept), bytes.substr(0, test.kept))
			<< "row " << row;
	}
}
