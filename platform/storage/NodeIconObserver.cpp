#include "storage/NodeIconObserver.h"

#include <string.h>

#include <atomic>
#include <utility>

namespace platform {

namespace {

std::atomic<NodeIconObserver*> sObserver(NULL);

}  // namespace

void ShownIcons::Add(const IconNode& node, icon_size which, const uint8* pixels, const char* type)
{
	if (pixels == NULL || (which != B_LARGE_ICON && which != B_MINI_ICON))
		return;
	Shown& slot = fShown[fNext];
	fNext = (fNext + 1) % kRemembered;
	slot.device = node.device;
	slot.node = node.inode;
	slot.which = which;
	memcpy(slot.pixels, pixels, which * which);
	slot.type = type != NULL ? type : "";
}

const ShownIcons::Shown& ShownIcons::Recent(int age) const
{
	return fShown[(fNext + kRemembered - 1 - age % kRemembered) % kRemembered];
}

void ShownIcons::Forget()
{
	for (Shown& shown : fShown)
		shown.which = 0;
}

IconChange::IconChange(const IconNode& node, icon_size which, const uint8* pixels,
	ShownIcons* shown, StoredReader readStored) :
	fNode(node),
	fWhich(which),
	fPixels(pixels),
	fShown(shown),
	fReadStored(std::move(readStored)),
	fStoredRead(0),
	fFailedWhat(NULL),
	fFailedStatus(B_OK)
{
}

const uint8* IconChange::Stored()
{
	if (fStoredRead == 0)
		fStoredRead = fReadStored && fReadStored(fStored) ? 1 : -1;
	return fStoredRead > 0 ? fStored : NULL;
}

void IconChange::Fail(const char* what, status_t status)
{
	if (fFailedWhat != NULL)
		return;
	fFailedWhat = what;
	fFailedStatus = status;
}

void SetNodeIconObserver(NodeIconObserver* observer)
{
	sObserver.store(observer);
}

NodeIconObserver* InstalledNodeIconObserver()
{
	return sObserver.load();
}

}  // namespace platform
