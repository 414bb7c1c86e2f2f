#include "platform/io/xml_document.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/io/text_file.h"
#include "platform/io/utf8.h"
#include "support/test_support.h"

using plat::io::XmlDocument;
using plat::io::XmlError;
using plat::io::XmlNode;
using testing_support::TempDir;

namespace {

class XmlFile : public ::testing::Test {
 protected:
  std::string Put(std::string_view bytes, std::string_view name = "Team.xml") {
    dir.Write(name, bytes);
    return dir.sys() + std::string(name);
  }
  TempDir dir;
};

// An ISO-8859-1 file as Windows tools write it: CR LF, indented, umlauts as
// single bytes in text and attributes.
const char kLatin1File[] =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
    "<!-- Mannschaften -->\r\n"
    "<Teams>\r\n"
    "  <Team id=\"1\" ort=\"M\xFCnchen\">\r\n"
    "    <Name>FC Gr\xFCn-Wei\xDF</Name>\r\n"
    "    <Trainer>J\xF6rg M\xFCller &amp; S\xF6hne</Trainer>\r\n"
    "    <Leer/>\r\n"
    "  </Team>\r\n"
    "</Teams>\r\n";

}  // namespace

TEST_F(XmlFile, ChildCreatesMissingElementAlsoWhenReading) {
  XmlDocument doc;
  doc.LoadFromString("<r><a>1</a><?pi x?><B/></r>");
  XmlNode root = doc.DocumentElement();
  EXPECT_EQ(root.Child("a").Text(), "1");
  EXPECT_TRUE(root.FindChild("b").IsNull());  // letter case counts
  EXPECT_TRUE(root.FindChild("pi").IsNull());  // only elements count
  XmlNode b = root.Child("b");
  EXPECT_EQ(b.Name(), "b");
  EXPECT_EQ(b.Text(), "");
  root.Child("a");  // exists: nothing added
  std::vector<std::string> names;
  for (const XmlNode& n : root.ChildElements()) names.push_back(n.Name());
  EXPECT_EQ(names, (std::vector<std::string>{"a", "B", "b"}));
  EXPECT_EQ(doc.SaveToString(), "<r><a>1</a><?pi x?><B/><b/></r>");
}

TEST_F(XmlFile, AttributeOfMissingNameRaisesNamingIt) {
  XmlDocument doc;
  doc.LoadFromString("<r id=\"7\"/>");
  XmlNode root = doc.DocumentElement();
  EXPECT_EQ(root.Attribute("id"), "7");
  EXPECT_FALSE(root.HasAttribute("ID"));
  try {
    root.Attribute("farbe");
    FAIL() << "no exception";
  } catch (const XmlError& e) {
    EXPECT_NE(std::string(e.what()).find("farbe"), std::string::npos);
  }
  root.SetAttribute("farbe", "rot & \"blau\"");
  root.SetAttribute("id", "8");
  EXPECT_EQ(root.Attribute("farbe"), "rot & \"blau\"");
  EXPECT_EQ(doc.SaveToString(), "<r id=\"8\" farbe=\"rot &amp; &quot;blau&quot;\"/>");
}

TEST_F(XmlFile, TextJoinsTextChildrenAndSetTextReplacesChildren) {
  XmlDocument doc;
  doc.LoadFromString("<r><m>x<![CDATA[<y>]]>z<i/>w</m><list>\n  <e/>\n</list><s> </s></r>");
  XmlNode root = doc.DocumentElement();
  EXPECT_EQ(root.Child("m").Text(), "x<y>zw");
  EXPECT_EQ(root.Child("list").Text(), "");  // indentation is not content
  EXPECT_EQ(root.Child("s").Text(), " ");
  root.Child("m").SetText("neu");
  root.Child("list").SetText("");
  EXPECT_EQ(doc.SaveToString(), "<r><m>neu</m><list/><s> </s></r>");
}

TEST_F(XmlFile, FailedLoadLeavesDocumentInactiveUntilLoadedOrCleared) {
  struct Case {
    const char* what;
    std::string bytes;  // empty: no file
  };
  const Case cases[] = {
      {"missing file", ""},
      {"not well-formed", "<a><b></a>"},
      {"truncated", "<?xml version=\"1.0\"?>\r\n<a><b/>"},
      {"unknown encoding", "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><a/>"},
      {"two roots", "<a/><b/>"},
      {"text outside the root", "<a/>junk"},
      {"empty", " \r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir d;
    if (!c.bytes.empty()) d.Write("Broken.xml", c.bytes);
    std::string path = d.sys() + "Broken.xml";
    XmlDocument doc;
    doc.LoadFromString("<old><child/></old>");
    XmlNode old = doc.DocumentElement().Child("child");
    try {
      doc.LoadFromFile(path);
      FAIL() << "no exception";
    } catch (const XmlError& e) {
      EXPECT_NE(std::string(e.what()).find("Broken.xml"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(doc.Active());
    EXPECT_THROW(doc.DocumentElement(), XmlError);
    EXPECT_THROW(old.Name(), XmlError);
    EXPECT_THROW(old.SetText("x"), XmlError);
    EXPECT_THROW(doc.SaveToString(), XmlError);
    EXPECT_THROW(doc.SaveToFile(d.sys() + "out.xml"), XmlError);
    EXPECT_FALSE(std::filesystem::exists(d.path() / "out.xml"));
    EXPECT_THROW(doc.SetActive(true), XmlError);
    EXPECT_THROW(doc.CreateDocumentElement("x"), XmlError);
    EXPECT_FALSE(doc.Active());

    doc.Clear();
    doc.SetActive(true);
    EXPECT_THROW(doc.DocumentElement(), XmlError);  // active but empty
    doc.CreateDocumentElement("neu").Child("a").SetText("1");
    EXPECT_EQ(doc.DocumentElement().Child("a").Text(), "1");
  }
}

TEST_F(XmlFile, LaterSuccessfulLoadReactivates) {
  std::string bad = Put("<a>", "Bad.xml");
  std::string good = Put("<ok/>", "Good.xml");
  XmlDocument doc;
  EXPECT_THROW(doc.LoadFromFile(bad), XmlError);
  doc.LoadFromFile(good);
  EXPECT_TRUE(doc.Active());
  EXPECT_EQ(doc.DocumentElement().Name(), "ok");
}

TEST_F(XmlFile, NodeHandlesRaiseWhenNullOrDocumentCleared) {
  XmlNode none;
  EXPECT_TRUE(none.IsNull());
  EXPECT_THROW(none.Name(), XmlError);
  EXPECT_THROW(none.Child("a"), XmlError);
  EXPECT_THROW(none.Text(), XmlError);

  XmlDocument doc;
  EXPECT_THROW(doc.DocumentElement(), XmlError);  // new documents are inactive
  doc.LoadFromString("<r><a/></r>");
  XmlNode a = doc.DocumentElement().Child("a");
  EXPECT_THROW(doc.CreateDocumentElement("second"), XmlError);
  doc.Clear();
  EXPECT_THROW(a.Name(), XmlError);
  EXPECT_THROW(a.SetAttribute("k", "v"), XmlError);
  EXPECT_THROW(a.ChildElements(), XmlError);
}

TEST_F(XmlFile, Latin1FileRoundTripsByteForByte) {
  std::string path = Put(kLatin1File);
  XmlDocument doc;
  doc.LoadFromFile(dir.sys() + "team.XML");
  EXPECT_EQ(doc.Encoding(), "ISO-8859-1");
  XmlNode team = doc.DocumentElement().Child("Team");
  EXPECT_EQ(team.Attribute("ort"), "M\xC3\xBCnchen");
  EXPECT_EQ(team.Child("Name").Text(), "FC Gr\xC3\xBCn-Wei\xC3\x9F");
  EXPECT_EQ(team.Child("Trainer").Text(), "J\xC3\xB6rg M\xC3\xBCller & S\xC3\xB6hne");
  doc.SaveToFile(dir.sys() + "TEAM.xml");
  EXPECT_EQ(dir.Read("Team.xml"), kLatin1File);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()),
            1);
}

TEST_F(XmlFile, Latin1LabelReadsWindows1252Characters) {
  // Windows tools label files ISO-8859-1 and still write the euro sign as 0x80.
  Put("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><p>\x80 5 \x84" "x\x93</p>");
  XmlDocument doc;
  doc.LoadFromFile(dir.sys() + "Team.xml");
  EXPECT_EQ(doc.DocumentElement().Text(), "\xE2\x82\xAC 5 \xE2\x80\x9Ex\xE2\x80\x9C");
}

TEST_F(XmlFile, CharactersBeyondTheEncodingBecomeCharacterReferences) {
  struct Case {
    const char* encoding;
    std::vector<std::string> refs;  // expected in the file
    std::string raw;                // a character that fits, as its file bytes
  };
  const Case cases[] = {
      {"ISO-8859-1", {"&#321;", "&#8364;", "&#128512;"}, "\xF3"},
      {"windows-1252", {"&#321;", "&#128512;"}, "\x80"},
      {"US-ASCII", {"&#321;", "&#243;", "&#128512;"}, "d"},
  };
  // "Łódź €" plus an emoji outside the Basic Multilingual Plane.
  const std::string text = "\xC5\x81\xC3\xB3" "d\xC5\xBA \xE2\x82\xAC \xF0\x9F\x98\x80";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.encoding);
    std::string decl = std::string("<?xml version=\"1.0\" encoding=\"") + c.encoding + "\"?>";
    std::string path = Put(decl + "\r\n<r/>\r\n");
    XmlDocument doc;
    doc.LoadFromFile(path);
    XmlNode root = doc.DocumentElement();
    root.Child("t").SetText(text);
    root.SetAttribute("a", text);
    root.Child("c");
    doc.SaveToFile(path);

    std::string bytes = dir.Read("Team.xml");
    EXPECT_TRUE(bytes.starts_with(decl + "\r\n")) << bytes;
    for (const std::string& ref : c.refs) EXPECT_NE(bytes.find(ref), std::string::npos) << ref;
    EXPECT_NE(bytes.find(c.raw), std::string::npos);
    EXPECT_EQ(bytes.find('?', decl.size()), std::string::npos) << "a character was lost";

    XmlDocument back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Encoding(), c.encoding);
    EXPECT_EQ(back.DocumentElement().Child("t").Text(), text);
    EXPECT_EQ(back.DocumentElement().Attribute("a"), text);
  }
}

TEST_F(XmlFile, UnicodeFilesRoundTripByteForByte) {
  const std::string body =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r>\n\t<n a=\"\xC3\xA4\">\xC5\x81\xC3\xB3" "d\xC5\xBA</n>\n</r>\n";
  std::string utf16 = body;
  utf16.replace(utf16.find("UTF-8"), 5, "UTF-16");
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"UTF-8", body},
      {"UTF-8 BOM", "\xEF\xBB\xBF" + body},
      {"UTF-16 LE", plat::io::EncodeText(utf16, plat::io::Encoding::Utf16LE)},
      {"UTF-16 BE", plat::io::EncodeText(utf16, plat::io::Encoding::Utf16BE)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = Put(c.bytes);
    XmlDocument doc;
    doc.LoadFromFile(path);
    EXPECT_EQ(doc.DocumentElement().Child("n").Text(), "\xC5\x81\xC3\xB3" "d\xC5\xBA");
    EXPECT_EQ(doc.DocumentElement().Child("n").Attribute("a"), "\xC3\xA4");
    doc.SaveToFile(path);
    EXPECT_EQ(dir.Read("Team.xml"), c.bytes);
  }
}

TEST_F(XmlFile, TextValuesSurviveSaveAndLoadInEveryEncoding) {
  const std::vector<std::string> values = {
      "plain", "a & b < c > d", "quotes \" and '", "line1\nline2", "cr\r\nlf", "  padded  ",
      "\xC5\x81\xC3\xB3" "d\xC5\xBA \xE2\x82\xAC", "]]> end", "tab\there"};
  for (const char* encoding : {"UTF-8", "ISO-8859-1", "UTF-16"}) {
    SCOPED_TRACE(encoding);
    XmlDocument doc;
    doc.LoadFromString(std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>\r\n<r>\r\n</r>");
    for (const std::string& v : values) {
      XmlNode e = doc.DocumentElement().AddChild("v");
      e.SetText(v);
      e.SetAttribute("a", v);
    }
    std::string path = dir.sys() + "values.xml";
    doc.SaveToFile(path);
    XmlDocument back;
    back.LoadFromFile(path);
    auto elements = back.DocumentElement().ChildElements();
    ASSERT_EQ(elements.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
      EXPECT_EQ(elements[i].Text(), values[i]);
      // Attribute values have their line breaks normalised by XML itself;
      // only the characters must survive.
      if (values[i].find_first_of("\r\n") == std::string::npos) {
        EXPECT_EQ(elements[i].Attribute("a"), values[i]);
      }
    }
  }
}

TEST_F(XmlFile, NewElementsFollowTheDocumentIndentation) {
  XmlDocument doc;
  doc.LoadFromString("<r>\n    <a>1</a>\n    <e/>\n</r>\n");
  XmlNode root = doc.DocumentElement();
  root.AddChild("b").SetText("2");
  root.Child("e").Child("x");
  EXPECT_EQ(doc.SaveToString(),
            "<r>\n    <a>1</a>\n    <e>\n        <x/>\n    </e>\n    <b>2</b>\n</r>\n");

  XmlDocument compact;
  compact.LoadFromString("<r><a/></r>");
  compact.DocumentElement().Child("a").Child("x");
  compact.DocumentElement().Child("b");
  EXPECT_EQ(compact.SaveToString(), "<r><a><x/></a><b/></r>");
}

TEST_F(XmlFile, NewDocumentIsSavedAsIndentedUtf8WithDeclaration) {
  XmlDocument doc;
  doc.SetActive(true);
  EXPECT_TRUE(doc.Active());
  XmlNode root = doc.CreateDocumentElement("Team");
  root.Child("Name").SetText("Gr\xC3\xBCn");
  root.Child("Farben").Child("Heim").SetAttribute("rgb", "#fff");
  std::string path = dir.sys() + "Neu.xml";
  doc.SaveToFile(path);
  EXPECT_EQ(dir.Read("Neu.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<Team>\r\n"
            "  <Name>Gr\xC3\xBCn</Name>\r\n"
            "  <Farben>\r\n"
            "    <Heim rgb=\"#fff\"/>\r\n"
            "  </Farben>\r\n"
            "</Team>\r\n");

  // Saving what was read changes nothing, also after several rounds.
  const std::string first = dir.Read("Neu.xml");
  for (int round = 0; round < 3; ++round) {
    XmlDocument again;
    again.LoadFromFile(path);
    EXPECT_EQ(again.Encoding(), "UTF-8");
    again.SaveToFile(path);
  }
  EXPECT_EQ(dir.Read("Neu.xml"), first);
}

TEST_F(XmlFile, DocumentWithoutDeclarationGetsOneOnSave) {
  std::string path = Put("<r>\n  <a>\xC3\xA4</a>\n</r>\n");
  XmlDocument doc;
  doc.LoadFromFile(path);
  EXPECT_EQ(doc.Encoding(), "UTF-8");
  doc.SaveToFile(path);
  EXPECT_EQ(dir.Read("Team.xml"), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<r>\n  <a>\xC3\xA4</a>\n</r>\n");
}

TEST_F(XmlFile, HandlesOfAnEarlierLoadRaiseInsteadOfReachingItsMemory) {
  // Each way of replacing the tree a handle was taken from, and the number
  // of root children afterwards (-1: no root element).
  struct Case {
    const char* what;
    void (*replace)(XmlDocument&, const std::string& file);
    int children;
  };
  const Case cases[] = {
      {"load from file", [](XmlDocument& d, const std::string& file) { d.LoadFromFile(file); }, 2},
      {"load from text", [](XmlDocument& d, const std::string&) { d.LoadFromString("<r><a/><b/></r>"); }, 2},
      {"failed load", [](XmlDocument& d, const std::string&) { EXPECT_THROW(d.LoadFromString("<r>"), XmlError); },
       -1},
      {"clear and activate", [](XmlDocument& d, const std::string&) { d.Clear(), d.SetActive(true); }, -1},
      {"deactivate and activate", [](XmlDocument& d, const std::string&) { d.SetActive(false), d.SetActive(true); },
       -1},
  };
  const std::string file = Put("<r><a x=\"1\"><deep/></a><b/></r>");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    XmlDocument doc;
    doc.LoadFromFile(file);
    XmlNode root = doc.DocumentElement();
    XmlNode a = root.Child("a");
    XmlNode deep = a.Child("deep");
    c.replace(doc, file);
    for (XmlNode* n : {&root, &a, &deep}) {
      EXPECT_THROW(n->Name(), XmlError);
      EXPECT_THROW(n->Text(), XmlError);
      EXPECT_THROW(n->SetText("x"), XmlError);
      EXPECT_THROW(n->Child("c"), XmlError);
      EXPECT_THROW(n->SetAttribute("x", "2"), XmlError);
    }
    if (c.children >= 0) {
      // The stale handles changed nothing in the new tree.
      EXPECT_EQ(doc.DocumentElement().ChildElements().size(), static_cast<std::size_t>(c.children));
      EXPECT_FALSE(doc.DocumentElement().HasAttribute("x"));
    }
  }
  // A handle that outlives its document raises too.
  XmlNode orphan;
  {
    XmlDocument doc;
    doc.LoadFromString("<r/>");
    orphan = doc.DocumentElement();
  }
  EXPECT_THROW(orphan.Name(), XmlError);
}

TEST_F(XmlFile, HandlesOfElementsRemovedBySetTextRaiseOthersStayValid) {
  XmlDocument doc;
  doc.LoadFromString("<r><list><e>1</e><e>2</e></list><keep/></r>");
  XmlNode root = doc.DocumentElement();
  XmlNode list = root.Child("list");
  XmlNode first = list.Child("e");
  XmlNode keep = root.Child("keep");
  list.SetText("flat");
  EXPECT_THROW(first.Text(), XmlError);
  EXPECT_THROW(first.SetText("x"), XmlError);
  EXPECT_EQ(list.Text(), "flat");
  keep.SetText("k");
  EXPECT_EQ(doc.SaveToString(), "<r><list>flat</list><keep>k</keep></r>");
}

TEST_F(XmlFile, RemoveChildrenEmptiesAnElementForRebuildingAndKeepsItsAttributes) {
  XmlDocument doc;
  doc.LoadFromString("<team v=\"2\"><!-- header --><player><Nr>7</Nr></player>text<player/></team>");
  XmlNode root = doc.DocumentElement();
  XmlNode player = root.Child("player");
  XmlNode nr = player.Child("Nr");
  root.RemoveChildren();
  EXPECT_THROW(player.Name(), XmlError);
  EXPECT_THROW(nr.Text(), XmlError);
  EXPECT_TRUE(root.ChildElements().empty());
  root.AddChild("player").Child("Nr").SetText("9");
  EXPECT_EQ(doc.SaveToString(), "<team v=\"2\">\n  <player>\n    <Nr>9</Nr>\n  </player>\n</team>");
  root.Child("player").Child("Nr").RemoveChildren();  // a text only
  EXPECT_EQ(doc.SaveToString(), "<team v=\"2\">\n  <player>\n    <Nr/>\n  </player>\n</team>");
}

TEST_F(XmlFile, DocumentWithoutRootElementIsNeverSaved) {
  const std::string path = Put("<?xml version=\"1.0\"?>\r\n<old/>\r\n");
  XmlDocument doc;
  doc.SetActive(true);  // empty, active, no root element
  EXPECT_THROW(doc.SaveToFile(path), XmlError);
  EXPECT_THROW(doc.SaveToString(), XmlError);
  EXPECT_EQ(dir.Read("Team.xml"), "<?xml version=\"1.0\"?>\r\n<old/>\r\n");
  EXPECT_THROW(doc.SaveToFile(dir.sys() + "new.xml"), XmlError);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "new.xml"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()),
            1);  // no temporary file left either
}

TEST_F(XmlFile, CharactersXmlCannotHoldAreDroppedAndTheFileLoadsAgain) {
  struct Case {
    const char* what;
    std::string value;
    std::string kept;
  };
  const Case cases[] = {
      {"C0 controls", std::string("a\x01" "b\x08\x0B\x0C\x1F" "c\0d", 10), "abcd"},
      {"tab and line breaks stay", "a\tb\nc", "a\tb\nc"},
      {"escape and delete", "\x1B[1m\x7F", "[1m\x7F"},  // U+007F is allowed by XML 1.0
      {"noncharacters U+FFFE, U+FFFF", "x\xEF\xBF\xBE\xEF\xBF\xBFy", "xy"},
      {"malformed UTF-8", "M\xE4rz", "M\xEF\xBF\xBDrz"},
  };
  for (const char* encoding : {"UTF-8", "ISO-8859-1", "UTF-16"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(encoding) + ": " + c.what);
      XmlDocument doc;
      doc.LoadFromString(std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>\r\n<r/>");
      XmlNode root = doc.DocumentElement();
      root.Child("t").SetText(c.value);
      root.SetAttribute("a", c.value);
      EXPECT_EQ(root.Child("t").Text(), c.kept);
      EXPECT_EQ(root.Attribute("a"), c.kept);
      const std::string path = dir.sys() + "ctl.xml";
      doc.SaveToFile(path);
      XmlDocument back;
      back.LoadFromFile(path);
      EXPECT_EQ(back.DocumentElement().Child("t").Text(), c.kept);
    }
  }
  // A character reference to a control character in a loaded file does not
  // get into what is saved.
  XmlDocument refs;
  refs.LoadFromString("<r a=\"x&#1;y&#2147483647;\">p&#27;q&#xFFFE;<!--c\x02-->&#xD800;</r>");
  const std::string saved = refs.SaveToString();
  EXPECT_TRUE(saved.starts_with("<r a=\"xy\xEF\xBF\xBD")) << saved;  // beyond U+10FFFF: replaced
  EXPECT_TRUE(saved.ends_with("\">pq<!--c-->\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD</r>")) << saved;
  EXPECT_TRUE(plat::io::utf8::IsValid(saved));
  // A text of nothing but such characters is no text at all, so that what
  // is saved reads back and saves the same.
  for (const char* text : {"<r><v>&#1;</v><w>&#x0;no</w></r>", "<r><v>\x02</v><w></w></r>"}) {
    SCOPED_TRACE(text);
    XmlDocument doc;
    doc.LoadFromString(text);
    const std::string once = doc.SaveToString();
    EXPECT_EQ(once, "<r><v/><w/></r>");
    XmlDocument again;
    again.LoadFromString(once);
    EXPECT_EQ(again.SaveToString(), once);
  }
}

TEST_F(XmlFile, NamesThatWouldMakeTheFileUnreadableAreRefused) {
  XmlDocument doc;
  doc.LoadFromString("<r/>");
  XmlNode root = doc.DocumentElement();
  for (const std::string& bad : {std::string(""), std::string("a b"), std::string("a\x01"), std::string("1a"),
                                 std::string("a!"), std::string("a;b"), std::string("\xE4"), std::string("-a")}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(root.AddChild(bad), XmlError);
    EXPECT_THROW(root.SetAttribute(bad, "v"), XmlError);
  }
  for (const std::string& good : {std::string("a1"), std::string("_x.y-z"), std::string("ns:e"),
                                  std::string("Gr\xC3\xB6\xC3\x9F" "e")}) {
    SCOPED_TRACE(good);
    root.AddChild(good).SetAttribute(good, "v");
  }
  XmlDocument back;
  back.LoadFromString(doc.SaveToString());
  EXPECT_EQ(back.DocumentElement().ChildElements().size(), 4u);
}

TEST_F(XmlFile, MalformedUtf8AfterAByteOrderMarkIsReplaced) {
  const std::string path = Put("\xEF\xBB\xBF<r a=\"\xE4\">M\xE4rz \xC3\xA4</r>");
  XmlDocument doc;
  doc.LoadFromFile(path);
  EXPECT_EQ(doc.DocumentElement().Text(), "M\xEF\xBF\xBDrz \xC3\xA4");
  EXPECT_EQ(doc.DocumentElement().Attribute("a"), "\xEF\xBF\xBD");
  doc.LoadFromString("<r>\xE4</r>");
  EXPECT_EQ(doc.DocumentElement().Text(), "\xEF\xBF\xBD");
}
