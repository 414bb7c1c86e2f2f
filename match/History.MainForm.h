// TMainForm: the game histories of both sides, their documents, the log
// "debug.txt" and the new game (match/History.cpp). Read inside the class
// by common/MainForm.h.
// A home history entry: the last line of memoSLog and a line of
// "debug.txt" (time of day, ",", the entry).
void DebugLog(const std::string& Msg);
// A guest history entry: the last line of memoSLogGast.
void DebugLogGast(const std::string& Msg);
void btnSaveVerlaufClick(Component* Sender);
void btnSaveVerlaufGastClick(Component* Sender);
void btnSpielNewClick(Component* Sender);
void NewGameConfirmed(Component* Sender, int AResult);

// Writes the lines of a memo as the history document of that file name in
// the state-document folder: root "verlauf", one "item" per line.
void SaveHistory(const TUniMemo& memo, const char* file);
