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
	Value found = GetEach({key})[0];
	if (found.first == B_OK)
		value->swap(found.second);
	return found.first;
}

std::vector<FileMetadata::Value> FileMetadata::GetEach(const std::vector<const char*>& keys) const
{
	std::string attributes;
	for (const char* key : keys)
		attributes += (attributes.empty() ? "" : ",") + Attribute(key);
	GFileInfo* info =
		g_file_query_info(static_cast<GFile*>(fFile), attributes.c_str(), kNoFollow, NULL, NULL);
	std::vector<Value> values(
		keys.size(), Value(info == NULL ? status_t(B_ERROR) : status_t(B_ENTRY_NOT_FOUND), ""));
	for (size_t i = 0; info != NULL && i < keys.size(); i++) {
		std::string attribute = Attribute(keys[i]);
		if (g_file_info_get_attribute_type(info, attribute.c_str()) == G_FILE_ATTRIBUTE_TYPE_STRING)
			values[i] = Value(B_OK, g_file_info_get_attribute_string(info, attribute.c_str()));
	}
	if (info != NULL)
		g_object_unref(info);
	return values;
}

status_t FileMetadata::SetEach(const std::vector<std::pair<const char*, std::string>>& values) const
{
	GFileInfo* info = g_file_info_new();
	for (const auto& [key, value] : values)
		g_file_info_set_attribute_string(info, Attribute(key).c_str(), value.c_str());
	GError* error = NULL;
	bool set =
		g_file_set_attributes_from_info(static_cast<GFile*>(fFile), info, kNoFollow, NULL, &error);
	if (error != NULL)
		g_error_free(error);
	g_object_unref(info);
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
