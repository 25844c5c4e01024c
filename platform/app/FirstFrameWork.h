#ifndef PLATFORM_APP_FIRST_FRAME_WORK_H
#define PLATFORM_APP_FIRST_FRAME_WORK_H

namespace platform {

// Work that the first frame needs and that needs no window system (the interface kit's plain
// font): BApplication hands it to the host, which runs it while it connects. The kits that
// have such work sit above this one, so the executable's composition installs it before main;
// without it, the work is done when first needed.
void SetFirstFrameWork(void (*work)());

}  // namespace platform

#endif
