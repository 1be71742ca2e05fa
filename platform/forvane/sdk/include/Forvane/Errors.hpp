// Host error codes. Every host operation returns a HostError; 0 is success.
#pragma once

#include <cstdint>

using HostError = std::int32_t;

// Codes are kept in one place so that the host's documentation, its command
// line (--fail OP=NAME) and the plug-ins agree on them. New codes are added at
// the end of the list, never renumbered.
#define FV_HOST_ERRORS(X)                                                                  \
  X(NoError, 0x00000000, "success")                                                        \
  X(General, 0x81060001, "general failure, or an add-on entry called before it is ready") \
  X(BadId, 0x81060002, "a guid that is null, malformed or names nothing")                  \
  X(BadParameter, 0x81060003, "a parameter out of range or a null pointer")                \
  X(NoSuchGroup, 0x81060004, "no property group has that guid")                            \
  X(NoSuchDefinition, 0x81060005, "no property definition has that guid")                  \
  X(NoSuchElement, 0x81060006, "no element has that guid")                                 \
  X(ValueDoesNotFit, 0x81060007, "a value whose type or collection does not fit its definition") \
  X(NotAnOption, 0x81060008, "an option key that is not one of the definition's options") \
  X(BadExpression, 0x81060009, "an expression that does not parse or names an unknown property") \
  X(BadXml, 0x8106000A, "a configuration that is not well-formed XML, or is empty")       \
  X(NotOnSchema, 0x8106000B, "a configuration that does not follow the schema")           \
  X(NameTaken, 0x8106000C, "a name already used where names must be unique")              \
  X(NotInCommand, 0x8106000D, "a project change outside an undoable command")             \
  X(CommandRunning, 0x8106000E, "an undoable command started inside another")             \
  X(Cancelled, 0x8106000F, "cancelled by the user")                                        \
  X(NotAvailable, 0x81060010, "the property is not available for that element")           \
  X(ReadOnly, 0x81060011, "the definition or value cannot be changed")                    \
  X(BadToken, 0x81060012, "an unknown connection token")                                   \
  X(MissingOperation, 0x81060387, "the operation is missing from the host entry table")

enum FvError : HostError {
#define FV_ERROR_ENUM(name, value, text) FvErr_##name = static_cast<HostError>(value),
  FV_HOST_ERRORS(FV_ERROR_ENUM)
#undef FV_ERROR_ENUM
};
