// The plug-in's way to the host: one function per operation of the host
// entry table, and the file dialog and the alert, which the host answers.
//
// The operation wrappers are made from the SDK's list of operations
// (FV_HOST_OPERATIONS): each reads its own slot of the kept host entry table,
// and a slot that the host left empty answers FvErr_MissingOperation
// (QueryAddOnEnvironment then answers 0, WriteReport does nothing), so no step
// ever calls through a null pointer. The connection token goes first to every
// operation except RegisterMenu. All run on the host's thread; the list marks
// the five that answer FvErr_NotInCommand outside an undoable command
// (DeletePropertyGroup, ChangePropertyDefinition, SetProperty,
// ImportClassifications, ImportProperties).
//
// Not through here: the value steps call the file library directly for the
// data file (Location and RelativeLocation for its path in the folder that
// GetSpecialFolder gives, a File at that place, FileSystem::Delete to remove
// it; they write and read it with the standard library's files); the base
// library (texts, containers, memory) and the resource library are used
// directly everywhere.
#pragma once

#include "Corbane/Corbane.hpp"
#include "Forvane/EntryTable.hpp"
#include "Nostrel/Nostrel.hpp"

namespace quarnel::host {

using Corbane::Array;
using Corbane::Int16;
using Corbane::Int32;
using Corbane::UniString;

// Copies the build's byte count of the host's table (644 addresses for host
// version 29, 648 for host version 27) into module storage.
void KeepEntryTable(const void* hostEntryTable) noexcept;
bool HasEntryTable() noexcept;
void SetToken(API_Token token) noexcept;
API_Token Token() noexcept;

// Runs body(context) as one undoable command named `name`.
HostError CallUndoableCommand(const UniString& name, UndoableCommandProc body, void* context);
// The same for any callable returning HostError; it is called exactly once.
// An exception never unwinds through the host: it fails the command, so the
// host rolls the step back.
template <class Body>
HostError CallUndoableCommand(const UniString& name, Body& body) {
  return CallUndoableCommand(
      name,
      [](void* context) -> HostError {
        try {
          return (*static_cast<Body*>(context))();
        } catch (...) {
          return FvErr_General;
        }
      },
      &body);
}

HostError ImportClassifications(const UniString& xml, Int32 mergeMode, Int32 conflictMode);
HostError ImportProperties(const UniString& xml, Int32 mode);
HostError GetPropertyGroups(Array<API_PropertyGroup>& groups);
HostError GetPropertyGroup(API_PropertyGroup& group);  // group.guid set; the rest filled in
HostError DeletePropertyGroup(const API_Guid& groupGuid);
HostError GetPropertyDefinitions(const API_Guid& groupGuid, Array<API_PropertyDefinition>& definitions);
HostError ChangePropertyDefinition(API_PropertyDefinition& definition);
HostError CheckPropertyExpressionString(const UniString& expression);
// Every element: an element type of two zeros and a null guid, filter flags 0, a null guid.
HostError GetElemList(Array<API_Guid>& elements);
HostError GetElementHeader(API_ElementHeader& header);  // header.guid set; mask 0
HostError GetElementPropertyDefinitions(const API_Guid& element, Array<API_PropertyDefinition>& definitions);
HostError GetPropertyValue(const API_Guid& element, const API_Guid& definition, ElementPropertyRecord& property);
HostError GetPropertyValueString(const ElementPropertyRecord& property, UniString& text);
HostError SetProperty(const API_Guid& element, const ElementPropertyRecord& property);
HostError GetSpecialFolder(Int32 folder, Nostrel::Location& location);
// One Session Report line: `format` with `value` as its one integer, no dialog.
// Use quarnel::Report (Report.hpp) to build lines that hold names.
void WriteReport(const UniString& format, HostError value);
HostError InstallMenuHandler(Int16 menuResourceId, MenuHandlerProc handler);
HostError RegisterMenu(Int16 menuResourceId, Int16 promptResourceId, Int32 position, Int32 flags);
Int32 QueryAddOnEnvironment(Int32 question);

// The dialog library's open-file dialog for one file type (kept in a type
// manager named `fileTypes`): true with `chosen` set, false for Cancel.
bool ChooseFileToOpen(const UniString& title, const char* fileTypes, const Nostrel::FileType& type,
                      Nostrel::Location& chosen);
// The dialog library's alert with one button.
void ShowAlert(Int16 kind, const UniString& title, const UniString& message, const UniString& button);

}  // namespace quarnel::host
