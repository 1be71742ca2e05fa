# cmake -DINPUT=file -DOUTPUT=file.cpp -P EmbedText.cmake
# Writes a C++ source that defines fvhost::EmbeddedSchemaText() returning the file's text.
file(READ ${INPUT} text HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${text}")
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; do not edit.\n#include <string>\nnamespace fvhost {\nstatic const unsigned char kText[] = {${bytes} 0x00};\nconst std::string& EmbeddedSchemaText() {\n  static const std::string text(reinterpret_cast<const char*>(kText), sizeof(kText) - 1);\n  return text;\n}\n}  // namespace fvhost\n")
