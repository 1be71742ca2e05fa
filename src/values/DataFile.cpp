#include "values/DataFile.hpp"

#include <algorithm>

#include "values/ByteSet.hpp"

namespace quarnel {

Nostrel::Location dataFileLocation;

Corbane::CStr PathText(const Nostrel::Location& location) { return Narrow(location.ToDisplayText()); }

void AppendCsvField(Bytes& record, std::string_view field, bool quote) {
  static constexpr ByteSet quoted(",\"\r\n");
  if (!quote && std::none_of(field.begin(), field.end(), [](char byte) { return quoted.Holds(byte); })) {
    record.append(field);
    return;
  }
  record.push_back('"');
  for (char c : field) {
    if (c == '"') record.push_back('"');
    record.push_back(c);
  }
  record.push_back('"');
}

void SetDefinitionFields(Bytes& out, std::string_view groupName, std::string_view propertyName,
                         std::string_view valueTypeWord, std::string_view measureWord, std::string_view collectionWord) {
  out.clear();
  AppendCsvField(out, groupName);
  for (const std::string_view field : {propertyName, valueTypeWord, measureWord, collectionWord}) {
    out.push_back(',');
    AppendCsvField(out, field);
  }
}

void AppendNestedItem(Bytes& record, std::string_view item) {
  // The record's first item follows nothing; every later one a comma. An
  // empty first item is written "" and so never looks like no item.
  if (!record.empty()) record.push_back(',');
  AppendCsvField(record, item, item.empty());
}

bool SplitNestedRecord(std::string_view record, Array<Bytes>& items, Corbane::UIndex& count) {
  count = 0;
  if (record.empty()) return true;
  for (std::size_t at = 0;;) {
    if (count == items.GetSize()) items.PushNew();
    Bytes& item = items[count++];
    item.clear();
    if (at < record.size() && record[at] == '"') {
      for (++at;; ++at) {
        if (at >= record.size()) return false;
        if (record[at] == '"') {
          if (at + 1 < record.size() && record[at + 1] == '"') {
            ++at;
          } else {
            ++at;
            break;
          }
        }
        item.push_back(record[at]);
      }
    }
    const std::size_t comma = std::min(record.find(',', at), record.size());
    item.append(record.substr(at, comma - at));  // text after a closing quote is kept, as in the file
    if (comma == record.size()) return true;
    at = comma + 1;
  }
}

}  // namespace quarnel
