#include "app/CMenuResources.h"

#include "platform/Sjis.h"

#include <algorithm>
#include <map>

namespace {

using Item = MenuItemResource;
const Item kSeparator{};

Item Command(UINT id, const char* caption)
{
    return Item{id, caption, {}};
}
Item Popup(const char* caption, std::vector<Item> items)
{
    return Item{0, caption, std::move(items)};
}

// Menu 128: the menu while no document is open.
MenuResource NoDocumentMenu()
{
    return MenuResource{
        CMenuResources::kNoDocumentMenu,
        {
            Popup("ファイル(&F)",
                  {
                      Command(cmd::kFileNew, "新規作成(&N)\tCtrl+N"),
                      Command(cmd::kFileOpen, "開く(&O)...\tCtrl+O"),
                      kSeparator,
                      Command(cmd::kProjectOpen, "プロジェクトを開く"),
                      Command(cmd::kProjectNew, "プロジェクトの新規作成"),
                      Command(cmd::kProjectSave, "プロジェクトの保存"),
                      Command(cmd::kProjectClose, "プロジェクトを閉じる"),
                      kSeparator,
                      Command(cmd::kSettings, "設定"),
                      kSeparator,
                      Command(cmd::kFilePrintSetup, "ﾌﾟﾘﾝﾀの設定(&R)..."),
                      kSeparator,
                      Command(cmd::kFileRecent1, "最近使ったﾌｧｲﾙ"),
                      kSeparator,
                      Command(cmd::kAppExit, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"),
                  }),
            Popup("表示(&V)",
                  {
                      Command(cmd::kViewToolBar, "ﾂｰﾙ ﾊﾞｰ(&T)"),
                      Command(cmd::kToggleWorkspace, "ツールウィンドウの表示/非表示"),
                      Command(cmd::kToggleDebugBar, "デバッグウィンドウの表示/非表示"),
                  }),
            Popup("ﾍﾙﾌﾟ(&H)",
                  {
                      Command(cmd::kHelpContents, "操作説明"),
                      Command(cmd::kAppAbout, "KESTRIX_2 のﾊﾞｰｼﾞｮﾝ情報(&A)..."),
                  }),
        },
    };
}

// Menu 129: the menu while a document is open.
MenuResource DocumentMenu()
{
    return MenuResource{
        CMenuResources::kDocumentMenu,
        {
            Popup("ファイル(&F)",
                  {
                      Command(cmd::kFileNew, "新規作成"),
                      Command(cmd::kFileOpen, "開く"),
                      Command(cmd::kFileClose, "閉じる(&C)"),
                      Command(cmd::kFileSave, "上書き保存(&S)\tCtrl+S"),
                      Command(cmd::kFileSaveAs, "名前を付けて保存(&A)..."),
                      kSeparator,
                      Command(cmd::kSaveAsEuc, "EUCコードに変換して保存"),
                      Command(cmd::kSaveAsJis, "JISコードに変換して保存"),
                      Command(cmd::kSaveAsSjis, "SJISコードに変換して保存"),
                      kSeparator,
                      Command(cmd::kProjectOpen, "プロジェクトを開く"),
                      Command(cmd::kProjectNew, "プロジェクトの新規作成"),
                      Command(cmd::kProjectClose, "プロジェクトを閉じる"),
                      kSeparator,
                      Command(cmd::kSettings, "設定"),
                      kSeparator,
                      Command(cmd::kFilePrint, "印刷(&P)...\tCtrl+P"),
                      Command(cmd::kFilePrintPreview, "印刷ﾌﾟﾚﾋﾞｭｰ(&V)"),
                      Command(cmd::kFilePrintSetup, "ﾌﾟﾘﾝﾀの設定(&R)..."),
                      kSeparator,
                      Command(cmd::kFileRecent1, "最近使ったﾌｧｲﾙ"),
                      kSeparator,
                      Command(cmd::kAppExit, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"),
                  }),
            Popup("編集(&E)",
                  {
                      Command(cmd::kEditUndo, "元に戻す(&U)\tCtrl+Z"),
                      kSeparator,
                      Command(cmd::kEditCut, "切り取り(&T)\tCtrl+X"),
                      Command(cmd::kEditCopy, "ｺﾋﾟｰ(&C)\tCtrl+C"),
                      Command(cmd::kEditPaste, "貼り付け(&P)\tCtrl+V"),
                      Command(cmd::kEditSelectAll, "すべて選択(&L)\tCtrl+A"),
                      kSeparator,
                      Command(cmd::kEditFind, "検索(&F)...\tCtrl+F"),
                      Command(cmd::kEditRepeat, "次を検索(&I)\tF3"),
                      Command(cmd::kEditReplace, "置換(&E)\tCtrl+H"),
                  }),
            Popup("表示(&V)",
                  {
                      Command(cmd::kViewToolBar, "ﾂｰﾙ ﾊﾞｰ(&T)"),
                      Command(cmd::kToggleWorkspace, "ツールウィンドウの表示切替"),
                      Command(cmd::kToggleDebugBar, "デバッグウィンドウの表示/非表示"),
                  }),
            Popup("ｳｨﾝﾄﾞｳ(&W)",
                  {
                      Command(cmd::kWindowNew, "新しいｳｨﾝﾄﾞｳを開く(&N)"),
                      Command(cmd::kWindowCascade, "重ねて表示(&C)"),
                      Command(cmd::kWindowTile, "並べて表示(&T)"),
                      Command(cmd::kWindowArrange, "ｱｲｺﾝの整列(&A)"),
                  }),
            Popup("ﾍﾙﾌﾟ(&H)",
                  {
                      Command(cmd::kHelpContents, "操作説明"),
                      Command(cmd::kAppAbout, "KESTRIX_2 のﾊﾞｰｼﾞｮﾝ情報(&A)..."),
                  }),
        },
    };
}

// The accelerator table. Two keys may send one command (Ctrl+Z and
// Alt+Backspace); Alt+Enter is listed for the main and the keypad Enter.
const std::vector<AcceleratorResource> kAccelerators{
    {"Ctrl+N", cmd::kFileNew},
    {"Ctrl+O", cmd::kFileOpen},
    {"Ctrl+S", cmd::kFileSave},
    {"Ctrl+P", cmd::kFilePrint},
    {"Ctrl+Z", cmd::kEditUndo},
    {"Alt+Backspace", cmd::kEditUndo},
    {"Ctrl+X", cmd::kEditCut},
    {"Shift+Del", cmd::kEditCut},
    {"Ctrl+C", cmd::kEditCopy},
    {"Ctrl+Ins", cmd::kEditCopy},
    {"Ctrl+V", cmd::kEditPaste},
    {"Shift+Ins", cmd::kEditPaste},
    {"Ctrl+A", cmd::kEditSelectAll},
    {"Ctrl+F", cmd::kEditFind},
    {"F3", cmd::kEditRepeat},
    {"Ctrl+H", cmd::kEditReplace},
    {"Alt+Return", cmd::kFileProperties},
    {"Alt+Enter", cmd::kFileProperties},
    {"F6", cmd::kNextPane},
    {"Shift+F6", cmd::kPrevPane},
    {"Esc", cmd::kNothing},
};

const std::vector<UINT> kToolBarButtons{
    cmd::kFileNew,   cmd::kFileOpen,
    cmd::kFileSave,  0,
    cmd::kEditCut,   cmd::kEditCopy,
    cmd::kEditPaste, 0,
    cmd::kFilePrint, 0,
    cmd::kAppAbout,
};

// The string table: for a command, the prompt and after "\n" its tooltip.
const std::map<UINT, const char*> kStrings{
    {128, "KESTRIX ver2.0"},
    {129, "\nKESTRI\nKESTRI\nKESTRI ﾌｧｲﾙ (*.cgi)\n.cgi\nKESTRIX2.Document\nKESTRI Document"},
    {cmd::kFileNew, "新しいﾌｧｲﾙを作ります\n新規作成"},
    {cmd::kFileOpen, "ﾌｧｲﾙを開きます\n開く"},
    {cmd::kFileSave, "ｱｸﾃｨﾌﾞなﾌｧｲﾙを上書き保存します\n上書き保存"},
    {cmd::kEditCut, "選択範囲を切り取ってｸﾘｯﾌﾟﾎﾞｰﾄﾞに入れます\n切り取り"},
    {cmd::kEditCopy, "選択範囲をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします\nｺﾋﾟｰ"},
    {cmd::kEditPaste, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付けます\n貼り付け"},
    {cmd::kFilePrint, "ｱｸﾃｨﾌﾞなﾌｧｲﾙを印刷します\n印刷"},
    {cmd::kAppAbout, "ﾌﾟﾛｸﾞﾗﾑのﾊﾞｰｼﾞｮﾝ情報を表示します\nﾊﾞｰｼﾞｮﾝ情報"},
};

const std::vector<UINT> kDocumentCommands{
    cmd::kFileSave,  cmd::kFileSaveAs,       cmd::kSaveAsEuc, cmd::kSaveAsJis,  cmd::kSaveAsSjis,
    cmd::kFilePrint, cmd::kFilePrintPreview, cmd::kEditUndo,  cmd::kEditCut,    cmd::kEditCopy,
    cmd::kEditPaste, cmd::kEditSelectAll,    cmd::kEditFind,  cmd::kEditRepeat, cmd::kEditReplace,
};

} // namespace

const MenuResource& CMenuResources::Menu(UINT id)
{
    static const MenuResource noDocument = NoDocumentMenu();
    static const MenuResource document = DocumentMenu();
    return id == kDocumentMenu ? document : noDocument;
}

const std::vector<AcceleratorResource>& CMenuResources::Accelerators()
{
    return kAccelerators;
}

const std::vector<UINT>& CMenuResources::ToolBarButtons()
{
    return kToolBarButtons;
}

std::string CMenuResources::String(UINT id)
{
    auto it = kStrings.find(id);
    return it == kStrings.end() ? std::string() : sjis::FromUtf8(it->second);
}

std::string CMenuResources::ToolTip(UINT id)
{
    const std::string text = String(id);
    const auto newline = text.find('\n');
    return newline == std::string::npos ? text : text.substr(newline + 1);
}

std::string CMenuResources::DocumentString()
{
    return String(kDocumentMenu);
}

bool CMenuResources::IsDocumentCommand(UINT id)
{
    return std::find(kDocumentCommands.begin(), kDocumentCommands.end(), id) != kDocumentCommands.end();
}
