// The editor view: a rich-edit control that recolours the lines each edit
// touches, keeps its own one-step undo, and tells the project tree about
// the subs an edit adds or removes.
#pragma once

#include "editor/CFindReplaceDialog.h"
#include "editor/EditorHooks.h"
#include "platform/docview/CView.h"
#include "platform/resources/CResourceScript.h"
#include "platform/richedit/CRichEditCtrl.h"

#include <QKeySequence>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CEditUndoRecord;
class QMenu;

class CKESTRIX_2View : public CRichEditCtrl, public CView {
    Q_OBJECT
public:
    // The most a script may hold, in positions (bytes, one per line break).
    static constexpr long kTextLimit = 1048576;
    // The pop-up menu's resource id, which is its object name.
    static constexpr UINT kEditMenuId = 135;

    explicit CKESTRIX_2View(EditorContext& context, QWidget* parent = nullptr);
    ~CKESTRIX_2View() override;

    QWidget* Widget() override { return this; }
    bool OnCreate() override;
    void OnInitialUpdate() override;
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

    CEditUndoRecord& UndoRecord();
    // Reads the font and colour settings again and shows the script in
    // them; the text, the selection and the modified mark stay as they are.
    void ReloadSettings();
    COLORREF CommandColor() const { return commandColor_; }
    COLORREF CommentColor() const { return commentColor_; }
    // The editor font read from the settings (face cp932, twips, charset).
    const CharFormat& EditorFormat() const { return editorFormat_; }

    // The script's title (cp932), the document's, whichever of its windows
    // the view is in: how the project tree knows the script.
    std::string FrameTitle() const;

    // The edit pop-up menu, built afresh with its items' states; the caller
    // owns it. Each action carries its command id as data().
    QMenu* CreateEditMenu(QWidget* parent);
    // What choosing an item of the pop-up menu does: the view, then the
    // document, until one handles the command.
    void RunPopupCommand(UINT id);

    // The open find or replace dialog, if any.
    CFindReplaceDialog* FindDialog() const { return findDialog_; }
    // Searches down from the end of the selection and selects the match;
    // tells the user and returns false when there is none.
    bool FindNext(const std::string& what, bool matchCase);
    // Replaces the selection when it is a match, then finds the next one.
    bool ReplaceNext(const std::string& what, const std::string& with, bool matchCase);
    // Replaces every match in the script; returns how many.
    int ReplaceAll(const std::string& what, const std::string& with, bool matchCase);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Dropped text and the X11 selection (middle-click) paste go in as a
    // paste does: recorded for undo, recoloured, subs rescanned. A text
    // dragged within the window is copied to where it is dropped (a move
    // would be two edits, more than the one-step undo holds). Dropped files
    // are no text: the main window opens them.
    void insertFromMimeData(const QMimeData* source) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void dropEvent(QDropEvent* event) override;

    EditorContext& context_;
    CharFormat editorFormat_;
    COLORREF commandColor_ = 0x00FF0000;
    COLORREF commentColor_ = 0x0000FF00;

private:
    // Reads the editor font and colours from the settings.
    void ReadFontSettings();
    // A tab is 8 columns of the editor font's half-width character.
    void ApplyTabWidth();
    // Shows the first window's text, colours and undo record.
    void ShareDocumentOf(CKESTRIX_2View& first);
    void AddEditMenuItems(QMenu* menu, const std::vector<MenuItemResource>& items);
    void OnEditPaste();
    void OnEditCut();
    void OnEditUndo();
    void OnFind(bool replace);
    void OnFindNext();
    void OnConvertedSave(int kind);
    void OnPrint(bool direct, bool preview);

    // Replaces the selection by what insert puts there as one recorded edit,
    // as a paste does: the subs of the touched lines leave the project tree
    // and the subs of the new lines join it, and the new lines are
    // recoloured. The caret ends after the new text.
    void ReplaceSelectionRecorded(const std::function<void()>& insert);
    // Recolours each line of [first, last) on its own and keeps the
    // selection and the modified flag as they were.
    void RecolorLines(long first, long last);
    // The lines holding [first, last): the first line's start and the end of
    // the last line.
    std::pair<long, long> LineRange(long first, long last) const;
    // Recolours the caret's line after a key and hands the script to the
    // project tree's rescan; the modified flag stays as it was.
    void RecolorAfterKey(int key);
    // A key that deletes a word or a line, recorded as the deletion of that
    // stretch so that undo puts all of it back.
    void DeleteStretch(QKeySequence::StandardKey deletes);
    // The recolouring that follows a typed character.
    void AfterTypedCharacter(int ch);
    // The recolouring an input method's text gets once its composition ended.
    void AfterComposition();
    // Applies the editor's face, size and character set (not its colour) to
    // the word at the caret.
    void ApplyEditorFontToWord();

    std::shared_ptr<CEditUndoRecord> undo_;
    bool inRecordedEdit_ = false;
    bool imeEnded_ = false;
    bool composing_ = false;
    // Print margins in twips, set when the view is first shown.
    long printMarginTwips_ = 0;
    std::string lastFind_;
    bool lastMatchCase_ = false;
    QPointer<CFindReplaceDialog> findDialog_;
};
