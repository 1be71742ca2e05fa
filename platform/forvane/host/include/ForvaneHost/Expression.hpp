// Property expressions: numbers, quoted strings, references
// {Property:GROUP/NAME} to properties of the project, + - * /, parentheses and
// a few functions. Stored texts write the braces of a reference as ###.
#pragma once

#include <string>

#include "Forvane/Errors.hpp"
#include "ForvaneHost/Model.hpp"

namespace fvhost {

// 0 when the text parses and every reference names an existing property;
// FvErr_BadExpression otherwise, with `why` saying what is wrong.
HostError CheckExpression(const Project& project, const std::string& text, std::string* why = nullptr);
// The check form of a stored text: "###" read alternately as "{" and "}".
std::string ExpressionCheckForm(const std::string& stored);

}  // namespace fvhost
