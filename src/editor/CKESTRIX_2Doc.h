// A script document: read as RTF when its first line holds "{\rtf", else as
// plain Shift-JIS text coloured by the colouring engine; saved the way it
// was read.
#pragma once

#include "editor/EditorHooks.h"
#include "platform/docview/CDocument.h"

#include <memory>
#include <string>
#include <string_view>

class CDocRecovery;
class CKESTRIX_2View;

class CKESTRIX_2Doc : public CDocument {
public:
    explicit CKESTRIX_2Doc(EditorContext& context);
    ~CKESTRIX_2Doc() override;

    bool OnNewDocument() override;
    bool OnOpenDocument(const std::string& path) override;
    bool OnSaveDocument(const std::string& path) override;
    bool OnCommand(UINT id) override;
    bool IsModified() const override;
    void SetModifiedFlag(bool modified = true) override;
    void OnCloseDocument() override;

    // Shows the text of a recovery file (written to file) as the unsaved
    // text of originalPath (empty: of a new script): marked modified, the
    // original untouched until the user saves.
    bool RestoreRecovered(const std::string& file, const std::string& originalPath);
    CDocRecovery& Recovery() const { return *recovery_; }
    // Puts a previous version of the script (the file holding it) in place
    // of the document's text, read the way the script itself is read: the
    // document keeps its path and is marked modified, and the script's file
    // is untouched until the user saves it (which keeps the version that
    // save replaces, as every save does).
    bool RestoreVersion(const std::string& versionFile);

    // True when the document was read (and is saved) as RTF.
    bool IsRtf() const { return rtf_; }
    // The path of the file as it was opened, or as it was last saved (empty
    // for a new script not saved yet): the file the syntax check reads.
    const std::string& StoredPath() const { return storedPath_; }

    // Writes a copy of the whole script converted to Shift-JIS (0), JIS (1)
    // or EUC (2); the document keeps its path, title and modified mark.
    bool SaveConverted(int kind, const std::string& path);

    CKESTRIX_2View* View() const;

    // The line break the script is saved with ("\n", "\r\n" or "\r").
    const std::string& LineBreak() const { return lineBreak_; }

private:
    // The end of a successful read: the recovery file follows the text.
    bool Opened(const std::string& path);
    // The script's text as a plain file: the control's lines joined by the
    // document's line break, with the final break when the file had one.
    std::string PlainText() const;
    // A file opened read-only because it is not valid Shift-JIS is written
    // over by no save of any kind: tells the user and returns true when the
    // target is that file.
    bool RefuseDamagedTarget(const std::string& target) const;
    // Reads the line breaks of a file's bytes.
    void TakeLineBreaks(std::string_view bytes);
    // Tells the user why a file cannot be opened; always false.
    bool Refuse(const std::string& path, const char* utf8Reason) const;
    // Back to a script of no file: plain text with line feeds.
    void ForgetFile();
    // Writes a whole file safely; tells the user and returns false when it
    // cannot.
    bool Write(const std::string& path, std::string_view bytes) const;

    EditorContext& context_;
    bool rtf_ = false;
    std::string storedPath_;
    std::string lineBreak_ = "\n";
    bool finalBreak_ = false;  // the last line ends with a line break
    bool mixedBreaks_ = false; // the file's lines end in more than one kind of break
    // A file that held bytes Shift-JIS does not define is shown read-only
    // and never written over: its path.
    std::string damagedPath_;
    std::unique_ptr<CDocRecovery> recovery_;
};
