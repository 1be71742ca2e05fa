// The configuration importers on arbitrary text, in the order a run calls
// them: classifications, then properties, into a project that already holds
// classifications, IFC groups, options and element values.
//
// An import that fails leaves the project exactly as it was and says what is
// wrong (and where, for a document that is malformed or off the schema). An
// import that succeeds can be repeated without changing anything more, and
// leaves a project that the project file saves and loads back unchanged.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.hpp"
#include "ForvaneHost/ConfigImport.hpp"
#include "ForvaneHost/ProjectFile.hpp"
#include "support/project_builder.hpp"

namespace {

using testing_support::ProjectBuilder;

// The project the configurations are imported into, built once per process.
// Its guids differ between processes; nothing the importers decide depends on
// their values.
const fvhost::Project& StartingProject() {
  static const fvhost::Project project = [] {
    ProjectBuilder b;
    b.Classification("IFC+SG", {"IfcWall", "IfcSlab"});
    const auto wall = b.Group("Pset_WallCommon");
    const auto fire = b.Definition(wall, "FireRating");
    const auto height = b.Definition(wall, "Height", API_VariantReal, API_MeasureLength);
    b.Expressions(b.Definition(wall, "Width", API_VariantReal, API_MeasureLength),
                  {"###Property:Pset_WallCommon/Height### / 10"});
    const auto finish = b.Options(b.Definition(wall, "Finish"), {"Paint", "Tile"}, "Paint");
    b.AvailableFor(fire, {"IfcWall"});
    const auto count = b.Definition(b.Group("SGPset_Slab"), "Count", API_VariantInteger);
    const auto element = b.Element("Wall", {"IfcWall"});
    b.Set(element, fire, "2HR");
    b.Set(element, height, 3.0);
    b.SetOption(element, finish, "Tile");
    b.Set(b.Element("Slab", {"IfcSlab"}), count, 7);
    b.Definition(b.Group("Office"), "Cost", API_VariantReal);
    return b.Build();
  }();
  return project;
}

bool SavesAndLoadsBack(const fvhost::Project& project) {
  std::string error;
  const auto loaded = fvhost::ParseProject(fvhost::ProjectToJson(project), "imported.json", error);
  return loaded && *loaded == project;
}

using Importer = HostError (*)(fvhost::Project&, std::string_view, std::string&);

void CheckImport(Importer import, fvhost::Project& project, std::string_view xml) {
  const fvhost::Project before = project;
  std::string message;
  const HostError error = import(project, xml, message);
  if (error != FvErr_NoError) {
    FUZZ_CHECK(project == before, "a failed import changed the project");
    FUZZ_CHECK(!message.empty(), "a failed import said nothing");
    if (error == FvErr_BadXml || error == FvErr_NotOnSchema)
      FUZZ_CHECK(message.rfind("line ", 0) == 0, "a refused document's message does not name its line");
    return;
  }
  FUZZ_CHECK(message.empty(), "a successful import left a message");
  fvhost::Project again = project;
  FUZZ_CHECK(import(again, xml, message) == FvErr_NoError, "an import that succeeded fails when repeated");
  FUZZ_CHECK(again == project, "repeating an import changed the project again");
  FUZZ_CHECK(SavesAndLoadsBack(project), "the imported project does not save and load back unchanged");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view xml(reinterpret_cast<const char*>(data), size);
  fvhost::Project project = StartingProject();
  CheckImport(fvhost::ImportClassificationsXml, project, xml);
  CheckImport(fvhost::ImportPropertiesXml, project, xml);
  return 0;
}
