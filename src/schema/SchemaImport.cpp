// Step 4's body: the user picks an IFC+SG configuration file, and the host's
// own importers read it, classifications first, then properties. The plug-in
// never parses the file; it hands over the whole text.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "Corbane/Memory.hpp"
#include "Forvane/EntryTable.hpp"
#include "Nostrel/Nostrel.hpp"
#include "host/HostApi.hpp"
#include "host/Report.hpp"
#include "run/Config.hpp"
#include "run/RunStatus.hpp"

namespace quarnel {

namespace {

// The text is held in the host's memory manager like every other block of the plug-in.
using NarrowText = std::basic_string<char, std::char_traits<char>, Corbane::Allocator<char>>;

constexpr Corbane::Int32 ClassificationMergeMode = 1;
constexpr Corbane::Int32 ClassificationConflictMode = 0;
constexpr Corbane::Int32 PropertyImportMode = 0;

// What the step answers for a file it does not hand to the host: the
// undoable command fails, so the run ends with the failure alert and the
// restores do not run onto definitions that were never imported.
constexpr HostError FileRefused = FvErr_General;

const char* KindOfSpecialFile(mode_t mode) noexcept {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

// The configuration's encoding, from its byte-order mark, when it is one the
// host's importers cannot take.
const char* WideEncoding(const NarrowText& text) noexcept {
  const auto starts = [&text](const char* mark, std::size_t length) {
    return text.size() >= length && std::memcmp(text.data(), mark, length) == 0;
  };
  if (starts("\xFF\xFE\0\0", 4) || starts("\0\0\xFE\xFF", 4)) return "UTF-32";
  if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2)) return "UTF-16";
  return nullptr;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const noexcept { return fd_; }

 private:
  int fd_;
};

// Reads the chosen file whole, or reports why it is not handed to the host.
// Only a regular file is read, and exactly as many bytes as it holds: opening
// without blocking keeps a FIFO from holding the run, and the size bounds
// what a device or a link to one could pour in.
bool ReadConfigurationFile(const Nostrel::Location& location, NarrowText& text) {
  const Corbane::UniString pathText = location.ToDisplayText();
  const Corbane::CStr path = pathText.ToCStr();
  const auto refuse = [&pathText](const char* why, const Corbane::UniString& detail) {
    Report(FileRefused, "Import Properties and Classifications: the file ", Name(pathText), why, Name(detail));
    return false;
  };
  const auto systemReason = [](int error) { return Corbane::UniString(std::strerror(error)); };

  const FileDescriptor file(::open(path.Get(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) return refuse(" cannot be read: ", systemReason(errno));
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return refuse(" cannot be read: ", systemReason(errno));
  if (!S_ISREG(info.st_mode))
    return refuse(" is not a regular file but ", Corbane::UniString(KindOfSpecialFile(info.st_mode)));
  const auto size = static_cast<unsigned long long>(info.st_size);
  if (size > FvMaxConfigurationBytes) {
    char sizes[80];
    std::snprintf(sizes, sizeof sizes, "%llu bytes, at most %llu", size,
                  static_cast<unsigned long long>(FvMaxConfigurationBytes));
    return refuse(" is larger than the host imports: ", Corbane::UniString(sizes));
  }

  text.resize(static_cast<std::size_t>(size));
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t n = ::read(file.get(), text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return refuse(" cannot be read: ", systemReason(errno));
    if (n == 0) return refuse(" cannot be read: ", Corbane::UniString("it became shorter while it was read"));
    got += static_cast<std::size_t>(n);
  }
  if (const char* encoding = WideEncoding(text)) {
    Report(FileRefused, "Import Properties and Classifications: the file ", Name(pathText), " is ", encoding,
           " (it begins with a byte-order mark); the host reads configurations in UTF-8");
    return false;
  }
  return true;
}

}  // namespace

HostError Config::importSchemaFile() {
  const Nostrel::FileType configFile("IFC+SG Config file", "xml", 0, 0, 0, nullptr, nullptr, true);
  importPropertiesAndClassificationsStatus = Outcome::Failed;
  Nostrel::Location chosen;
  // No file chosen: the command ends without an error and changes nothing,
  // and the step has failed.
  if (!host::ChooseFileToOpen(Corbane::UniString("Select IFC+SG Classifications and Properties XML File"),
                              "IFC+SG Config File", configFile, chosen))
    return FvErr_NoError;

  NarrowText text;
  if (!ReadConfigurationFile(chosen, text)) return FileRefused;

  // The text reaches the host as a zero-terminated string: a zero byte ends it.
  const HostError classificationError = host::ImportClassifications(
      Corbane::UniString(text.c_str()), ClassificationMergeMode, ClassificationConflictMode);
  if (classificationError != FvErr_NoError) {
    Report(classificationError, "Import Classifications: Failed with Error Code: %d");
    importPropertiesAndClassificationsStatus = Outcome::ClassificationsFailed;
    return classificationError;
  }
  const HostError propertyError = host::ImportProperties(Corbane::UniString(text.c_str()), PropertyImportMode);
  if (propertyError != FvErr_NoError) {
    Report(propertyError, "Import Properties: Failed with Error Code: %d");
    importPropertiesAndClassificationsStatus = Outcome::PropertiesFailed;
    return propertyError;
  }
  importPropertiesAndClassificationsStatus = Outcome::Done;
  return FvErr_NoError;
}

}  // namespace quarnel
