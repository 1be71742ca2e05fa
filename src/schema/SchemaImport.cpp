// Step 4's body: the user picks an IFC+SG configuration file, and the host's
// own importers read it, classifications first, then properties. The plug-in
// never parses the file; it hands over the whole text.

#include <fstream>
#include <sstream>
#include <string>

#include "Corbane/Memory.hpp"
#include "Nostrel/Nostrel.hpp"
#include "Pellarin/Pellarin.hpp"
#include "host/HostApi.hpp"
#include "host/Report.hpp"
#include "run/Config.hpp"
#include "run/RunStatus.hpp"

namespace quarnel {

namespace {

// The text is held in the host's memory manager like every other block of the plug-in.
using NarrowText = std::basic_string<char, std::char_traits<char>, Corbane::Allocator<char>>;
using NarrowTextStream = std::basic_ostringstream<char, std::char_traits<char>, Corbane::Allocator<char>>;

constexpr Corbane::Int32 ClassificationMergeMode = 1;
constexpr Corbane::Int32 ClassificationConflictMode = 0;
constexpr Corbane::Int32 PropertyImportMode = 0;

// An unreadable or empty file gives an empty text; the host's importer then
// says what is wrong with it.
NarrowText ReadWholeFile(const Nostrel::Location& location) {
  const Corbane::CStr path = location.ToDisplayText().ToCStr();
  NarrowTextStream text;
  std::ifstream file(path.Get());
  if (file.is_open()) text << file.rdbuf();
  file.close();
  return text.str();
}

}  // namespace

HostError Config::importSchemaFile() {
  Pellarin::FileDialog dialog(Pellarin::FileDialog::OpenFile);
  dialog.SetTitle(Corbane::UniString("Select IFC+SG Classifications and Properties XML File"));
  Nostrel::FileTypeManager fileTypes("IFC+SG Config File");
  const Nostrel::FileType configFile("IFC+SG Config file", "xml", 0, 0, 0, nullptr, nullptr, true);
  importPropertiesAndClassificationsStatus = 0;
  dialog.AddFilter(fileTypes.AddType(configFile, Nostrel::RootGroup()), 0);
  if (!dialog.Invoke()) return 0;

  const Nostrel::Location chosen = dialog.GetSelectedLocation();
  const NarrowText text = ReadWholeFile(chosen);

  // The text reaches the host as a zero-terminated string: a zero byte ends it.
  const HostError classificationError = host::ImportClassifications(
      Corbane::UniString(text.c_str()), ClassificationMergeMode, ClassificationConflictMode);
  if (classificationError != 0) {
    Report(classificationError, "Import Classifications: Failed with Error Code: %d");
    importPropertiesAndClassificationsStatus = 2;
    return classificationError;
  }
  const HostError propertyError = host::ImportProperties(Corbane::UniString(text.c_str()), PropertyImportMode);
  if (propertyError != 0) {
    Report(propertyError, "Import Properties: Failed with Error Code: %d");
    importPropertiesAndClassificationsStatus = 3;
    return propertyError;
  }
  importPropertiesAndClassificationsStatus = 1;
  return 0;
}

}  // namespace quarnel
