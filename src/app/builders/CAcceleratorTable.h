// The accelerator table: which key sends which command. The main frame
// looks each key press of its window up here before the focused control
// gets it, as accelerators are translated ahead of the controls.
#pragma once

#include "platform/resources/CResourceScript.h"

#include <QKeyCombination>
#include <optional>
#include <vector>

class QKeyEvent;

class CAcceleratorTable {
public:
    explicit CAcceleratorTable(const std::vector<AcceleratorResource>& resource);

    // The Qt keys of an accelerator: one, or two for VK_RETURN (the main
    // and the keypad Enter), or none for a key Qt does not know.
    static std::vector<QKeyCombination> KeysOf(const AcceleratorResource& accelerator);

    // The command of a key with its modifiers (the keypad modifier does not
    // count), or nothing.
    std::optional<UINT> Find(QKeyCombination key) const;
    std::optional<UINT> Find(const QKeyEvent& event) const;

private:
    struct Entry {
        QKeyCombination key;
        UINT id;
    };
    std::vector<Entry> entries_;
};
