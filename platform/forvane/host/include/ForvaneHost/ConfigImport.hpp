// The IFC+SG configuration file importers (XML, checked against the schema).
//
// Each importer parses and checks the whole document before it changes the
// project: a document that is malformed, empty or off the schema fails with
// an error code and `message`, the text of its Fault (what, after "line N: "),
// and nothing of that import is kept. On success `message` is empty. The importers never load DTDs, external entities or
// anything from the network.
#pragma once

#include <string>
#include <string_view>

#include "Forvane/Errors.hpp"
#include "ForvaneHost/Model.hpp"

namespace fvhost {

// Merges the document's classification systems into the project: a system
// whose name exists gets the new items and names, keeping its own items, so
// elements keep their classification.
HostError ImportClassificationsXml(Project& project, std::string_view xml, std::string& message);

// Creates the document's property groups and definitions: a group whose name
// exists is reused; a definition whose name exists in it is updated in place.
HostError ImportPropertiesXml(Project& project, std::string_view xml, std::string& message);

// The schema's text (kept in the host library).
const std::string& ConfigurationSchema();

}  // namespace fvhost
