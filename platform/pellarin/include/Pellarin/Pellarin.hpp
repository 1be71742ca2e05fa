// Pellarin: dialog library. Dialogs are answered by the host's responder.
#pragma once

#include "Corbane/Corbane.hpp"
#include "Nostrel/Nostrel.hpp"

namespace Pellarin {

using Corbane::Int16;
using Corbane::Int32;
using Corbane::UniString;

struct FileFilter {
  UniString description;
  UniString extension;
};

// What the host installs to answer dialogs (a script, or a person at a terminal).
class Responder {
 public:
  virtual ~Responder() = default;
  // Asks for a file for a dialog of `kind` (FileDialog::Kind). Returns false
  // for Cancel. `filters` may be empty (any file).
  virtual bool ChooseFile(Int32 kind, const UniString& title, const Corbane::Array<FileFilter>& filters,
                          Nostrel::Location& chosen) = 0;
  // Shows an alert; returns the button pressed (1, 2 or 3).
  virtual Int16 ShowAlert(Int16 kind, const UniString& title, const UniString& message, const UniString& second,
                          const UniString& button1, const UniString& button2, const UniString& button3) = 0;
};
// Null: dialogs are cancelled and alerts answered with button 1.
void SetResponder(Responder* responder) noexcept;
Responder* GetResponder() noexcept;

class FileDialog {
 public:
  enum Kind : Int32 { OpenFile = 0, OpenMultiFile = 1, Save = 2, OpenFolder = 3 };
  explicit FileDialog(Int32 kind);
  void SetTitle(const UniString& title) { title_ = title; }
  // Adds a file type of a FileTypeManager as a filter. Extension option 0: the
  // file must carry the type's extension.
  void AddFilter(Nostrel::FileTypeId type, Int32 extensionOption = 0);
  // Asks the responder. True when a file was chosen that exists and matches one
  // of the filters; a chosen file that does not is refused (false). A dialog
  // of a kind that is none of the four is never shown (false).
  bool Invoke();
  const Nostrel::Location& GetSelectedLocation() const noexcept { return selected_; }

 private:
  Int32 kind_;
  UniString title_;
  Corbane::Array<Nostrel::FileTypeId> filters_;
  Nostrel::Location selected_;
};

// A modal alert. Kinds: -1 error, -2 warning, -3 information (other values: plain).
Int16 PellarinAlert(Int16 kind, const UniString& title, const UniString& message, const UniString& second,
                    const UniString& button1, const UniString& button2, const UniString& button3);
// The word an alert of `kind` is shown under: "Error", "Warning", "Information", or "Alert".
const char* AlertKindName(Int16 kind) noexcept;

}  // namespace Pellarin
