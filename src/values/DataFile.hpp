// The property-value data file: the plug-in's own scratch file that carries
// the values elements hold for their IFC properties across the deletion and
// re-import of the IFC property groups, within one run. Here: where it lives,
// and the text form of its records and fields, which the writer
// (DataFileWriter.hpp) puts down and the reader (DataFileReader.hpp) takes.
//
// One record per element property, seven fields: element guid text, group
// name, property name, value type word, measure word, collection word, value
// (the words: RecordWords.hpp).
// Records are CSV: a field that holds a comma, a double quote, a CR or an LF
// is put in double quotes with each inner quote doubled, so that any name or
// text travels unchanged; a record ends with one LF. All records of an element
// are consecutive. No header, no blank records; an empty file is valid.
//
// The value field carries the value as the host stores it: an integer in
// decimal, a real as the shortest text that reads back to the same double (in
// the stored unit, whatever the measure word says), a boolean as True or
// False, a text as it is, a choice as its option's shown value. The items of
// a list or a multiple choice form a record of their own, nested in the field.
// Three forms tell the value's status: an unquoted empty field is a value the
// user cleared, the bare word Undefined a value left undefined, and anything
// else, quoted or not, a value; so an empty text, an empty list and a text
// that reads Undefined are written in quotes.
#pragma once

#include <cstddef>
#include <string_view>

#include "Corbane/Corbane.hpp"
#include "Nostrel/Nostrel.hpp"
#include "values/Narrow.hpp"

namespace quarnel {

using Corbane::Array;

// Where the data file lives. Set by the export on every run (special folder 4,
// then the file name); the import reads and deletes the file at the place the
// export of the same run set.
extern Nostrel::Location dataFileLocation;
inline constexpr const char* dataFileName = "IFC+SG_Properties.csv";

// The 8-bit path text of a location, as both sides open the file.
Corbane::CStr PathText(const Nostrel::Location& location);

inline constexpr Corbane::UIndex valueRowFieldCount = 7;

// The longest record, its line end not counted, that the writer writes and
// the reader takes: far beyond any value a person sets, and short enough that
// a file that never ends a record cannot exhaust the host's memory.
inline constexpr std::size_t maxRecordBytes = 8u << 20;

// Appends one field in its CSV form: in double quotes, inner quotes doubled,
// when it holds a comma, a double quote, a CR or an LF, or when `quote` asks
// for it. All four are ASCII, so quoting the 8-bit form is quoting the text.
void AppendCsvField(Bytes& record, std::string_view field, bool quote = false);

// The five fields that a record's definition gives it, in their CSV form and
// joined by commas: group name, property name, value type word, measure word,
// collection word. The same for every record of the definition, so the export
// makes them once.
void SetDefinitionFields(Bytes& out, std::string_view groupName, std::string_view propertyName,
                         std::string_view valueTypeWord, std::string_view measureWord, std::string_view collectionWord);

// The items of a list or a multiple choice as one nested record: CSV fields
// joined by commas, an empty item always in quotes, so that no items at all
// (an empty record) and one empty item ("") stay apart.
void AppendNestedItem(Bytes& record, std::string_view item);
// Splits a nested record into its items, kept in `items` (whose storage is
// reused); false, with `count` undefined, when a quote is left open.
bool SplitNestedRecord(std::string_view record, Array<Bytes>& items, Corbane::UIndex& count);

}  // namespace quarnel
