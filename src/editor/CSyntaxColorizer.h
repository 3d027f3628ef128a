// The single colouring engine of the program, which also keeps the command
// table read from "keydata.dat" and the command-tip switch.
//
// keydata.dat is one block of code page 932 text made of records
// "word=tip 1:tip 2:/". The loader walks it byte by byte: "/" stores the pair
// and starts the next key, "=" switches to the value, every other byte is
// taken literally (line breaks included, so a break after "/" becomes part of
// the next key). A second "=" in a record is dropped, text after the last "/"
// is ignored, and a NUL ends the data.
#pragma once

#include "editor/CWordScanner.h"
#include "platform/WinTypes.h"

#include <memory>
#include <string>

class CommandTipWindow;
class QWidget;

class CSyntaxColorizer {
public:
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
    const CommandTable& Commands() const { return commands_; }
    std::size_t CommandCount() const { return commands_.size(); }

    // The command-tip switch: tips are shown only while it equals 1.
    BYTE TipSwitch() const { return tipSwitch_; }
    void SetTipSwitch(bool on) { tipSwitch_ = on ? 1 : 0; }

private:
    CommandTable commands_;
    BYTE tipSwitch_ = 1;
    std::unique_ptr<CommandTipWindow> tipWindow_;
};
