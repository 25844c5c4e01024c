#include "desktop/FileMetadata.h"

#include <gio/gio.h>
#include <string.h>

#include "desktop/DesktopNotifier.h"

namespace platform {

namespace {

const GFileQueryInfoFlags kNoFollow = G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS;

std::string Attribute(const char* key)
{
	return std::string("metadata::") + key;
}

bool OffersMetadata()
{
	GFile* root = g_file_new_for_path("/");
	GFileAttributeInfoList* list = g_file_query_writable_namespaces(root, NULL, NULL);
	bool offered = false;
	for (int i = 0; list != NULL && i < list->n_infos; i++)
		offered = offered || strcmp(list->infos[i].name, "metadata") == 0;
	if (list != NULL)
		g_file_attribute_info_list_unref(list);
	g_object_unref(root);
	return offered;
}

}  // namespace

FileMetadata::FileMetadata(const std::string& path) :
	fFile(g_file_new_for_path(path.c_str()))
{
}

FileMetadata::~FileMetadata()
{
	g_object_unref(static_cast<GFile*>(fFile));
}

bool FileMetadata::IsAvailable()
{
	// The process keeps one bus and one VFS: the answer holds for its life.
	static const bool available = DesktopNotifier::HasSessionBus() && OffersMetadata();
	return available;
}

status_t FileMetadata::Get(const char* key, std::string* value) const
{
	std::string attribute = Attribute(key);
	GFileInfo* info =
		g_file_query_info(static_cast<GFile*>(fFile), attribute.c_str(), kNoFollow, NULL, NULL);
	if (info == NULL)
		return B_ERROR;
	status_t status = B_ENTRY_NOT_FOUND;
	if (g_file_info_get_attribute_type(info, attribute.c_str()) == G_FILE_ATTRIBUTE_TYPE_STRING) {
		*value = g_file_info_get_attribute_string(info, attribute.c_str());
		status = B_OK;
	}
	g_object_unref(info);
	return status;
}

status_t FileMetadata::Set(const char* key, const std::string& value) const
{
	GError* error = NULL;
	bool set = g_file_set_attribute_string(
		static_cast<GFile*>(fFile), Attribute(key).c_str(), value.c_str(), kNoFollow, NULL, &error);
	if (error != NULL)
		g_error_free(error);
	return set ? B_OK : B_ERROR;
}

status_t FileMetadata::Unset(const char* key) const
{
	GError* error = NULL;
	bool unset = g_file_set_attribute(static_cast<GFile*>(fFile), Attribute(key).c_str(),
		G_FILE_ATTRIBUTE_TYPE_INVALID, NULL, kNoFollow, NULL, &error);
	if (error != NULL)
		g_error_free(error);
	return unset ? B_OK : B_ERROR;
}

}  // namespace platform
