#include "desktop/DesktopNotifier.h"

#include <gio/gio.h>
#include <stdlib.h>
#include <sys/stat.h>

namespace platform {

bool DesktopNotifier::HasSessionBus()
{
	const char* address = getenv("DBUS_SESSION_BUS_ADDRESS");
	if (address != NULL && address[0] != '\0')
		return true;
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	if (runtime == NULL || runtime[0] == '\0')
		return false;
	struct stat st;
	return stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

void DesktopNotifier::FolderIconChanged(const std::string& folderPath)
{
	if (folderPath.empty() || !HasSessionBus())
		return;
	GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, NULL, NULL);
	if (bus == NULL)
		return;
	gchar* uri = g_filename_to_uri(folderPath.c_str(), NULL, NULL);
	if (uri != NULL) {
		const gchar* uris[] = {uri, NULL};
		g_dbus_connection_emit_signal(bus, NULL, "/", "org.kde.KDirNotify", "FilesChanged",
			g_variant_new("(^as)", uris), NULL);
		// The program may quit right after a drop handed to it at launch: send it now.
		g_dbus_connection_flush_sync(bus, NULL, NULL);
		g_free(uri);
	}
	g_object_unref(bus);
}

}  // namespace platform
