#ifndef PLATFORM_DESKTOP_DESKTOP_NOTIFIER_H
#define PLATFORM_DESKTOP_DESKTOP_NOTIFIER_H

#include <string>

namespace platform {

// Tells the file managers that listen on the session bus that a folder's icon changed.
// GNOME Files, Nemo, Caja and Thunar watch the parent folder themselves (the attribute
// write reaches them as a change of the folder); KDE's file managers (Dolphin, the desktop)
// take the word of KIO's org.kde.KDirNotify signal instead. Best-effort: without a session
// bus nothing is sent and nothing fails.
class DesktopNotifier {
public:
	static void FolderIconChanged(const std::string& folderPath);

	// Whether a session bus is there to reach, without starting one.
	static bool HasSessionBus();
};

}  // namespace platform

#endif
