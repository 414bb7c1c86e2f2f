#pragma once
// The match's state documents: element access by path, and changes saved
// onto each file as it is at that moment.
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/io/xml_document.h"

// The element at the path of element names below the document's root; a
// step without such a child appends it, empty (reads too). Raises XmlError
// when the document is not loaded.
plat::io::XmlNode MatchElement(plat::io::XmlDocument& doc, std::initializer_list<std::string_view> path);
std::string ReadMatchElement(plat::io::XmlDocument& doc, std::initializer_list<std::string_view> path);

// One element text of a change: its path and its new text.
struct MatchChange {
  std::vector<std::string> path;
  std::string text;
};

// Sets the texts and saves the document to its file. Saves of one file are
// serialised in the process, and the change is made onto the file as it is
// now (loaded again first), so that two consoles never lose each other's
// changes; a file that cannot be loaded again keeps what this document
// holds. Raises XmlError for a document whose load failed at the start (its
// file is then never written) and for a failed save (the document keeps the
// new texts).
void ChangeMatchDocument(plat::io::XmlDocument& doc, const std::string& systemPath,
                         const std::vector<MatchChange>& changes);
// The same, for a change that depends on what the document holds: `decide`
// sees the document as the file holds it now and gives the texts to set;
// when it gives none, nothing is saved.
void ChangeMatchDocument(plat::io::XmlDocument& doc, const std::string& systemPath,
                         const std::function<std::vector<MatchChange>(plat::io::XmlDocument&)>& decide);
// The same, for a change made on the document itself: `change` gets the
// document as the file holds it now, changes it and gives true when it is
// to be saved.
void UpdateMatchDocument(plat::io::XmlDocument& doc, const std::string& systemPath,
                         const std::function<bool(plat::io::XmlDocument&)>& change);
