// TMainForm: the match's state documents and the section "spielbetrieb"
// (match/MatchState.cpp). Read inside the class by common/MainForm.h.
plat::io::XmlDocument xmlSpielstand, xmlSpieler, xmlSpielerInt, xmlVerlauf, xmlMatchday;
// "Containers\System\files\" of the program folder.
std::string MatchFilesFolder() const;
// Creates the five documents empty and loads four of them from their files,
// each on its own: a failed load shows its toast and leaves the document
// unloaded for the session.
void LoadMatchDocuments();
// A key of section "spielbetrieb" of "Config\tessarine.ini" (empty when
// missing), and writing one (a failure is ignored).
std::string ReadMatchSetting(std::string_view key) const;
void WriteMatchSetting(std::string_view key, std::string_view value) const;
