// The transcript: one JSON object per host event, kept in memory and written as JSON Lines.
#include <cstdio>

#include "ForvaneHost/Host.hpp"
#include "HostInternal.hpp"

namespace fvhost {
namespace internal {

std::string JsonQuote(const std::string& text) {
  static const char hex[] = "0123456789abcdef";
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += hex[c >> 4];
          out += hex[c & 0x0F];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

}  // namespace internal

void Transcript::Open(const std::string& path) {
  if (file_) std::fclose(file_);
  file_ = std::fopen(path.c_str(), "w");
  if (!file_) std::fprintf(stderr, "forvane: cannot write the transcript %s\n", path.c_str());
}

void Transcript::Add(const std::string& jsonObject) {
  lines_.push_back(jsonObject);
  if (file_) {
    // Flushed per event, so that the transcript shows everything up to a crash.
    std::fprintf(file_, "%s\n", jsonObject.c_str());
    std::fflush(file_);
  }
}

Transcript::~Transcript() {
  if (file_) std::fclose(file_);
}

namespace internal {

JsonObject::JsonObject(const char* event) : text_("{\"event\":" + JsonQuote(event)) {}

void JsonObject::Key(const char* key) { text_ += "," + JsonQuote(key) + ":"; }

JsonObject& JsonObject::Text(const char* key, const std::string& value) {
  Key(key);
  text_ += JsonQuote(value);
  return *this;
}

JsonObject& JsonObject::Number(const char* key, long long value) {
  Key(key);
  text_ += std::to_string(value);
  return *this;
}

JsonObject& JsonObject::Flag(const char* key, bool value) {
  Key(key);
  text_ += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::Null(const char* key) {
  Key(key);
  text_ += "null";
  return *this;
}

JsonObject& JsonObject::Raw(const char* key, const std::string& json) {
  Key(key);
  text_ += json;
  return *this;
}

}  // namespace internal
}  // namespace fvhost
