#include "platform/io/xml_document.h"

#include <pugixml.hpp>

#include <optional>
#include <utility>

#include "platform/io/text_file.h"
#include "platform/io/utf8.h"

namespace plat::io {

struct XmlTree {
  pugi::xml_document dom;
  bool active = false;
  // Counts the operations that removed elements, so that a handle taken
  // before one checks that its element is still in the tree.
  unsigned removals = 0;
};

namespace {

// Comments, processing instructions and the document type are kept so that
// saving a file does not drop them; whitespace between elements is kept so
// that an indented file is written back as it was (and saved raw, without
// pugixml adding indentation of its own on every save).
constexpr unsigned kParseFlags = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                                 pugi::parse_pi | pugi::parse_doctype | pugi::parse_ws_pcdata;
constexpr unsigned kFormatFlags = pugi::format_raw | pugi::format_no_declaration;

constexpr const char* kNewDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
constexpr const char* kDefaultIndent = "  ";

enum class Charset { Utf8, Utf16, Utf16LE, Utf16BE, Latin1, Cp1252, Ascii };

std::optional<Charset> CharsetByName(std::string_view name) {
  std::string key;
  for (char c : name) {
    if (c == '-' || c == '_' || c == ' ') continue;
    key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  }
  if (key == "utf8") return Charset::Utf8;
  if (key == "utf16" || key == "ucs2") return Charset::Utf16;
  if (key == "utf16le") return Charset::Utf16LE;
  if (key == "utf16be") return Charset::Utf16BE;
  if (key == "iso88591" || key == "latin1" || key == "l1" || key == "iso8859" || key == "isoir100") {
    return Charset::Latin1;
  }
  if (key == "windows1252" || key == "cp1252") return Charset::Cp1252;
  if (key == "usascii" || key == "ascii") return Charset::Ascii;
  return std::nullopt;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsBlankText(const char* s) {
  for (; *s; ++s) {
    if (!IsBlank(*s)) return false;
  }
  return true;
}

// The encoding named in an XML declaration at the start of `text`; empty
// when there is no declaration or it names none.
std::string DeclaredEncoding(std::string_view text, bool& hasDeclaration) {
  hasDeclaration = text.size() > 5 && text.starts_with("<?xml") && IsBlank(text[5]);
  if (!hasDeclaration) return {};
  std::string_view decl = text.substr(0, text.find("?>"));
  std::size_t pos = 0;
  for (;;) {
    std::size_t at = decl.find("encoding", pos);
    if (at == std::string_view::npos) return {};
    pos = at + 8;
    if (!IsBlank(decl[at - 1])) continue;
    while (pos < decl.size() && IsBlank(decl[pos])) ++pos;
    if (pos >= decl.size() || decl[pos] != '=') continue;
    ++pos;
    while (pos < decl.size() && IsBlank(decl[pos])) ++pos;
    if (pos >= decl.size() || (decl[pos] != '"' && decl[pos] != '\'')) return {};
    std::size_t end = decl.find(decl[pos], pos + 1);
    if (end == std::string_view::npos) return {};
    return std::string(decl.substr(pos + 1, end - pos - 1));
  }
}

class StringWriter : public pugi::xml_writer {
 public:
  void write(const void* data, std::size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
  std::string out;
};

// Top-level whitespace (line breaks between the declaration, comments and
// the root element) is not kept by pugixml; it is put back as text nodes of
// the document so that saving reproduces it. Also refuses text outside the
// root element, which pugixml skips silently.
void KeepTopLevelWhitespace(pugi::xml_document& doc, std::string_view buf) {
  std::vector<std::pair<pugi::xml_node, std::string>> gaps;
  bool first = true;
  for (pugi::xml_node n : doc.children()) {
    // The node begins at the '<' before its name (or value, for a comment).
    std::ptrdiff_t off = n.offset_debug();
    std::size_t start = off > 0 && static_cast<std::size_t>(off) <= buf.size()
                            ? buf.rfind('<', static_cast<std::size_t>(off) - 1)
                            : std::string_view::npos;
    const bool isFirst = first;
    first = false;
    if (start == std::string_view::npos) continue;  // position unknown: keep no gap
    std::size_t gap = start;
    while (gap > 0 && IsBlank(buf[gap - 1])) --gap;
    if (gap > 0 && (isFirst || buf[gap - 1] != '>')) throw XmlError("text outside the root element");
    if (gap < start) gaps.emplace_back(n, std::string(buf.substr(gap, start - gap)));
  }
  std::size_t end = buf.size();
  while (end > 0 && IsBlank(buf[end - 1])) --end;
  if (end > 0 && buf[end - 1] != '>') throw XmlError("text outside the root element");

  auto plain = [](std::string s) {
    std::erase(s, '\r');  // line breaks are written in the file's own style
    return s;
  };
  for (auto& [node, text] : gaps) doc.insert_child_before(pugi::node_pcdata, node).set_value(plain(text).c_str());
  if (end < buf.size()) doc.append_child(pugi::node_pcdata).set_value(plain(std::string(buf.substr(end))).c_str());
}

bool IsBlankNode(pugi::xml_node n) { return n.type() == pugi::node_pcdata && IsBlankText(n.value()); }

// The indentation of an element that sits on a line of its own; the root
// element counts as indented by nothing.
std::optional<std::string> LineIndent(pugi::xml_node el) {
  if (el.parent().type() == pugi::node_document) return std::string();
  pugi::xml_node prev = el.previous_sibling();
  if (!IsBlankNode(prev)) return std::nullopt;
  std::string_view ws = prev.value();
  std::size_t nl = ws.rfind('\n');
  if (nl == std::string_view::npos) return std::nullopt;
  return std::string(ws.substr(nl + 1));
}

// The document's own indentation step, from the first indented child of the root.
std::string IndentStep(pugi::xml_node anyNode) {
  pugi::xml_node root = anyNode.root().find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
  for (pugi::xml_node c : root.children()) {
    if (!IsBlankNode(c)) continue;
    std::string_view ws = c.value();
    std::size_t nl = ws.rfind('\n');
    if (nl != std::string_view::npos && nl + 1 < ws.size()) return std::string(ws.substr(nl + 1));
  }
  return kDefaultIndent;
}

// Appends an element as the last child element, following the layout of
// the parent: in an indented document the new element gets its own line,
// in a compact one (or in mixed text) it is appended as it is.
pugi::xml_node AppendElement(pugi::xml_node parent, const std::string& name) {
  bool hasElements = false;
  bool hasText = false;
  for (pugi::xml_node c : parent.children()) {
    if (c.type() == pugi::node_element) hasElements = true;
    if ((c.type() == pugi::node_pcdata && !IsBlankText(c.value())) || c.type() == pugi::node_cdata) hasText = true;
  }
  if (!hasText && hasElements && IsBlankNode(parent.last_child())) {
    pugi::xml_node closing = parent.last_child();
    pugi::xml_node lastElement = parent.last_child();
    while (lastElement.type() != pugi::node_element) lastElement = lastElement.previous_sibling();
    pugi::xml_node lead = lastElement.previous_sibling();
    std::string leadText = IsBlankNode(lead) ? lead.value() : closing.value();
    parent.insert_child_before(pugi::node_pcdata, closing).set_value(leadText.c_str());
    pugi::xml_node el = parent.insert_child_before(pugi::node_element, closing);
    el.set_name(name.c_str());
    return el;
  }
  bool onlyBlanks = true;
  for (pugi::xml_node c : parent.children()) onlyBlanks = onlyBlanks && IsBlankNode(c);
  if (onlyBlanks) {
    if (std::optional<std::string> indent = LineIndent(parent)) {
      parent.remove_children();
      std::string inner = "\n" + *indent + IndentStep(parent);
      std::string outer = "\n" + *indent;
      parent.append_child(pugi::node_pcdata).set_value(inner.c_str());
      pugi::xml_node el = parent.append_child(name.c_str());
      parent.append_child(pugi::node_pcdata).set_value(outer.c_str());
      return el;
    }
  }
  return parent.append_child(name.c_str());
}

// XML 1.0 allows tab, line feed, carriage return and the characters from
// U+0020 on, except the surrogates and U+FFFE, U+FFFF.
bool AllowedInXml(char32_t cp) {
  if (cp < 0x20) return cp == '\t' || cp == '\n' || cp == '\r';
  return cp != 0xFFFE && cp != 0xFFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

// UTF-8 text reduced to what a document can hold.
std::string XmlText(std::string_view text) {
  std::string valid = utf8::ReplaceInvalid(text);
  std::string out;
  out.reserve(valid.size());
  std::size_t pos = 0;
  while (pos < valid.size()) {
    std::size_t start = pos;
    if (AllowedInXml(utf8::Next(valid, pos))) out.append(valid, start, pos - start);
  }
  return out;
}

// Element and attribute names: ASCII letters, digits and "_:.-" (not
// leading with a digit, '.' or '-'), and any character beyond ASCII that
// XML allows; no blanks, no markup, no control characters.
void CheckName(std::string_view name, const char* what) {
  bool ok = !name.empty() && utf8::IsValid(name);
  std::size_t pos = 0;
  while (ok && pos < name.size()) {
    const bool first = pos == 0;
    char32_t cp = utf8::Next(name, pos);
    if (cp >= 0x80) {
      ok = AllowedInXml(cp);
    } else {
      const bool letter = (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z') || cp == '_' || cp == ':';
      const bool other = (cp >= '0' && cp <= '9') || cp == '.' || cp == '-';
      ok = letter || (!first && other);
    }
  }
  if (!ok) throw XmlError(std::string("invalid ") + what + " name \"" + XmlText(name) + "\"");
}

// The node after `n` in document order (its children first); null after
// the last one.
pugi::xml_node NextInTree(const pugi::xml_document& dom, pugi::xml_node n) {
  if (pugi::xml_node c = n.first_child()) return c;
  while (!n.next_sibling()) {
    n = n.parent();
    if (!n || n == dom) return pugi::xml_node();
  }
  return n.next_sibling();
}

// A loaded file may hold a character XML 1.0 forbids (raw, or as a
// character reference such as "&#1;" or "&#xD800;"); it is dropped from
// every value (malformed UTF-8 replaced), so that what is read is what a
// save writes and every reader accepts.
void DropForbiddenCharacters(pugi::xml_document& dom) {
  auto clean = [](const char* value, auto set) {
    std::string_view v = value;
    bool forbidden = false;
    // Only control characters and what lies beyond ASCII can be at fault
    // (U+FFFE, U+FFFF, and the malformed UTF-8 that a reference to a
    // surrogate or to a number beyond U+10FFFF decodes to).
    for (char c : v) {
      const auto b = static_cast<unsigned char>(c);
      forbidden = forbidden || (b < 0x20 && !IsBlank(c)) || b >= 0x80;
    }
    if (!forbidden) return;
    std::string kept = XmlText(v);
    if (kept != v) set(kept.c_str());
  };
  // A text left empty (also one that a "&#0;" reference cut short) would be
  // written as an empty element's separate end tag, which reads back as an
  // element without text: it goes, so that a saved document reads back as it is.
  std::vector<pugi::xml_node> empty;
  for (pugi::xml_node n = dom.first_child(); n; n = NextInTree(dom, n)) {
    clean(n.value(), [&](const char* t) { n.set_value(t); });
    if (n.type() == pugi::node_pcdata && *n.value() == '\0') empty.push_back(n);
    for (pugi::xml_attribute a : n.attributes()) clean(a.value(), [&](const char* t) { a.set_value(t); });
  }
  for (pugi::xml_node e : empty) e.parent().remove_child(e);
}

// Whether an element is still part of a tree.
bool Holds(const pugi::xml_document& dom, const void* node) {
  for (pugi::xml_node n = dom.first_child(); n; n = NextInTree(dom, n)) {
    if (n.internal_object() == node) return true;
  }
  return false;
}

bool Fits(char32_t cp, Charset cs) {
  switch (cs) {
    case Charset::Ascii:
      return cp < 0x80;
    case Charset::Latin1:
      return cp <= 0xFF;
    case Charset::Cp1252: {
      if (cp < 0x80) return true;
      std::string one;
      utf8::Append(one, cp);
      return utf8::FitsCp1252(one);
    }
    default:
      return true;
  }
}

// Turns pugixml's UTF-8 output into the text to be encoded: line breaks in
// the file's style, a character the charset cannot hold as a character
// reference where markup allows one (text and attribute values; CDATA is
// split around it) and '?' elsewhere (names, comments).
std::string PrepareForCharset(std::string_view s, Charset cs, bool crlf) {
  enum class Ctx { Text, Tag, Value, Comment, CData, Pi, Doctype };
  Ctx ctx = Ctx::Text;
  char quote = 0;
  int depth = 0;
  std::string out;
  out.reserve(s.size() + s.size() / 16);
  auto at = [&](std::size_t i, std::string_view what) { return s.substr(i).starts_with(what); };
  std::size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    switch (ctx) {
      case Ctx::Text:
        if (c == '<') {
          std::string_view open = "<";
          if (at(i, "<!--")) {
            ctx = Ctx::Comment;
            open = "<!--";
          } else if (at(i, "<![CDATA[")) {
            ctx = Ctx::CData;
            open = "<![CDATA[";
          } else if (at(i, "<?")) {
            ctx = Ctx::Pi;
            open = "<?";
          } else if (at(i, "<!")) {
            ctx = Ctx::Doctype;
            open = "<!";
            depth = 0;
          } else {
            ctx = Ctx::Tag;
          }
          out += open;
          i += open.size();
          continue;
        }
        break;
      case Ctx::Tag:
        if (c == '"' || c == '\'') {
          ctx = Ctx::Value;
          quote = c;
        }
        if (c == '>') ctx = Ctx::Text;
        break;
      case Ctx::Value:
        if (c == quote) ctx = Ctx::Tag;
        break;
      case Ctx::Comment:
      case Ctx::CData:
      case Ctx::Pi: {
        std::string_view close = ctx == Ctx::Comment ? "-->" : ctx == Ctx::CData ? "]]>" : "?>";
        if (at(i, close)) {
          out += close;
          i += close.size();
          ctx = Ctx::Text;
          continue;
        }
        break;
      }
      case Ctx::Doctype:
        if (c == '[') ++depth;
        if (c == ']') --depth;
        if (c == '>' && depth <= 0) ctx = Ctx::Text;
        break;
    }
    const bool refsAllowed = ctx == Ctx::Text || ctx == Ctx::Value;
    if (c == '\n') {
      out += crlf ? "\r\n" : "\n";
      ++i;
      continue;
    }
    if (c == '\r' && refsAllowed) {
      // A carriage return of the content itself; raw it would read back as a line break.
      out += "&#13;";
      ++i;
      continue;
    }
    std::size_t start = i;
    char32_t cp = utf8::Next(s, i);
    if (Fits(cp, cs)) {
      out.append(s.substr(start, i - start));
    } else if (refsAllowed) {
      out += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
    } else if (ctx == Ctx::CData) {
      out += "]]>&#" + std::to_string(static_cast<unsigned long>(cp)) + ";<![CDATA[";
    } else {
      out += '?';
    }
  }
  return out;
}

std::string EncodeBytes(std::string_view text, Charset cs, bool utf8Bom, bool bigEndian) {
  switch (cs) {
    case Charset::Utf8:
      return utf8Bom ? io::EncodeText(text, io::Encoding::Utf8Bom) : std::string(text);
    case Charset::Utf16:
      return io::EncodeText(text, bigEndian ? io::Encoding::Utf16BE : io::Encoding::Utf16LE);
    case Charset::Utf16LE:
      return io::EncodeText(text, io::Encoding::Utf16LE);
    case Charset::Utf16BE:
      return io::EncodeText(text, io::Encoding::Utf16BE);
    case Charset::Cp1252:
      return utf8::ToCp1252(text);
    case Charset::Latin1:
    case Charset::Ascii: {
      std::string out;
      out.reserve(text.size());
      std::size_t pos = 0;
      while (pos < text.size()) {
        char32_t cp = utf8::Next(text, pos);
        out += cp <= 0xFF ? static_cast<char>(cp) : '?';
      }
      return out;
    }
  }
  return std::string(text);
}

struct Decoded {
  std::string text;      // UTF-8
  std::string declared;  // as written, empty when none
  bool utf8Bom = false;
  bool bigEndian = false;
};

Decoded DecodeFileBytes(std::string_view bytes) {
  Decoded d;
  bool utf16 = false;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    d.utf8Bom = true;
    bytes.remove_prefix(3);
  } else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    utf16 = true;
    d.bigEndian = bytes[0] == '\xFE';
    d.text = io::DecodeText(bytes).text;
  } else if (bytes.starts_with(std::string_view("<\0?\0", 4)) || bytes.starts_with(std::string_view("\0<\0?", 4))) {
    // UTF-16 without a byte order mark, told by the "<?" it must begin with.
    utf16 = true;
    d.bigEndian = bytes[0] == '\0';
    d.text = io::DecodeText(std::string(d.bigEndian ? "\xFE\xFF" : "\xFF\xFE") + std::string(bytes)).text;
  }
  bool hasDeclaration = false;
  d.declared = DeclaredEncoding(utf16 ? std::string_view(d.text) : bytes, hasDeclaration);
  std::optional<Charset> cs = d.declared.empty() ? Charset::Utf8 : CharsetByName(d.declared);
  if (!cs) throw XmlError("unsupported encoding \"" + d.declared + "\"");
  if (utf16) return d;
  if (*cs == Charset::Utf8 || *cs == Charset::Utf16 || *cs == Charset::Utf16LE || *cs == Charset::Utf16BE) {
    // A file said to be UTF-8 that is not is read as the ANSI text it will
    // be; after a byte order mark it is UTF-8 with its faults replaced.
    if (d.utf8Bom) {
      d.text = utf8::ReplaceInvalid(bytes);
    } else {
      d.text = utf8::IsValid(bytes) ? std::string(bytes) : utf8::FromCp1252(bytes);
    }
  } else {
    // Files labelled ISO-8859-1 by Windows tools routinely hold Windows-1252
    // characters (the euro sign, typographic quotes); read them as such.
    d.text = utf8::FromCp1252(bytes);
  }
  return d;
}

}  // namespace

// ---- XmlNode ---------------------------------------------------------------

XmlNode::XmlNode(const std::shared_ptr<XmlTree>& tree, void* node)
    : tree_(tree), node_(node), removals_(tree->removals) {}

pugi::xml_node XmlNode::Raw() const {
  if (node_ == nullptr) throw XmlError("null XML node");
  std::shared_ptr<XmlTree> tree = tree_.lock();
  if (!tree) throw XmlError("XML node of a document that was cleared or loaded again");
  if (!tree->active) throw XmlError("document is not active");
  if (removals_ != tree->removals) {
    if (!Holds(tree->dom, node_)) throw XmlError("XML element was removed from its document");
    removals_ = tree->removals;
  }
  return pugi::xml_node(static_cast<pugi::xml_node_struct*>(node_));
}

bool XmlNode::IsNull() const { return node_ == nullptr; }

std::string XmlNode::Name() const { return Raw().name(); }

std::string XmlNode::Text() const {
  pugi::xml_node n = Raw();
  bool hasElements = false;
  for (pugi::xml_node c : n.children()) hasElements = hasElements || c.type() == pugi::node_element;
  std::string text;
  for (pugi::xml_node c : n.children()) {
    if (c.type() == pugi::node_cdata) text += c.value();
    // Between child elements blank text is the file's indentation, not content.
    if (c.type() == pugi::node_pcdata && !(hasElements && IsBlankText(c.value()))) text += c.value();
  }
  return text;
}

void XmlNode::SetText(std::string_view text) {
  const std::string value = XmlText(text);
  RemoveChildren();
  if (!value.empty()) Raw().append_child(pugi::node_pcdata).set_value(value.data(), value.size());
}

void XmlNode::RemoveChildren() {
  pugi::xml_node n = Raw();
  bool hasElements = false;
  for (pugi::xml_node c : n.children()) hasElements = hasElements || c.type() == pugi::node_element;
  if (hasElements) ++tree_.lock()->removals;
  n.remove_children();
}

XmlNode XmlNode::Child(std::string_view name) {
  XmlNode found = FindChild(name);
  if (!found.IsNull()) return found;
  return AddChild(name);
}

XmlNode XmlNode::FindChild(std::string_view name) const {
  pugi::xml_node n = Raw();
  for (pugi::xml_node c : n.children()) {
    if (c.type() == pugi::node_element && name == c.name()) return XmlNode(tree_.lock(), c.internal_object());
  }
  return XmlNode();
}

XmlNode XmlNode::AddChild(std::string_view name) {
  pugi::xml_node n = Raw();
  CheckName(name, "element");
  return XmlNode(tree_.lock(), AppendElement(n, std::string(name)).internal_object());
}

std::vector<XmlNode> XmlNode::ChildElements() const {
  std::vector<XmlNode> out;
  for (pugi::xml_node c : Raw().children()) {
    if (c.type() == pugi::node_element) out.push_back(XmlNode(tree_.lock(), c.internal_object()));
  }
  return out;
}

bool XmlNode::HasAttribute(std::string_view name) const {
  return static_cast<bool>(Raw().attribute(std::string(name).c_str()));
}

std::string XmlNode::Attribute(std::string_view name) const {
  pugi::xml_node n = Raw();
  pugi::xml_attribute a = n.attribute(std::string(name).c_str());
  if (!a) {
    throw XmlError("attribute \"" + std::string(name) + "\" missing on element <" + n.name() + ">");
  }
  return a.value();
}

void XmlNode::SetAttribute(std::string_view name, std::string_view value) {
  pugi::xml_node n = Raw();
  std::string key(name);
  pugi::xml_attribute a = n.attribute(key.c_str());
  if (!a) {
    CheckName(name, "attribute");
    a = n.append_attribute(key.c_str());
  }
  const std::string text = XmlText(value);
  a.set_value(text.data(), text.size());
}

// ---- XmlDocument -----------------------------------------------------------

XmlDocument::XmlDocument() : tree_(std::make_shared<XmlTree>()) {}
XmlDocument::~XmlDocument() = default;

bool XmlDocument::Active() const { return tree_->active; }

void XmlDocument::RequireActive() const {
  if (!tree_->active) throw XmlError("document is not active");
}

namespace {

// Parses UTF-8 text into `doc`; throws XmlError describing the fault.
void Parse(pugi::xml_document& doc, const std::string& text) {
  pugi::xml_parse_result r = doc.load_buffer(text.data(), text.size(), kParseFlags, pugi::encoding_utf8);
  if (!r) {
    throw XmlError(std::string(r.description()) + " at offset " + std::to_string(r.offset));
  }
  int roots = 0;
  for (pugi::xml_node n : doc.children()) roots += n.type() == pugi::node_element ? 1 : 0;
  if (roots != 1) throw XmlError("more than one root element");
  KeepTopLevelWhitespace(doc, text);
  DropForbiddenCharacters(doc);
}

bool UsesCrLf(std::string_view text) {
  std::size_t nl = text.find('\n');
  return nl == std::string_view::npos || (nl > 0 && text[nl - 1] == '\r');
}

}  // namespace

void XmlDocument::LoadFromFile(std::string_view systemPath) {
  Clear();
  try {
    Decoded d = DecodeFileBytes(io::ReadFileBytes(systemPath));
    Parse(tree_->dom, d.text);
    encoding_ = d.declared.empty() ? "UTF-8" : d.declared;
    utf8Bom_ = d.utf8Bom;
    bigEndian_ = d.bigEndian;
    crlf_ = UsesCrLf(d.text);
    tree_->active = true;
  } catch (const std::exception& e) {
    Clear();
    loadFailed_ = true;
    throw XmlError("cannot load XML file " + std::string(systemPath) + ": " + e.what());
  }
}

void XmlDocument::LoadFromString(std::string_view text) {
  Clear();
  try {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    bool hasDeclaration = false;
    std::string declared = DeclaredEncoding(text, hasDeclaration);
    if (!declared.empty() && !CharsetByName(declared)) throw XmlError("unsupported encoding \"" + declared + "\"");
    std::string copy = utf8::ReplaceInvalid(text);
    Parse(tree_->dom, copy);
    encoding_ = declared.empty() ? "UTF-8" : declared;
    crlf_ = UsesCrLf(text);
    tree_->active = true;
  } catch (const std::exception& e) {
    Clear();
    loadFailed_ = true;
    throw XmlError(std::string("cannot load XML text: ") + e.what());
  }
}

void XmlDocument::Swap(XmlDocument& other) noexcept {
  std::swap(tree_, other.tree_);
  std::swap(loadFailed_, other.loadFailed_);
  std::swap(encoding_, other.encoding_);
  std::swap(utf8Bom_, other.utf8Bom_);
  std::swap(bigEndian_, other.bigEndian_);
  std::swap(crlf_, other.crlf_);
}

void XmlDocument::Clear() {
  tree_ = std::make_shared<XmlTree>();
  loadFailed_ = false;
  encoding_ = "UTF-8";
  utf8Bom_ = false;
  bigEndian_ = false;
  crlf_ = true;
}

void XmlDocument::SetActive(bool active) {
  if (active == tree_->active) return;
  if (active) {
    if (loadFailed_) throw XmlError("document is not active: its last load failed");
    tree_->active = true;
    return;
  }
  // As with the DOM of a closed document: inactive means empty.
  bool failed = loadFailed_;
  Clear();
  loadFailed_ = failed;
}

XmlNode XmlDocument::DocumentElement() const {
  RequireActive();
  pugi::xml_node root = tree_->dom.document_element();
  if (!root) throw XmlError("document has no root element");
  return XmlNode(tree_, root.internal_object());
}

XmlNode XmlDocument::CreateDocumentElement(std::string_view name) {
  RequireActive();
  pugi::xml_document& dom = tree_->dom;
  if (dom.document_element()) throw XmlError("document already has a root element");
  CheckName(name, "element");
  pugi::xml_node root = dom.append_child(std::string(name).c_str());
  if (!root.next_sibling()) dom.append_child(pugi::node_pcdata).set_value("\n");
  return XmlNode(tree_, root.internal_object());
}

std::string XmlDocument::SaveToString() const {
  RequireActive();
  if (!tree_->dom.document_element()) throw XmlError("document has no root element");
  StringWriter w;
  tree_->dom.save(w, "", kFormatFlags, pugi::encoding_utf8);
  return w.out;
}

void XmlDocument::SaveToFile(std::string_view systemPath) const {
  std::string text = SaveToString();
  bool declared = false;
  for (pugi::xml_node n : tree_->dom.children()) declared = declared || n.type() == pugi::node_declaration;
  Charset cs = Charset::Utf8;
  if (declared) {
    cs = CharsetByName(encoding_).value_or(Charset::Utf8);
  } else {
    text = std::string(kNewDeclaration) + "\n" + text;
  }
  std::string bytes = EncodeBytes(PrepareForCharset(text, cs, crlf_), cs, utf8Bom_, bigEndian_);
  try {
    io::WriteFileAtomic(systemPath, bytes);
  } catch (const io::IoError& e) {
    throw XmlError(std::string("cannot save XML file: ") + e.what());
  }
}

}  // namespace plat::io
