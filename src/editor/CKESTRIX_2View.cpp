#include "editor/CKESTRIX_2View.h"

#include "editor/CEditUndoRecord.h"
#include "editor/CFindReplaceDialog.h"
#include "editor/CHelpKeyword.h"
#include "editor/CKESTRIX_2Doc.h"
#include "editor/CSyntaxColorizer.h"
#include "platform/docview/CDocument.h"
#include "platform/docview/CMDIChildWnd.h"
#include "platform/registry/SettingsStore.h"
#include "platform/resources/ProgramResources.h"
#include "platform/text/Sjis.h"
#include "platform/ui/CFaceSubstitution.h"
#include "platform/ui/UiService.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>
#include <filesystem>

namespace {

// Menu and command ids.
constexpr UINT ID_EDIT_COPY = 57634;
constexpr UINT ID_EDIT_CUT = 57635;
constexpr UINT ID_EDIT_FIND = 57636;
constexpr UINT ID_EDIT_PASTE = 57637;
constexpr UINT ID_EDIT_REPEAT = 57640;
constexpr UINT ID_EDIT_REPLACE = 57641;
constexpr UINT ID_EDIT_SELECT_ALL = 57642;
constexpr UINT ID_EDIT_UNDO = 57643;
constexpr UINT ID_FILE_PRINT = 57607;
constexpr UINT ID_FILE_PRINT_DIRECT = 57608;
constexpr UINT ID_FILE_PRINT_PREVIEW = 57609;
constexpr UINT ID_SAVE_EUC = 32784;
constexpr UINT ID_SAVE_JIS = 32786;
constexpr UINT ID_SAVE_SJIS = 32787;

constexpr int kEnterChar = 13;
constexpr int kBackspaceChar = 8;
constexpr int kDeleteKeyCode = 0x2E;

// The longest file name the save dialog takes as its initial name.
constexpr std::size_t kMaxInitialName = 259;

std::string J(const char* utf8)
{
    return sjis::FromUtf8(utf8);
}

// A text cut to at most max bytes without splitting a double-byte character.
std::string CutToBytes(const std::string& text, std::size_t max)
{
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t width = sjis::IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + width > max)
            break;
        end += width;
    }
    return text.substr(0, std::min(end, text.size()));
}

void SayNotFound(QWidget* owner, const std::string& what)
{
    MessageBox(owner, J("「") + what + J("」が見つかりません。"), "KESTRIX_2", MB_OK | MB_ICONINFORMATION);
}

} // namespace

CKESTRIX_2View::CKESTRIX_2View(EditorContext& context, QWidget* parent)
    : CRichEditCtrl(parent), context_(context), undo_(std::make_shared<CEditUndoRecord>())
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

CKESTRIX_2View::~CKESTRIX_2View()
{
    if (findDialog_)
        delete findDialog_.data();
}

CEditUndoRecord& CKESTRIX_2View::UndoRecord()
{
    return *undo_;
}

bool CKESTRIX_2View::OnCreate()
{
    imeEnded_ = false;
    composing_ = false;
    undo_->Attach(this);
    ReadFontSettings();
    return true;
}

void CKESTRIX_2View::ReadFontSettings()
{
    const settings::ViewFont font = settings::LoadViewFont();
    editorFormat_ = CharFormat{};
    editorFormat_.mask = CFM_FACE | CFM_SIZE | CFM_CHARSET;
    editorFormat_.face = font.face;
    editorFormat_.heightTwips = font.heightTwips;
    editorFormat_.charSet = font.charSet;
    commandColor_ = font.commandColor;
    commentColor_ = font.commentColor;
    // Faces named in the settings or in the coloured stream that this
    // system lacks draw in an installed Japanese family.
    CFaceSubstitution::InstallSubstitutions(font.face);
}

void CKESTRIX_2View::ApplyTabWidth()
{
    QFont font(sjis::ToUnicode(editorFormat_.face));
    if (editorFormat_.heightTwips > 0)
        font.setPointSizeF(editorFormat_.heightTwips / 20.0);
    setTabStopDistance(8 * QFontMetricsF(font, this).horizontalAdvance(QLatin1Char(' ')));
}

void CKESTRIX_2View::ReloadSettings()
{
    ReadFontSettings();
    ApplyTabWidth();
    const bool modified = GetModify();
    long s = 0, e = 0;
    GetSel(s, e);
    const int scrolled = verticalScrollBar()->value();
    CSyntaxColorizer& engine = context_.colorizer;
    engine.SetColors(commandColor_, commentColor_);
    engine.SetFont(editorFormat_.face, editorFormat_.heightTwips, editorFormat_.charSet);
    SetDefaultCharFormat(editorFormat_);
    // The whole script is coloured again in the new font and colours.
    engine.BuildFromControl(*this);
    SetSel(s, e);
    verticalScrollBar()->setValue(scrolled);
    SetModify(modified);
}

void CKESTRIX_2View::OnInitialUpdate()
{
    LimitText(kTextLimit);
    printMarginTwips_ = 720;
    ApplyTabWidth();
    // A further window on a document shows the text of its first window.
    CDocument* document = GetDocument();
    auto* first = document ? dynamic_cast<CKESTRIX_2View*>(document->FirstView()) : nullptr;
    if (first && first != this) {
        ShareDocumentOf(*first);
        return;
    }
    if (GetTextLength() == 0)
        SetDefaultCharFormat(editorFormat_);
    SetModify(false);
}

void CKESTRIX_2View::ShareDocumentOf(CKESTRIX_2View& first)
{
    ShareDocument(first);
    setReadOnly(first.isReadOnly());
    SetDefaultCharFormat(first.editorFormat_);
    // The document keeps one record of its last edit, whichever window made it.
    undo_ = first.undo_;
    SetSel(0, 0);
}

std::string CKESTRIX_2View::FrameTitle() const
{
    // A document in several windows is still one script ("name", not
    // "name:2").
    if (CDocument* document = GetDocument())
        return document->GetTitle();
    if (CMDIChildWnd* frame = GetParentFrame())
        return frame->GetWindowText();
    return {};
}

// ---- keys and the input method ----

void CKESTRIX_2View::keyPressEvent(QKeyEvent* event)
{
    undo_->Bind(this);
    // The edit shortcuts take the view's own paths, so that every edit is
    // recorded for undo and recoloured.
    struct Shortcut {
        QKeySequence::StandardKey key;
        UINT command;
    };
    static constexpr Shortcut kShortcuts[] = {
        {QKeySequence::Paste, ID_EDIT_PASTE},
        {QKeySequence::Cut, ID_EDIT_CUT},
        {QKeySequence::Copy, ID_EDIT_COPY},
        {QKeySequence::Undo, ID_EDIT_UNDO},
        {QKeySequence::SelectAll, ID_EDIT_SELECT_ALL},
        {QKeySequence::Find, ID_EDIT_FIND},
        {QKeySequence::FindNext, ID_EDIT_REPEAT},
        {QKeySequence::Replace, ID_EDIT_REPLACE},
    };
    for (const Shortcut& shortcut : kShortcuts) {
        if (event->matches(shortcut.key)) {
            OnCommand(shortcut.command);
            event->accept();
            return;
        }
    }
    // The control keeps no undo of its own: redo has nothing to redo (undo
    // twice does).
    if (event->matches(QKeySequence::Redo)) {
        event->accept();
        return;
    }
    // Keys that delete a word or a line are recorded as the deletion of that
    // stretch, so that undo puts all of it back.
    static constexpr QKeySequence::StandardKey kStretchDeletes[] = {
        QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord, QKeySequence::DeleteEndOfLine,
        QKeySequence::DeleteCompleteLine};
    for (QKeySequence::StandardKey deletes : kStretchDeletes) {
        if (event->matches(deletes)) {
            event->accept();
            DeleteStretch(deletes);
            return;
        }
    }

    const int key = event->key();
    const bool enter = event->matches(QKeySequence::InsertParagraphSeparator) ||
                       event->matches(QKeySequence::InsertLineSeparator);
    const bool backspace = key == Qt::Key_Backspace;
    const bool removes = backspace || key == Qt::Key_Delete;
    const bool types = enter || backspace || CRichEditCtrl::InsertsText(event);
    // Enter with modifiers the control ignores types nothing.
    const bool enterKey = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!isReadOnly() && (removes || !composing_) && (enter || !enterKey))
        undo_->NoteKeyDown(key, event->text());
    CRichEditCtrl::keyPressEvent(event);
    if (!types || composing_ || isReadOnly())
        return;
    int ch = enter ? kEnterChar : backspace ? kBackspaceChar : int(event->text().front().unicode());
    AfterTypedCharacter(ch);
}

void CKESTRIX_2View::DeleteStretch(QKeySequence::StandardKey deletes)
{
    if (isReadOnly())
        return;
    QTextCursor c = textCursor();
    if (!c.hasSelection()) {
        switch (deletes) {
        case QKeySequence::DeleteStartOfWord:
            c.movePosition(QTextCursor::PreviousWord, QTextCursor::KeepAnchor);
            break;
        case QKeySequence::DeleteEndOfWord:
            c.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
            break;
        case QKeySequence::DeleteEndOfLine:
            if (!c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor) || !c.hasSelection())
                c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
            break;
        default:
            c.movePosition(QTextCursor::StartOfBlock);
            c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            break;
        }
        setTextCursor(c);
    }
    if (!textCursor().hasSelection())
        return;
    undo_->NoteKeyDown(Qt::Key_Delete, QString());
    CRichEditCtrl::Clear();
    RecolorAfterKey(kDeleteKeyCode);
}

void CKESTRIX_2View::RecolorAfterKey(int key)
{
    const bool wasModified = GetModify();
    context_.colorizer.SetColors(commandColor_, commentColor_);
    context_.colorizer.RecolorCaretLine(this, key);
    context_.hooks.RescanSubs(this, FrameTitle());
    if (!wasModified)
        SetModify(false);
}

void CKESTRIX_2View::AfterTypedCharacter(int ch)
{
    const bool wasModified = GetModify();
    long s = 0, e = 0;
    GetSel(s, e);
    // Ctrl+P's character code (0x10) types nothing.
    if (ch != 0x10)
        RecolorAfterKey(ch);
    SetSel(s, e);
    ApplyEditorFontToWord();
    // Colouring is no change of the user's.
    if (!wasModified)
        SetModify(false);
}

void CKESTRIX_2View::ApplyEditorFontToWord()
{
    CharFormat format = editorFormat_;
    format.mask = CFM_FACE | CFM_SIZE | CFM_CHARSET;
    SetCharFormat(CharFormatTarget::Word, format);
}

void CKESTRIX_2View::keyReleaseEvent(QKeyEvent* event)
{
    CRichEditCtrl::keyReleaseEvent(event);
    const int key = event->key();
    if (key == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        if (!isReadOnly())
            RecolorAfterKey(kDeleteKeyCode);
    } else if (imeEnded_) {
        AfterComposition();
    }
    if (key == Qt::Key_F1) {
        // The selection without its spaces (only spaces: nothing to look
        // up); with nothing selected, the word at the caret.
        const std::string selection = GetSelText();
        std::string keyword = CHelpKeyword::FromSelection(selection);
        if (selection.empty()) {
            long start = 0, end = 0;
            GetSel(start, end);
            const long line = LineFromChar(end);
            keyword = CHelpKeyword::AtColumn(GetLine(line), std::size_t(std::max(0L, end - LineIndex(line))));
        }
        if (!keyword.empty())
            context_.hooks.KeywordLookup(keyword);
    }
}

void CKESTRIX_2View::inputMethodEvent(QInputMethodEvent* event)
{
    undo_->Bind(this);
    const bool preedit = !event->preeditString().isEmpty();
    const QString commit = event->commitString();
    // A composition starts with its first preedit text (or with a commit
    // that comes without one).
    if (!composing_ && !isReadOnly() && (preedit || !commit.isEmpty())) {
        composing_ = true;
        undo_->NoteCompositionStart();
    }
    CRichEditCtrl::inputMethodEvent(event);
    if (composing_ && !preedit) {
        composing_ = false;
        undo_->NoteCompositionEnd(int(sjis::Cp932Length(commit)));
        imeEnded_ = true;
        // The key that ended the composition may never reach the view (an
        // input method keeps it): the recolouring waits for the next key
        // release or the event loop, whichever comes first.
        QTimer::singleShot(0, this, [this] { AfterComposition(); });
    }
}

void CKESTRIX_2View::AfterComposition()
{
    if (!imeEnded_)
        return;
    imeEnded_ = false;
    long s = 0, e = 0;
    GetSel(s, e);
    long first = s;
    // The committed text runs from the record's start to the caret.
    if (undo_->CanUndo())
        first = std::min(first, undo_->Start());
    const auto [lineStart, lineEnd] = LineRange(first, e);
    RecolorLines(lineStart, lineEnd);
    context_.hooks.RescanSubs(this, FrameTitle());
    SetSel(s, e);
}

// ---- the pop-up menu ----

void CKESTRIX_2View::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(CreateEditMenu(this));
    QAction* chosen = menu->exec(event->globalPos());
    if (chosen)
        RunPopupCommand(chosen->data().toUInt());
    event->accept();
}

QMenu* CKESTRIX_2View::CreateEditMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QString::number(kEditMenuId));
    // The menu resource holds one pop-up; its items are the menu.
    const MenuResource& resource = ProgramResources::Menu(kEditMenuId);
    if (!resource.items.empty())
        AddEditMenuItems(menu, resource.items.front().items);
    return menu;
}

void CKESTRIX_2View::AddEditMenuItems(QMenu* menu, const std::vector<MenuItemResource>& items)
{
    for (const MenuItemResource& item : items) {
        if (item.IsSeparator()) {
            menu->addSeparator();
        } else if (item.IsPopup()) {
            AddEditMenuItems(menu->addMenu(QString::fromStdString(item.caption)), item.items);
        } else {
            QAction* action = menu->addAction(QString::fromStdString(item.caption));
            action->setData(item.id);
            CCmdUI ui(item.id);
            if (item.grayed)
                action->setEnabled(false);
            else if (OnUpdateCommand(ui) || (GetDocument() && GetDocument()->OnUpdateCommand(ui)))
                action->setEnabled(ui.Enabled());
        }
    }
}

void CKESTRIX_2View::RunPopupCommand(UINT id)
{
    if (OnCommand(id))
        return;
    if (CDocument* document = GetDocument())
        document->OnCommand(id);
}

// ---- commands ----

bool CKESTRIX_2View::OnCommand(UINT id)
{
    undo_->Bind(this);
    switch (id) {
    case ID_EDIT_PASTE: OnEditPaste(); return true;
    case ID_EDIT_CUT: OnEditCut(); return true;
    case ID_EDIT_UNDO: OnEditUndo(); return true;
    case ID_EDIT_COPY: Copy(); return true;
    case ID_EDIT_SELECT_ALL: SetSel(0, -1); return true;
    case ID_EDIT_FIND: OnFind(false); return true;
    case ID_EDIT_REPEAT: OnFindNext(); return true;
    case ID_EDIT_REPLACE: OnFind(true); return true;
    case ID_FILE_PRINT: OnPrint(false, false); return true;
    case ID_FILE_PRINT_DIRECT: OnPrint(true, false); return true;
    case ID_FILE_PRINT_PREVIEW: OnPrint(false, true); return true;
    case ID_SAVE_EUC: OnConvertedSave(2); return true;
    case ID_SAVE_JIS: OnConvertedSave(1); return true;
    case ID_SAVE_SJIS: OnConvertedSave(0); return true;
    default: return false;
    }
}

bool CKESTRIX_2View::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.Id()) {
    case ID_EDIT_UNDO: ui.Enable(undo_->CanUndo()); return true;
    case ID_EDIT_PASTE:
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
    case ID_EDIT_SELECT_ALL:
    case ID_EDIT_FIND:
    case ID_EDIT_REPEAT:
    case ID_EDIT_REPLACE:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_DIRECT:
    case ID_FILE_PRINT_PREVIEW:
    case ID_SAVE_EUC:
    case ID_SAVE_JIS:
    case ID_SAVE_SJIS: ui.Enable(); return true;
    default: return false;
    }
}

std::pair<long, long> CKESTRIX_2View::LineRange(long first, long last) const
{
    const long lastLine = LineIndex(LineFromChar(last));
    return {LineIndex(LineFromChar(first)), lastLine + LineLength(lastLine)};
}

void CKESTRIX_2View::RecolorLines(long first, long last)
{
    const bool wasModified = GetModify();
    long s = 0, e = 0;
    GetSel(s, e);
    context_.colorizer.SetColors(commandColor_, commentColor_);
    context_.colorizer.ColorLines(*this, first, last);
    SetSel(s, e);
    if (!wasModified)
        SetModify(false);
}

void CKESTRIX_2View::ReplaceSelectionRecorded(const std::function<void()>& insert)
{
    if (inRecordedEdit_) {
        insert();
        return;
    }
    inRecordedEdit_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{inRecordedEdit_};
    long s = 0, e = 0;
    GetSel(s, e);
    const auto [first, last] = LineRange(s, e);
    const std::string title = FrameTitle();
    const std::string before = GetTextRange(first, last);
    const std::string selected = GetSelText();
    const long lengthBefore = GetTextLength();
    if (before.find("sub ") != std::string::npos)
        context_.hooks.RemoveSubs(title, before);
    insert();
    long caret = 0, caretEnd = 0;
    GetSel(caret, caretEnd);
    // A paste that changed nothing (a full control) leaves the last edit
    // the one to undo.
    if (caretEnd != s || !selected.empty())
        undo_->Set(CEditUndoRecord::kInsertion, s, caretEnd, selected);
    const long newLast = last + (GetTextLength() - lengthBefore);
    context_.hooks.AddSubs(title, GetTextRange(first, newLast));
    RecolorLines(first, newLast);
    SetSel(caretEnd, caretEnd);
}

void CKESTRIX_2View::OnEditPaste()
{
    if (isReadOnly())
        return;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText() || data->text().isEmpty())
        return;
    ReplaceSelectionRecorded([this] { Paste(); });
}

bool CKESTRIX_2View::canInsertFromMimeData(const QMimeData* source) const
{
    if (source && source->hasUrls()) {
        const QList<QUrl> urls = source->urls();
        if (std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
            return false;
    }
    return CRichEditCtrl::canInsertFromMimeData(source);
}

void CKESTRIX_2View::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly() || !source || !source->hasText() || source->text().isEmpty())
        return;
    undo_->Bind(this);
    ReplaceSelectionRecorded([this, source] { CRichEditCtrl::insertFromMimeData(source); });
}

void CKESTRIX_2View::dropEvent(QDropEvent* event)
{
    // The drop goes in here rather than inside the control's own edit block,
    // where positions are not yet up to date for the recolouring.
    QDragLeaveEvent leave; // clears the drop caret
    CRichEditCtrl::dragLeaveEvent(&leave);
    const QMimeData* data = event->mimeData();
    if (isReadOnly() || !canInsertFromMimeData(data)) {
        event->ignore();
        return;
    }
    setTextCursor(cursorForPosition(event->position().toPoint()));
    insertFromMimeData(data);
    event->setDropAction(Qt::CopyAction);
    event->accept();
    setFocus();
}

void CKESTRIX_2View::OnEditCut()
{
    if (isReadOnly())
        return;
    long s = 0, e = 0;
    GetSel(s, e);
    if (e <= s)
        return;
    undo_->Set(CEditUndoRecord::kRemoval, s, s, GetSelText());
    const std::string title = FrameTitle();
    const auto [first, last] = LineRange(s, e);
    const std::string before = GetTextRange(first, last);
    if (before.find("sub ") != std::string::npos)
        context_.hooks.RemoveSubs(title, before);
    Cut();
    long ns = 0, ne = 0;
    GetSel(ns, ne);
    const auto [lineStart, lineEnd] = LineRange(ns, ne);
    const std::string after = GetTextRange(lineStart, lineEnd);
    if (after.find("sub") != std::string::npos)
        context_.hooks.AddSubs(title, after);
    RecolorLines(lineStart, lineEnd);
    SetSel(s, s);
}

void CKESTRIX_2View::OnEditUndo()
{
    if (!undo_->CanUndo())
        return;
    undo_->TakeBack();
    context_.hooks.RescanSubs(this, FrameTitle());
    const bool hidden = SelectionHidden();
    HideSelection(true);
    SetSel(undo_->Start(), undo_->End());
    const auto [first, last] = LineRange(undo_->Start(), undo_->End());
    HideSelection(hidden);
    RecolorLines(first, last);
    if (!undo_->Text().empty())
        SetSel(undo_->Start(), undo_->End());
    else
        SetSel(undo_->End(), undo_->End());
    EmptyUndoBuffer();
}

// ---- find and replace ----

void CKESTRIX_2View::OnFind(bool replace)
{
    if (findDialog_ && findDialog_->IsReplace() != replace) {
        findDialog_->close();
        delete findDialog_.data();
    }
    if (!findDialog_) {
        findDialog_ = new CFindReplaceDialog(replace, this);
        findDialog_->setAttribute(Qt::WA_DeleteOnClose);
        CFindReplaceDialog* dialog = findDialog_;
        connect(dialog, &CFindReplaceDialog::findNextRequested, this,
                [this, dialog] { FindNext(dialog->FindWhat(), dialog->MatchCase()); });
        connect(dialog, &CFindReplaceDialog::replaceRequested, this, [this, dialog] {
            ReplaceNext(dialog->FindWhat(), dialog->ReplaceWith(), dialog->MatchCase());
        });
        connect(dialog, &CFindReplaceDialog::replaceAllRequested, this, [this, dialog] {
            ReplaceAll(dialog->FindWhat(), dialog->ReplaceWith(), dialog->MatchCase());
        });
    }
    // A selection within one line is what the user wants to find.
    const std::string selected = GetSelText();
    if (!selected.empty() && selected.find('\r') == std::string::npos)
        findDialog_->SetFindWhat(selected);
    else if (!lastFind_.empty())
        findDialog_->SetFindWhat(lastFind_);
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
}

void CKESTRIX_2View::OnFindNext()
{
    if (lastFind_.empty()) {
        OnFind(false);
        return;
    }
    FindNext(lastFind_, lastMatchCase_);
}

bool CKESTRIX_2View::FindNext(const std::string& what, bool matchCase)
{
    if (what.empty())
        return false;
    lastFind_ = what;
    lastMatchCase_ = matchCase;
    long s = 0, e = 0;
    GetSel(s, e);
    const long at = FindText(FR_DOWN | (matchCase ? FR_MATCHCASE : 0), e, -1, what);
    if (at < 0) {
        SayNotFound(this, what);
        return false;
    }
    SetSel(at, at + long(what.size()));
    ensureCursorVisible();
    return true;
}

bool CKESTRIX_2View::ReplaceNext(const std::string& what, const std::string& with, bool matchCase)
{
    if (what.empty())
        return false;
    long s = 0, e = 0;
    GetSel(s, e);
    const DWORD flags = FR_DOWN | (matchCase ? FR_MATCHCASE : 0);
    if (!isReadOnly() && e - s == long(what.size()) && FindText(flags, s, e, what) == s)
        ReplaceSelectionRecorded([this, &with] { ReplaceSel(with); });
    return FindNext(what, matchCase);
}

int CKESTRIX_2View::ReplaceAll(const std::string& what, const std::string& with, bool matchCase)
{
    if (what.empty())
        return 0;
    lastFind_ = what;
    lastMatchCase_ = matchCase;
    const DWORD flags = FR_DOWN | (matchCase ? FR_MATCHCASE : 0);
    int count = 0;
    long from = 0;
    while (!isReadOnly()) {
        const long at = FindText(flags, from, -1, what);
        if (at < 0)
            break;
        SetSel(at, at + long(what.size()));
        ReplaceSelectionRecorded([this, &with] { ReplaceSel(with); });
        long caret = 0, caretEnd = 0;
        GetSel(caret, caretEnd);
        ++count;
        // Go on after the new text, which may hold the text searched for.
        if (!with.empty() && caretEnd <= at)
            break; // the control is full: nothing more goes in
        from = caretEnd;
    }
    if (count == 0)
        SayNotFound(this, what);
    return count;
}

// ---- saving a converted copy and printing ----

void CKESTRIX_2View::OnConvertedSave(int kind)
{
    auto* document = dynamic_cast<CKESTRIX_2Doc*>(GetDocument());
    if (!document)
        return;
    static constexpr const char* kTitles[] = {
        "漢字コードをSJISに変換して保存", "漢字コードをJISに変換して保存", "漢字コードをEUCに変換して保存"};
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.owner = this;
    request.title = J(kTitles[std::clamp(kind, 0, 2)]);
    request.filter = "CGI FILE (*.cgi) | *.cgi| PL FILE (*.pl)|*.pl||";
    request.defaultExtension = ".cgi";
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
    request.initialName = CutToBytes(FrameTitle(), kMaxInitialName);
    // The copy is usually wanted beside the script.
    if (!document->GetPathName().empty())
        request.initialFolder = std::filesystem::path(document->GetPathName()).parent_path().string();
    const std::optional<std::string> chosen = UiService::Current().FileDialog(request);
    if (!chosen)
        return;
    document->SaveConverted(kind, *chosen);
}

void CKESTRIX_2View::OnPrint(bool direct, bool preview)
{
    // Every script prints on the program's printer, the one printer set-up
    // chose, with the view's half-inch margins.
    QPrinter& printer = ProgramPrinter();
    const double margin = printMarginTwips_ / 1440.0 * 25.4;
    printer.setPageMargins(QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
    printer.setDocName(sjis::ToUnicode(FrameTitle()));
    if (preview) {
        UiService::Current().PrintPreview(this, printer, [this](QPrinter* target) { print(target); });
        return;
    }
    if (!direct) {
        if (!UiService::Current().PrintDialog(this, printer))
            return;
    } else if (!printer.isValid()) {
        MessageBox(this, J("プリンターが見つかりません。"), "Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    print(&printer);
}
