#ifndef PLATFORM_RESOURCE_DEFINITIONS_H
#define PLATFORM_RESOURCE_DEFINITIONS_H

#include <SupportDefs.h>

#include <memory>
#include <string>
#include <vector>

class BMessage;

namespace platform {

class ResourceWriter;

// One entry of a resource definition file: a resource, or an entry that no resource names.
struct ResourceDefinition {
	bool named = true;
	type_code type = 0;
	int32 id = 0;
	std::string name;
	std::vector<uint8> data;
};

// Reads the resource definition text format (see resources/Vellumark.rdef for its grammar).
// Files that it names are read relative to baseDirectory.
class ResourceDefinitions {
public:
	ResourceDefinitions();
	~ResourceDefinitions();

	status_t Parse(const std::string& text, const std::string& baseDirectory);
	status_t ParseFile(const std::string& path);

	const std::vector<ResourceDefinition>& Definitions() const { return fDefinitions; }
	const std::string& Error() const { return fError; }
	void AddTo(ResourceWriter& writer) const;

private:
	status_t ParseLine(const std::vector<std::string>& tokens);
	status_t ParseResource(const std::vector<std::string>& tokens);
	status_t ParseData(const std::vector<std::string>& tokens);
	status_t ParseField(const std::vector<std::string>& tokens);
	status_t ParseVersion(const std::vector<std::string>& tokens, std::vector<uint8>* data);
	status_t ParseFlags(const std::vector<std::string>& tokens, std::vector<uint8>* data);
	status_t ParseIcon(const std::vector<std::string>& tokens, std::vector<uint8>* data);
	status_t FinishMessage();
	status_t Fail(const std::string& message);

	std::vector<ResourceDefinition> fDefinitions;
	std::unique_ptr<BMessage> fMessage;  // being built for the current resource
	std::string fBaseDirectory;
	int fLine;
	std::string fError;
};

}  // namespace platform

#endif
