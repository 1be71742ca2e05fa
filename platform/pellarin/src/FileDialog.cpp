#include <sys/stat.h>

#include "Pellarin/Pellarin.hpp"

namespace Pellarin {

namespace {

enum class Entry { Missing, File, Folder };

Entry Examine(const Nostrel::Location& location) {
  struct stat info {};
  if (location.IsEmpty() || ::stat(location.ToDisplayText().ToCStr().Get(), &info) != 0) return Entry::Missing;
  return S_ISDIR(info.st_mode) ? Entry::Folder : Entry::File;
}

bool MatchesAny(const Corbane::Array<Nostrel::FileTypeId>& filters, const Nostrel::Location& location) {
  if (filters.IsEmpty()) return true;
  for (const Nostrel::FileTypeId id : filters) {
    const Nostrel::FileType* type = Nostrel::FileTypeManager::FindType(id);
    if (type != nullptr && type->Matches(location)) return true;
  }
  return false;
}

// A name to save under needs a folder to go into; what is at the name now does not matter.
bool FolderExistsFor(const Nostrel::Location& location) {
  Corbane::UniString folder = location.ToDisplayText();
  const Corbane::UniString name = location.GetLastLocalName();
  if (name.IsEmpty()) return false;
  folder.Delete(folder.GetLength() - name.GetLength(), name.GetLength());
  return folder.IsEmpty() || Examine(Nostrel::Location(folder)) == Entry::Folder;
}

// Like the system's own dialogs: an open dialog answers only what exists and
// fits its filters, a folder dialog only a folder.
bool Accepts(Int32 kind, const Corbane::Array<Nostrel::FileTypeId>& filters, const Nostrel::Location& chosen) {
  switch (kind) {
    case FileDialog::OpenFolder: return Examine(chosen) == Entry::Folder;
    case FileDialog::Save: return FolderExistsFor(chosen) && Examine(chosen) != Entry::Folder && MatchesAny(filters, chosen);
    default: return Examine(chosen) == Entry::File && MatchesAny(filters, chosen);
  }
}

}  // namespace

FileDialog::FileDialog(Int32 kind) : kind_(kind) {}

// Only the must-carry-the-extension option exists, so the option is not kept.
void FileDialog::AddFilter(Nostrel::FileTypeId type, Int32 /*extensionOption*/) { filters_.Push(type); }

bool FileDialog::Invoke() {
  selected_ = Nostrel::Location();
  Responder* responder = GetResponder();
  if (responder == nullptr || kind_ < OpenFile || kind_ > OpenFolder) return false;

  Corbane::Array<FileFilter> shown;
  for (const Nostrel::FileTypeId id : filters_) {
    const Nostrel::FileType* type = Nostrel::FileTypeManager::FindType(id);
    if (type != nullptr) shown.Push(FileFilter{type->GetDescription(), type->GetExtension()});
  }
  // Filters whose types are all gone must not widen the dialog to any file.
  if (!filters_.IsEmpty() && shown.IsEmpty()) return false;

  Nostrel::Location chosen;
  try {
    if (!responder->ChooseFile(kind_, title_, shown, chosen)) return false;
  } catch (...) {
    return false;  // a failing responder is a cancelled dialog, never an exception in the caller
  }
  if (!Accepts(kind_, filters_, chosen)) return false;
  selected_ = chosen;
  return true;
}

}  // namespace Pellarin
