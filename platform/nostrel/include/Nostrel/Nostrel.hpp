// Nostrel: file library. Locations (paths), files, file types.
#pragma once

#include "Corbane/Corbane.hpp"

namespace Nostrel {

using Corbane::Int32;
using Corbane::UniString;
using ErrorCode = Int32;  // 0: done
inline constexpr ErrorCode NoError = 0;
inline constexpr ErrorCode ErrNotFound = 0x81070001;
inline constexpr ErrorCode ErrAccessDenied = 0x81070002;
inline constexpr ErrorCode ErrBadLocation = 0x81070003;
inline constexpr ErrorCode ErrIO = 0x81070004;

// One name (or several joined by '/') to append to a location.
class RelativeLocation {
 public:
  RelativeLocation() = default;
  explicit RelativeLocation(const UniString& path) : path_(path) {}
  const UniString& GetPath() const noexcept { return path_; }

 private:
  UniString path_;
};

// A place in the file system: an absolute path, or empty.
class Location {
 public:
  Location() = default;
  explicit Location(const UniString& path) : path_(path) {}
  bool IsEmpty() const noexcept { return path_.IsEmpty(); }
  // Appends the relative location as names below this one. An empty location
  // or an absolute relative path is refused with ErrBadLocation.
  ErrorCode AppendToLocal(const RelativeLocation& relative);
  // The path as a person reads it (and as narrow file calls take it).
  UniString ToDisplayText() const { return path_; }
  UniString GetLastLocalName() const;
  friend bool operator==(const Location& a, const Location& b) noexcept { return a.path_ == b.path_; }

 private:
  UniString path_;
};

// A file at a location. The not-found option says what to do when it does not exist.
class File {
 public:
  enum OnNotFound : Int32 { Fail = 0, Create = 1 };
  File(const Location& location, Int32 onNotFound);
  ErrorCode GetStatus() const noexcept { return status_; }  // NoError, or why it is not usable
  const Location& GetLocation() const noexcept { return location_; }

 private:
  Location location_;
  ErrorCode status_ = NoError;
};

class FileSystem {
 public:
  // Data-safety modes and the treatment of a denied access (2: report it).
  enum DataSafety : Int32 { Fast = 0, Safe = 1 };
  enum AccessDenied : Int32 { Ignore = 0, Fail = 1, Report = 2 };
  // Deletes the file at the location. ErrNotFound when there is none.
  static ErrorCode Delete(const Location& location, Int32 dataSafety = Fast, Int32 accessDenied = Report);
  static bool Exists(const Location& location);
};

// File types: a description, an extension and codes, kept by a manager.
using FileTypeId = Int32;  // 0: none
class FileType {
 public:
  using DetectProc = bool (*)(const Location&);
  FileType(const char* description, const char* extension, Int32 typeCode, Int32 creatorCode, Int32 iconId,
           DetectProc detect = nullptr, const char* mimeType = nullptr, bool isFinal = true);
  const UniString& GetDescription() const noexcept { return description_; }
  const UniString& GetExtension() const noexcept { return extension_; }  // without the dot
  Int32 GetTypeCode() const noexcept { return typeCode_; }
  Int32 GetCreatorCode() const noexcept { return creatorCode_; }
  // True when the location's last name ends with "." + the extension (letter case ignored).
  bool Matches(const Location& location) const;

 private:
  UniString description_;
  UniString extension_;
  UniString mimeType_;
  Int32 typeCode_;
  Int32 creatorCode_;
  Int32 iconId_;
  DetectProc detect_;
  bool isFinal_;
};

// A group of file types under a manager; RootGroup() is the top.
struct FileTypeGroup {
  Int32 id = 0;
};
FileTypeGroup RootGroup();

class FileTypeManager {
 public:
  explicit FileTypeManager(const char* name);
  ~FileTypeManager();
  FileTypeManager(const FileTypeManager&) = delete;
  FileTypeManager& operator=(const FileTypeManager&) = delete;
  // Adds the type; returns its id (unique in the process, never 0). This file
  // system carries no type or creator codes, so a type with either code not
  // 0 could never match a file: it is not added, and the answer is 0.
  FileTypeId AddType(const FileType& type, FileTypeGroup group = RootGroup());
  const UniString& GetName() const noexcept { return name_; }
  // Any manager's type by id; null when no live manager has it.
  static const FileType* FindType(FileTypeId id);

 private:
  UniString name_;
  Corbane::Array<FileTypeId> ids_;
};

}  // namespace Nostrel
