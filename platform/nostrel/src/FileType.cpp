#include "Nostrel/Nostrel.hpp"

namespace Nostrel {

namespace {

Corbane::UniChar FoldCase(Corbane::UniChar c) { return c >= u'A' && c <= u'Z' ? static_cast<Corbane::UniChar>(c + 32) : c; }

bool EndsWithIgnoringCase(const UniString& text, const UniString& suffix) {
  if (suffix.GetLength() > text.GetLength()) return false;
  const Corbane::UIndex start = text.GetLength() - suffix.GetLength();
  for (Corbane::UIndex i = 0; i < suffix.GetLength(); ++i)
    if (FoldCase(text[start + i]) != FoldCase(suffix[i])) return false;
  return true;
}

}  // namespace

FileType::FileType(const char* description, const char* extension, Int32 typeCode, Int32 creatorCode, Int32 iconId,
                   DetectProc detect, const char* mimeType, bool isFinal)
    : description_(description),
      extension_(extension),
      mimeType_(mimeType),
      typeCode_(typeCode),
      creatorCode_(creatorCode),
      iconId_(iconId),
      detect_(detect),
      isFinal_(isFinal) {}

bool FileType::Matches(const Location& location) const {
  return EndsWithIgnoringCase(location.GetLastLocalName(), UniString(".") + extension_);
}

FileTypeGroup RootGroup() { return FileTypeGroup{}; }

}  // namespace Nostrel
