// The single colouring engine of the program. It keeps the command table read
// from "keydata.dat" and the command-tip switch, and colours scripts in two
// ways: a whole file as one coloured RTF stream loaded in one go, and the
// lines touched by an edit by painting character ranges of the control.
//
// keydata.dat is read by CCommandDataReader.
#pragma once

#include "editor/CColorStreamBuilder.h"
#include "editor/CWordScanner.h"
#include "platform/base/WinTypes.h"

#include <memory>
#include <string>
#include <string_view>

class CLineReader;
class CRichEditCtrl;
class CommandTipWindow;
class QWidget;

class CSyntaxColorizer {
public:
    static constexpr COLORREF kDefaultColor = 0x00000000;

    CSyntaxColorizer();
    ~CSyntaxColorizer();
    CSyntaxColorizer(const CSyntaxColorizer&) = delete;
    CSyntaxColorizer& operator=(const CSyntaxColorizer&) = delete;

    // ---- command data ----

    // Gives the engine the tooltip window it creates when the command data
    // is loaded. Without one the load has nothing to create and goes on.
    void SetTipWindow(std::unique_ptr<CommandTipWindow> window);
    CommandTipWindow* TipWindow() const { return tipWindow_.get(); }

    // Creates the tooltip window, reads "TIP_Flag", finds "keydata.dat" by
    // the data-file search order and loads it. False when any step fails.
    bool LoadCommandData(QWidget* parentFrame);

    // Loads the command file at the path into the table (the last step of
    // LoadCommandData). Shows the path in an "Error" box when the file
    // cannot be opened; false without a message for an empty file.
    bool LoadCommandFile(const std::string& path);

    // The tip text of a command word, empty when the word is no command.
    std::string LookupCommand(const std::string& word) const;
    std::size_t CommandCount() const { return commands_.size(); }

    // The command-tip switch: tips are shown only while it equals 1.
    BYTE TipSwitch() const { return tipSwitch_; }
    void SetTipSwitch(bool on) { tipSwitch_ = on ? 1 : 0; }

    // ---- font and colours, copied in from the editor view ----

    // The editor font: the height in twips becomes whole points, doubled.
    void SetFont(const std::string& face, LONG heightTwips, BYTE charSet);
    void SetColors(COLORREF commandColor, COLORREF commentColor);
    int FontSizeHalfPoints() const { return font_.halfPoints; }
    BYTE CharSet() const { return font_.charSet; }
    COLORREF CommentColor() const { return font_.commentColor; }
    COLORREF CommandColor() const { return font_.commandColor; }

    // ---- colouring ----

    // True when a file is in EUC-JP or JIS and its lines are converted to
    // Shift-JIS as they are coloured; the code is judged on the whole file.
    static bool NeedsConversion(std::string_view file);
    // The whole coloured stream of a plain-text file, each line converted
    // to Shift-JIS first when convert says the file is in another code (as
    // NeedsConversion judges it, by default).
    std::string BuildStream(CLineReader& reader, bool convert) const;
    std::string BuildStream(CLineReader& reader) const;
    // Builds the stream of a plain-text file and loads it into the control.
    bool BuildFromPlainText(CRichEditCtrl& control, CLineReader& reader, bool convert) const;
    // Re-colours a document loaded as RTF from the control's own text.
    bool BuildFromControl(CRichEditCtrl& control) const;
    // Paints [first, last) in one colour, leaving no undo history.
    void ColorRange(CRichEditCtrl& control, long first, long last, COLORREF color) const;
    // Paints comments and command words within [first, last); a command
    // word that ends at the caret (not -1) has its tip shown. A comment runs
    // to the end of the range, over any lines after its own.
    void ColorWords(CRichEditCtrl& control, long first, long last, long caret);
    // Paints the whole lines [first, last) in the default colour, then the
    // comments and command words of each line on its own: there a comment
    // ends with its line, and so does an unclosed string.
    void ColorLines(CRichEditCtrl& control, long first, long last);
    // Recolours the caret's line after a key (13 for Enter, which recolours
    // the split line too). False only without a control.
    bool RecolorCaretLine(CRichEditCtrl* control, int key);

private:
    CommandTable commands_;
    BYTE tipSwitch_ = 1;
    ColorStreamFont font_{"Times New Roman"};
    std::unique_ptr<CommandTipWindow> tipWindow_;
};
