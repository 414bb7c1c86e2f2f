#pragma once
// XML documents as the application uses them: a document is loaded whole,
// changed through element access by name and saved whole.
//
// - Child(name) returns the first child element of that name and creates it,
//   empty and appended last, when there is none. This holds for reading too.
// - Attribute(name) of a missing attribute raises XmlError.
// - A document whose load failed stays inactive: DocumentElement(), changes
//   and saves raise XmlError until a later load succeeds.
// - A document is saved in the encoding its file declared (ISO-8859-1,
//   Windows-1252, UTF-8, UTF-16); a new document is saved as UTF-8.
// - Saving replaces the file atomically. A document without a root element
//   is not saved (raises): it would be a file no loader accepts.
// - Texts and attribute values hold only characters XML 1.0 allows: the
//   control characters other than tab, line feed and carriage return (and
//   U+FFFE, U+FFFF) are dropped when set and when saved; malformed UTF-8
//   becomes U+FFFD.
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
}  // namespace pugi

namespace plat::io {

class XmlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class XmlDocument;
struct XmlTree;  // the DOM of one load of a document

// A handle to an element of a document. A null handle raises on every access.
// A handle belongs to the load it was taken from: once its document is
// cleared, loaded again or destroyed, or its element was removed (SetText or
// RemoveChildren of an ancestor), every access raises XmlError; it never
// reaches freed memory.
class XmlNode {
 public:
  XmlNode() = default;

  bool IsNull() const;
  std::string Name() const;

  // Text content (the concatenated text of the element's own text children).
  std::string Text() const;
  // Replaces all children of the element by one text.
  void SetText(std::string_view text);
  // Removes every child of the element (elements, texts, comments); its
  // attributes stay. Handles to the removed elements raise from then on.
  void RemoveChildren();

  XmlNode Child(std::string_view name);              // created when missing
  XmlNode FindChild(std::string_view name) const;    // null when missing
  XmlNode AddChild(std::string_view name);           // always appended last
  std::vector<XmlNode> ChildElements() const;

  bool HasAttribute(std::string_view name) const;
  std::string Attribute(std::string_view name) const;  // raises when missing
  void SetAttribute(std::string_view name, std::string_view value);

 private:
  friend class XmlDocument;
  XmlNode(const std::shared_ptr<XmlTree>& tree, void* node);
  // Raises when null, when its load is gone or when the element was removed.
  pugi::xml_node Raw() const;
  std::weak_ptr<XmlTree> tree_;
  void* node_ = nullptr;           // pugi::xml_node_struct*
  mutable unsigned removals_ = 0;  // the tree's removal count when last seen in it
};

class XmlDocument {
 public:
  XmlDocument();  // empty and inactive
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Loads a file (system path); on failure the document is empty and
  // inactive and XmlError is raised.
  void LoadFromFile(std::string_view systemPath);
  void LoadFromString(std::string_view text);

  // Empties the document and makes it inactive.
  void Clear();
  // Exchanges the contents (with the encoding and the load state) of two
  // documents; handles follow the load they were taken from.
  void Swap(XmlDocument& other) noexcept;

  bool Active() const;
  // Activating an empty document gives an empty DOM to build on; a document
  // whose last load failed cannot be activated (raises).
  void SetActive(bool active);

  // The root element; raises when inactive or when there is none.
  XmlNode DocumentElement() const;
  // Creates the root element of an empty active document (raises when one exists).
  XmlNode CreateDocumentElement(std::string_view name);

  void SaveToFile(std::string_view systemPath) const;  // raises when inactive
  std::string SaveToString() const;                    // UTF-8 text

  // Declared encoding of the loaded file ("UTF-8" when none was declared).
  const std::string& Encoding() const { return encoding_; }

 private:
  void RequireActive() const;
  // Replaced by a new tree on every clear and load, so that the handles of
  // the old one see it gone.
  std::shared_ptr<XmlTree> tree_;
  bool loadFailed_ = false;
  std::string encoding_ = "UTF-8";
  // What the DOM does not hold of the loaded file, so that an unchanged
  // document is written back byte for byte.
  bool utf8Bom_ = false;
  bool bigEndian_ = false;  // UTF-16 byte order
  bool crlf_ = true;        // line breaks; new documents get CR LF
};

}  // namespace plat::io
