// The project loader on arbitrary text. A text that does not load gets one
// message that names the file and the place; a project that loads saves and
// loads back equal, and saving it again writes the very same text.
#include <cstdint>
#include <string>

#include "fuzz_check.hpp"
#include "ForvaneHost/ProjectFile.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto project = fvhost::ParseProject(text, "fuzz.json", error);
  if (!project) {
    FUZZ_CHECK(error.rfind("fuzz.json:", 0) == 0, "a project that does not load gets no message with its place");
    return 0;
  }
  const std::string saved = fvhost::ProjectToJson(*project);
  const auto reloaded = fvhost::ParseProject(saved, "saved.json", error);
  FUZZ_CHECK(reloaded.has_value(), "a saved project does not load");
  FUZZ_CHECK(*reloaded == *project, "a saved project loads back different");
  FUZZ_CHECK(fvhost::ProjectToJson(*reloaded) == saved, "saving a reloaded project writes other text");
  return 0;
}
