// What the editor asks of the parts above it: the project tree follows the
// subs of a script as it is edited, F1 looks a word up in the help, and the
// pop-up menu's syntax check runs the file. The application wires the real
// parts in; until then every call does nothing.
#pragma once

#include <string>

class CKESTRIX_2View;

class EditorHooks {
public:
    virtual ~EditorHooks() = default;
    // The project tree drops the subs named in a text from the script whose
    // editor frame has this title.
    virtual void RemoveSubs(const std::string& /*frameTitle*/, const std::string& /*text*/) {}
    // The project tree adds the subs named in a text.
    virtual void AddSubs(const std::string& /*frameTitle*/, const std::string& /*text*/) {}
    // The project tree rescans the whole text of a view (off the UI thread).
    virtual void RescanSubs(CKESTRIX_2View* /*view*/, const std::string& /*frameTitle*/) {}
    // F1: the help's keyword search.
    virtual void KeywordLookup(const std::string& /*keyword*/) {}
    // The single-file check and run of a script (folder empty: no project).
    virtual void ExecuteFile(const std::string& /*folder*/, const std::string& /*file*/) {}
};

// What every document and view of the editor shares.
class CSyntaxColorizer;
struct EditorContext {
    CSyntaxColorizer& colorizer;
    EditorHooks& hooks;
};
