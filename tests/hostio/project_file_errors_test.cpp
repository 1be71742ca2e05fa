// A project file that is not valid gets one message that names the place of
// the fault, "FILE:LINE:COLUMN: what", and no project.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "ForvaneHost/ProjectFile.hpp"

namespace {

struct BadFile {
  const char* name;
  std::string text;
  std::string message;  // the whole message
};

const std::string kHead = "{ \"format\": \"forvane-project\", \"version\": 1,\n";

// Line 2 of every file below holds one classification system with items
// IfcWall (with child IfcWall.X) and IfcSlab; line 3 one group G with
// definitions S (string), R (real), C (single choice of Paint, Tile).
const std::string kBody = kHead +
                          "\"classificationSystems\": [ { \"name\": \"IFC+SG\", \"items\": [ { \"id\": \"IfcWall\", "
                          "\"children\": [ { \"id\": \"IfcWall.X\" } ] }, { \"id\": \"IfcSlab\" } ] } ],\n"
                          "\"propertyGroups\": [ { \"name\": \"G\", \"definitions\": [ { \"name\": \"S\" }, "
                          "{ \"name\": \"R\", \"valueType\": \"real\" }, { \"name\": \"C\", \"collectionType\": "
                          "\"singleChoice\", \"options\": [\"Paint\", \"Tile\"] } ] } ],\n";

std::string WithElementValue(const std::string& value) {
  return kBody + "\"elements\": [ { \"type\": \"Wall\", \"values\": [\n" + value + "\n] } ] }";
}

std::vector<BadFile> BadFiles() {
  return {
      {"Empty", "", "p.json:1:1: the file is empty (expected a JSON object)"},
      {"MissingComma", kHead + "\"elements\": []\n  \"propertyGroups\": [] }",
       "p.json:3:3: unexpected '\"' (expected ',' or '}')"},
      {"Truncated", kHead + "\"elements\": [", "p.json:2:14: unexpected end of the file (expected a value)"},
      {"TrailingText", kHead + "\"elements\": [] } x", "p.json:2:18: unexpected text after the end of the document"},
      {"ControlCharacterInString", kHead + "\"propertyGroups\": [ { \"name\": \"a\tb\" } ] }",
       "p.json:2:33: a control character inside a string (write it as an escape, such as \\n)"},
      {"InvalidUtf8", kHead + "\"propertyGroups\": [ { \"name\": \"a\xC3(\" } ] }", "p.json:2:33: the text is not valid UTF-8"},
      {"DuplicateKey", kHead + "\"elements\": [],\n\"elements\": [] }",
       "p.json:3:1: duplicate key \"elements\" (first at line 2)"},
      {"NotAProjectFile", "{ \"format\": \"something\", \"version\": 1 }",
       "p.json:1:13: \"format\" must be \"forvane-project\" (this is not a project file)"},
      {"NewerVersion", "{ \"format\": \"forvane-project\",\n \"version\": 2 }",
       "p.json:2:13: unsupported \"version\" the number 2 (this host reads version 1)"},
      {"UnknownTopKey", kHead + "\"element\": [] }",
       "p.json:2:1: unknown key \"element\" in the project (allowed: format, version, classificationSystems, "
       "propertyGroups, elements)"},
      {"UnknownDefinitionKey", kHead + "\"propertyGroups\": [ { \"name\": \"G\", \"definitions\": [\n  { \"name\": \"S\", \"colour\": 1 } ] } ] }",
       "p.json:3:18: unknown key \"colour\" in a property definition (allowed: guid, name, description, "
       "definitionType, collectionType, valueType, measureType, options, default, availableFor, editable)"},
      {"UnknownWord", kHead + "\"propertyGroups\": [ { \"name\": \"G\", \"definitions\": [\n  { \"name\": \"S\", \"valueType\": \"float\" } ] } ] }",
       "p.json:3:31: unknown valueType \"float\" (allowed: integer, real, string, boolean)"},
      {"WrongJsonType", kHead + "\"propertyGroups\": [ { \"name\": 5 } ] }",
       "p.json:2:31: \"name\" must be a string, not a number"},
      {"MissingName", kHead + "\"propertyGroups\": [\n { \"description\": \"x\" } ] }",
       "p.json:3:2: a property group needs \"name\""},
      {"DuplicateGroup", kHead + "\"propertyGroups\": [ { \"name\": \"G\" },\n { \"name\": \"G\" } ] }",
       "p.json:3:12: duplicate property group \"G\""},
      {"DuplicateDefinition",
       kHead + "\"propertyGroups\": [ { \"name\": \"G\", \"definitions\": [ { \"name\": \"S\" },\n { \"name\": \"S\" } ] } ] }",
       "p.json:3:12: duplicate property definition \"S\" in group \"G\""},
      {"MalformedGuid", kHead + "\"propertyGroups\": [ { \"guid\": \"1234\", \"name\": \"G\" } ] }",
       "p.json:2:31: malformed guid \"1234\" (expected 8-4-4-4-12 hexadecimal digits, not all zero)"},
      {"DuplicateGuid",
       kHead + "\"propertyGroups\": [ { \"guid\": \"0F0E0D0C-0B0A-0908-0706-050403020100\", \"name\": \"G\" },\n"
               " { \"guid\": \"0f0e0d0c-0b0a-0908-0706-050403020100\", \"name\": \"H\" } ] }",
       "p.json:3:12: duplicate guid \"0f0e0d0c-0b0a-0908-0706-050403020100\" (first at line 2, column 31)"},
      {"UnknownAvailabilityItem",
       kHead + "\"propertyGroups\": [ { \"name\": \"G\", \"definitions\": [\n { \"name\": \"S\", \"availableFor\": [\"IfcRoof\"] } ] } ] }",
       "p.json:3:34: unknown classification item \"IfcRoof\""},
      {"UnknownElementClassification", kBody + "\"elements\": [ { \"classifications\": [\n\"IfcWall\", \"IfcDoor\"] } ] }",
       "p.json:5:12: unknown classification item \"IfcDoor\""},
      {"DuplicateItem", kHead + "\"classificationSystems\": [ { \"name\": \"A\", \"items\": [ { \"id\": \"I\" } ] },\n"
                                "{ \"name\": \"B\", \"items\": [ { \"id\": \"I\" } ] } ] }",
       "p.json:3:35: duplicate classification item \"I\" (first at line 2, column 62)"},
      {"ValueOfUnknownGroup", WithElementValue("{ \"group\": \"Pset_X\", \"property\": \"S\", \"value\": \"a\" }"),
       "p.json:5:12: unknown property group \"Pset_X\""},
      {"ValueOfUnknownProperty", WithElementValue("{ \"group\": \"G\", \"property\": \"T\", \"value\": \"a\" }"),
       "p.json:5:29: unknown property \"T\" in group \"G\""},
      {"ValueOfUnknownOption", WithElementValue("{ \"group\": \"G\", \"property\": \"C\", \"value\": \"Wood\" }"),
       "p.json:5:43: \"Wood\" is not an option of \"C\" (options: \"Paint\", \"Tile\")"},
      {"ValueOfWrongType", WithElementValue("{ \"group\": \"G\", \"property\": \"R\", \"value\": \"wide\" }"),
       "p.json:5:43: expected a number, not the string \"wide\""},
      {"ValueTwice",
       WithElementValue("{ \"group\": \"G\", \"property\": \"S\", \"value\": \"a\" },\n"
                        "{ \"group\": \"G\", \"property\": \"S\", \"value\": \"b\" }"),
       "p.json:6:1: the element already has a value of \"G/S\""},
      {"DefaultOfWrongKind",
       kHead + "\"propertyGroups\": [ { \"name\": \"G\", \"definitions\": [\n { \"name\": \"C\", \"collectionType\": \"singleChoice\", "
               "\"options\": [\"A\"], \"default\": { \"value\": \"A\" } } ] } ] }",
       "p.json:3:91: a singleChoice definition takes \"choice\", not \"value\""},
      {"ChoiceWithoutOptions",
       kHead + "\"propertyGroups\": [ { \"name\": \"G\", \"definitions\": [\n { \"name\": \"C\", \"collectionType\": \"singleChoice\" } ] } ] }",
       "p.json:3:2: a choice definition needs \"options\""},
      {"IntegerOutOfRange",
       kHead + "\"propertyGroups\": [ { \"name\": \"G\", \"definitions\": [\n { \"name\": \"I\", \"valueType\": \"integer\", "
               "\"default\": { \"value\": 2147483648 } } ] } ] }",
       "p.json:3:63: expected an integer (from -2147483648 to 2147483647), not the number 2147483648"},
      {"IntegerBeyondSixtyFourBits",  // was read as 0
       kHead + "\"propertyGroups\": [ { \"name\": \"G\", \"definitions\": [\n { \"name\": \"I\", \"valueType\": \"integer\", "
               "\"default\": { \"value\": -99999999999999999999 } } ] } ] }",
       "p.json:3:63: expected an integer (from -2147483648 to 2147483647), not the number -99999999999999999999"},
      {"RealOutOfRange",
       kHead + "\"propertyGroups\": [ { \"name\": \"G\", \"definitions\": [\n { \"name\": \"R\", \"valueType\": \"real\", "
               "\"default\": { \"value\": 1e999 } } ] } ] }",
       "p.json:3:60: the number 1e999 is out of range"},
      {"MalformedLink", kHead + "\"elements\": [ { \"link\": \"nope\" } ] }",
       "p.json:2:25: malformed link guid \"nope\" (expected 8-4-4-4-12 hexadecimal digits)"},
  };
}

class ProjectFileRejects : public testing::TestWithParam<BadFile> {};

TEST_P(ProjectFileRejects, WithTheFaultAndItsPlace) {
  std::string error;
  const auto project = fvhost::ParseProject(GetParam().text, "p.json", error);
  EXPECT_FALSE(project.has_value());
  EXPECT_EQ(error, GetParam().message) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(BadInput, ProjectFileRejects, testing::ValuesIn(BadFiles()),
                         [](const testing::TestParamInfo<BadFile>& param) { return std::string(param.param.name); });

TEST(ProjectFileLimits, RefusesNestingThatWouldExhaustTheStack) {
  const std::string deep = kHead + "\"elements\": " + std::string(100000, '[') + std::string(100000, ']') + " }";
  std::string error;
  EXPECT_FALSE(fvhost::ParseProject(deep, "p.json", error).has_value());
  EXPECT_THAT(error, testing::HasSubstr("nests too deeply"));
}

TEST(ProjectFileLimits, NamesTheFileThatCannotBeOpened) {
  std::string error;
  EXPECT_FALSE(fvhost::LoadProjectFile("/nonexistent/project.json", error).has_value());
  EXPECT_EQ(error, "/nonexistent/project.json: cannot open the project file");
  EXPECT_FALSE(fvhost::LoadProjectFile("/tmp", error).has_value());
  EXPECT_EQ(error, "/tmp: is a folder, not a project file");
}

}  // namespace
