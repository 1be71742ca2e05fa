#include "ConfigImportDocument.hpp"

#include "Forvane/EntryTable.hpp"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/SAX2.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>

#include <string>
#include <memory>

namespace fvhost {
const std::string& EmbeddedSchemaText();  // generated from the schema file at build time
}

namespace fvhost::config {
namespace {

#if LIBXML_VERSION >= 21200
using ErrorRecord = const xmlError*;
#else
using ErrorRecord = xmlErrorPtr;
#endif

// The first error libxml2 reports, with its line; later ones mostly follow from it.
struct FirstError {
  bool any = false;
  long line = 0;
  std::string text;
};

void KeepFirstError(void* data, ErrorRecord error) {
  auto* first = static_cast<FirstError*>(data);
  if (first->any || error == nullptr || error->level == XML_ERR_WARNING) return;
  first->any = true;
  first->line = error->line > 0 ? error->line : 1;  // an error before the first line (a bad encoding) is placed at the start
  first->text = error->message ? error->message : "unknown error";
  while (!first->text.empty() && (first->text.back() == '\n' || first->text.back() == ' ')) first->text.pop_back();
}

// Nothing of a configuration may come from outside its text: no DTD, no
// external entity, no schema import, no network.
xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

// Installs our error sink and entity loader for one import and puts back
// whatever the process had before, so the host's other libxml2 users are untouched.
class LibxmlGuard {
 public:
  explicit LibxmlGuard(FirstError& sink)
      : previousLoader_(xmlGetExternalEntityLoader()),
        previousHandler_(xmlStructuredError),
        previousContext_(xmlStructuredErrorContext) {
    xmlSetExternalEntityLoader(RefuseExternalEntity);
    xmlSetStructuredErrorFunc(&sink, KeepFirstError);
  }
  ~LibxmlGuard() {
    xmlSetStructuredErrorFunc(previousContext_, previousHandler_);
    xmlSetExternalEntityLoader(previousLoader_);
  }
  LibxmlGuard(const LibxmlGuard&) = delete;
  LibxmlGuard& operator=(const LibxmlGuard&) = delete;

 private:
  xmlExternalEntityLoader previousLoader_;
  xmlStructuredErrorFunc previousHandler_;
  void* previousContext_;
};

// Deep enough for any classification tree, shallow enough for every reader of
// the tree, the host's own included, which walks items recursively.
constexpr int maxElementDepth = 256;

struct ParseState {
  long doctypeLine = 0;
  int depth = 0;
  long tooDeepLine = 0;
};

ParseState& StateOf(void* context) {
  return *static_cast<ParseState*>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

// The library bounds nesting only without XML_PARSE_HUGE, so the host counts it itself.
void StartCountedElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri,
                         int namespaceCount, const xmlChar** namespaces, int attributeCount, int defaultedCount,
                         const xmlChar** attributes) {
  ParseState& state = StateOf(context);
  if (++state.depth > maxElementDepth) {
    state.tooDeepLine = xmlSAX2GetLineNumber(context);
    xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
    return;
  }
  xmlSAX2StartElementNs(context, localName, prefix, uri, namespaceCount, namespaces, attributeCount, defaultedCount,
                        attributes);
}

void EndCountedElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri) {
  --StateOf(context).depth;
  xmlSAX2EndElementNs(context, localName, prefix, uri);
}

// Called as soon as "<!DOCTYPE ..." has been read and before its internal
// subset: stopping here means no entity declaration is ever parsed, so
// neither external entities nor expansion bombs can act.
void RefuseDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  static_cast<ParseState*>(parser->_private)->doctypeLine = xmlSAX2GetLineNumber(context);
  xmlStopParser(parser);
}

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

struct ParserFree {
  void operator()(xmlParserCtxt* parser) const { xmlFreeParserCtxt(parser); }
};

bool IsBlank(std::string_view text) {
  for (const char c : text)
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return false;
  return true;
}

HostError Parse(std::string_view xml, DocPtr& out, Fault& fault) {
  // The host's own bound, not the XML library's: its lookup limits differ from
  // one release to the next, and a user is owed one documented size.
  if (xml.size() > FvMaxConfigurationBytes) {
    fault = AtLine(1, "the configuration is larger than 64 MiB (" + std::to_string(xml.size()) +
                            " bytes; the host imports at most " + std::to_string(FvMaxConfigurationBytes) + ")");
    return FvErr_BadXml;
  }
  if (IsBlank(xml)) {
    fault = AtLine(1, "the configuration is empty (expected an XML document)");
    return FvErr_BadXml;
  }
  FirstError error;
  LibxmlGuard guard(error);
  std::unique_ptr<xmlParserCtxt, ParserFree> parser(xmlCreateMemoryParserCtxt(xml.data(), static_cast<int>(xml.size())));
  if (!parser) {
    fault = AtLine(1, "the configuration cannot be read");
    return FvErr_BadXml;
  }
  // No XML_PARSE_NOENT and no XML_PARSE_DTDLOAD: entities are never
  // substituted and no DTD is ever fetched. XML_PARSE_HUGE lifts the
  // library's own size limits, so that the host's bound above is the one that
  // holds; with DOCTYPEs refused there is no entity to expand, and nesting is
  // counted below.
  xmlCtxtUseOptions(parser.get(), XML_PARSE_NONET | XML_PARSE_BIG_LINES | XML_PARSE_HUGE);
  ParseState state;
  parser->_private = &state;
  parser->sax->internalSubset = RefuseDoctype;
  parser->sax->externalSubset = nullptr;
  parser->sax->startElementNs = StartCountedElement;
  parser->sax->endElementNs = EndCountedElement;
  xmlParseDocument(parser.get());
  DocPtr doc(parser->myDoc);
  parser->myDoc = nullptr;
  if (state.doctypeLine > 0 || (doc && (doc->intSubset || doc->extSubset))) {
    fault = AtLine(state.doctypeLine > 0 ? state.doctypeLine : 1,
                     "a DOCTYPE is not allowed in a configuration (DTDs and entities are refused)");
    return FvErr_NotOnSchema;
  }
  if (state.tooDeepLine > 0) {
    fault = AtLine(state.tooDeepLine, "elements nested more than " + std::to_string(maxElementDepth) + " deep");
    return FvErr_BadXml;
  }
  if (!parser->wellFormed || !doc) {
    fault = AtLine(error.any ? error.line : 1, error.any ? error.text : "the configuration is not well-formed XML");
    return FvErr_BadXml;
  }
  out = std::move(doc);
  return FvErr_NoError;
}

struct SchemaFree {
  void operator()(xmlSchema* schema) const { xmlSchemaFree(schema); }
};

// Compiled once, on first use, from the text built into the library.
xmlSchemaPtr Schema(std::string& why) {
  static std::unique_ptr<xmlSchema, SchemaFree> compiled;
  static std::string failure;
  if (compiled || !failure.empty()) {
    why = failure;
    return compiled.get();
  }
  FirstError error;
  LibxmlGuard guard(error);
  const std::string& text = EmbeddedSchemaText();
  xmlSchemaParserCtxtPtr parser = xmlSchemaNewMemParserCtxt(text.data(), static_cast<int>(text.size()));
  if (parser) {
    xmlSchemaSetParserStructuredErrors(parser, KeepFirstError, &error);
    compiled.reset(xmlSchemaParse(parser));
    xmlSchemaFreeParserCtxt(parser);
  }
  if (!compiled) failure = "the host's configuration schema does not compile: " + (error.any ? error.text : "no schema");
  why = failure;
  return compiled.get();
}

HostError Validate(xmlDoc* doc, Fault& fault) {
  std::string why;
  xmlSchemaPtr schema = Schema(why);
  if (!schema) {
    fault = Fault{why, {}};
    return FvErr_General;
  }
  FirstError error;
  LibxmlGuard guard(error);
  xmlSchemaValidCtxtPtr validator = xmlSchemaNewValidCtxt(schema);
  if (!validator) {
    fault = Fault{"the configuration cannot be checked (out of memory)", {}};
    return FvErr_General;
  }
  xmlSchemaSetValidStructuredErrors(validator, KeepFirstError, &error);
  const int result = xmlSchemaValidateDoc(validator, doc);
  xmlSchemaFreeValidCtxt(validator);
  if (result == 0) return FvErr_NoError;
  fault = AtLine(error.any ? error.line : 1, error.any ? error.text : "the configuration does not follow the schema");
  return FvErr_NotOnSchema;
}

// Reading the checked tree. The schema has made sure of names, order and
// required attributes, so these readers only collect.

bool Named(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, BAD_CAST name);
}

std::vector<const xmlNode*> Children(const xmlNode* node, const char* name) {
  std::vector<const xmlNode*> out;
  for (const xmlNode* child = node->children; child; child = child->next)
    if (Named(child, name)) out.push_back(child);
  return out;
}

const xmlNode* Child(const xmlNode* node, const char* name) {
  const auto all = Children(node, name);
  return all.empty() ? nullptr : all.front();
}

bool Attribute(const xmlNode* node, const char* name, std::string& out) {
  xmlChar* value = xmlGetNoNsProp(node, BAD_CAST name);
  if (!value) return false;
  out = reinterpret_cast<const char*>(value);
  xmlFree(value);
  return true;
}

std::string Attribute(const xmlNode* node, const char* name) {
  std::string out;
  Attribute(node, name, out);
  return out;
}

long LineOf(const xmlNode* node) { return xmlGetLineNo(node); }

Text ContentOf(const xmlNode* node) {
  Text t;
  t.line = LineOf(node);
  xmlChar* content = xmlNodeGetContent(node);
  if (content) {
    t.text = reinterpret_cast<const char*>(content);
    xmlFree(content);
  }
  return t;
}

std::int32_t Code(const std::string& word, std::initializer_list<const char*> words) {
  std::int32_t code = 1;
  for (const char* w : words) {
    if (word == w) return code;
    ++code;
  }
  return 0;  // the schema has refused every other word
}

Item ReadItem(const xmlNode* node) {
  Item item;
  item.id = Attribute(node, "id");
  item.name = Attribute(node, "name");
  item.line = LineOf(node);
  for (const xmlNode* child : Children(node, "Item")) item.children.push_back(ReadItem(child));
  return item;
}

System ReadSystem(const xmlNode* node) {
  System system;
  system.name = Attribute(node, "name");
  system.hasVersion = Attribute(node, "version", system.version);
  system.line = LineOf(node);
  for (const xmlNode* child : Children(node, "Item")) system.items.push_back(ReadItem(child));
  return system;
}

Definition ReadDefinition(const xmlNode* node) {
  Definition d;
  d.name = Attribute(node, "name");
  d.hasDescription = Attribute(node, "description", d.description);
  d.valueType = Code(Attribute(node, "valueType"), {"Integer", "Double", "String", "Boolean"});
  d.collectionType = Code(Attribute(node, "collectionType"),
                          {"SingleValue", "ListValue", "SingleValueFromCollection", "MultipleValuesFromCollection"});
  std::string measure = "Default";
  Attribute(node, "measureType", measure);
  d.measureType = Code(measure, {"Default", "Length", "Area", "Volume", "Angle"});
  d.line = LineOf(node);
  for (const xmlNode* option : Children(node, "Option")) d.options.push_back(ContentOf(option));
  if (const xmlNode* value = Child(node, "DefaultValue")) {
    d.hasDefault = true;
    d.defaultValue = ContentOf(value);
  }
  for (const xmlNode* e : Children(node, "Expression")) d.expressions.push_back(ContentOf(e));
  for (const xmlNode* a : Children(node, "AvailableFor")) d.availableFor.push_back({Attribute(a, "item"), LineOf(a)});
  return d;
}

Group ReadGroup(const xmlNode* node) {
  Group g;
  g.name = Attribute(node, "name");
  g.hasDescription = Attribute(node, "description", g.description);
  g.line = LineOf(node);
  for (const xmlNode* d : Children(node, "PropertyDefinition")) g.definitions.push_back(ReadDefinition(d));
  return g;
}

Document ReadTree(const xmlDoc* doc) {
  Document out;
  const xmlNode* root = xmlDocGetRootElement(doc);
  if (const xmlNode* systems = Child(root, "ClassificationSystems"))
    for (const xmlNode* s : Children(systems, "ClassificationSystem")) out.systems.push_back(ReadSystem(s));
  if (const xmlNode* groups = Child(root, "PropertyGroups"))
    for (const xmlNode* g : Children(groups, "PropertyGroup")) out.groups.push_back(ReadGroup(g));
  return out;
}

}  // namespace

Fault AtLine(long line, std::string what) { return Fault{std::move(what), Place{{}, line, 0}}; }

HostError ReadDocument(std::string_view xml, Document& out, Fault& fault) {
  DocPtr doc;
  if (const HostError e = Parse(xml, doc, fault); e != FvErr_NoError) return e;
  if (const HostError e = Validate(doc.get(), fault); e != FvErr_NoError) return e;
  out = ReadTree(doc.get());
  return FvErr_NoError;
}

}  // namespace fvhost::config
