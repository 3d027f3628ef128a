// The command ids and the main frame's resources in the resource script
// (src/res/kestrix.rc): its accelerator table, toolbar and strings, the
// strings in the code page the program works in. The menus themselves come
// from ProgramResources::Menu with the ids below.
#pragma once

#include "platform/resources/CResourceScript.h"

#include <QSize>
#include <string>
#include <vector>

// The command ids the menus, keys and buttons send.
namespace cmd {
inline constexpr UINT kFileNew = 57600;
inline constexpr UINT kFileOpen = 57601;
inline constexpr UINT kFileClose = 57602;
inline constexpr UINT kFileSave = 57603;
inline constexpr UINT kFileSaveAs = 57604;
inline constexpr UINT kFilePrintSetup = 57606;
inline constexpr UINT kFilePrint = 57607;
inline constexpr UINT kFilePrintPreview = 57609;
inline constexpr UINT kFileRecent1 = 57616; // the recent files take 57616 ... 57619
inline constexpr UINT kFileProperties = 57860;
inline constexpr UINT kEditCopy = 57634;
inline constexpr UINT kEditCut = 57635;
inline constexpr UINT kEditFind = 57636;
inline constexpr UINT kEditPaste = 57637;
inline constexpr UINT kEditRepeat = 57640;
inline constexpr UINT kEditReplace = 57641;
inline constexpr UINT kEditSelectAll = 57642;
inline constexpr UINT kEditUndo = 57643;
inline constexpr UINT kWindowNew = 57648;
inline constexpr UINT kWindowArrange = 57649;
inline constexpr UINT kWindowCascade = 57650;
inline constexpr UINT kWindowTile = 57651;
inline constexpr UINT kAppAbout = 57664;
inline constexpr UINT kAppExit = 57665;
inline constexpr UINT kNextPane = 57680;
inline constexpr UINT kPrevPane = 57681;
inline constexpr UINT kViewToolBar = 59392;
inline constexpr UINT kNothing = 32768;
inline constexpr UINT kProjectOpen = 32771;
inline constexpr UINT kProjectNew = 32778;
inline constexpr UINT kProjectClose = 32779;
inline constexpr UINT kToggleWorkspace = 32780;
inline constexpr UINT kSettings = 32781;
inline constexpr UINT kSaveAsEuc = 32784;
inline constexpr UINT kSaveAsJis = 32786;
inline constexpr UINT kSaveAsSjis = 32787;
inline constexpr UINT kProjectSave = 32789;
inline constexpr UINT kProjectPublish = 32820;
inline constexpr UINT kToggleDebugBar = 32792;
inline constexpr UINT kHelpContents = 32795;
// The open windows listed at the end of the window menu: 0xFF00 ... 0xFF08.
inline constexpr UINT kFirstMdiChild = 0xFF00;
inline constexpr int kMaxListedWindows = 9;
inline constexpr int kRecentFileCount = 4;

// The place in its list of a recent file's command (0 for 57616) or of a
// listed window's (0 for 0xFF00); -1 for any other command.
constexpr int RecentFileIndex(UINT id)
{
    return id >= kFileRecent1 && id < kFileRecent1 + kRecentFileCount ? int(id - kFileRecent1) : -1;
}
constexpr int ListedWindowIndex(UINT id)
{
    return id >= kFirstMdiChild && id < kFirstMdiChild + kMaxListedWindows ? int(id - kFirstMdiChild) : -1;
}
} // namespace cmd

class CMenuResources {
public:
    static constexpr UINT kNoDocumentMenu = 128;
    static constexpr UINT kDocumentMenu = 129;
    // The main frame's accelerator table and toolbar resources.
    static constexpr UINT kMainFrameResource = 128;
    // The toolbar window's id, its object name.
    static constexpr UINT kToolBar = 0xE800;

    static const std::vector<AcceleratorResource>& Accelerators();
    // The toolbar's buttons in order; 0 is a separator.
    static const std::vector<UINT>& ToolBarButtons();
    // The size of the toolbar's button pictures.
    static QSize ToolBarButtonSize();
    // The string of an id, code page 932; for a command "prompt\ntooltip".
    // Empty when the table has none.
    static std::string String(UINT id);
    // The tooltip part of a command's string.
    static std::string ToolTip(UINT id);
    // The document template's string (resource 129), code page 932.
    static std::string DocumentString();
};
