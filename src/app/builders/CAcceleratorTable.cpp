#include "app/builders/CAcceleratorTable.h"

#include <QKeyEvent>

namespace {

// The Qt keys of the virtual keys that are neither letters, digits nor
// function keys. VK_RETURN is the main and the keypad Enter key alike.
struct KeyOfVirtualKey {
    UINT virtualKey;
    Qt::Key key;
};
constexpr KeyOfVirtualKey kKeys[] = {
    {0x08, Qt::Key_Backspace}, {0x09, Qt::Key_Tab},      {0x0C, Qt::Key_Clear},  {0x0D, Qt::Key_Return},
    {0x0D, Qt::Key_Enter},     {0x13, Qt::Key_Pause},    {0x1B, Qt::Key_Escape}, {0x20, Qt::Key_Space},
    {0x21, Qt::Key_PageUp},    {0x22, Qt::Key_PageDown}, {0x23, Qt::Key_End},    {0x24, Qt::Key_Home},
    {0x25, Qt::Key_Left},      {0x26, Qt::Key_Up},       {0x27, Qt::Key_Right},  {0x28, Qt::Key_Down},
    {0x2D, Qt::Key_Insert},    {0x2E, Qt::Key_Delete},   {0x2F, Qt::Key_Help},   {0x6A, Qt::Key_Asterisk},
    {0x6B, Qt::Key_Plus},      {0x6D, Qt::Key_Minus},    {0x6E, Qt::Key_Period}, {0x6F, Qt::Key_Slash},
};

// The Qt keys a virtual key stands for (none for a code Qt has no key of).
std::vector<Qt::Key> KeysOfVirtualKey(UINT vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return {Qt::Key(Qt::Key_A + int(vk - 'A'))};
    if (vk >= '0' && vk <= '9')
        return {Qt::Key(Qt::Key_0 + int(vk - '0'))};
    if (vk >= 0x60 && vk <= 0x69) // the keypad's digits; the keypad itself does not count
        return {Qt::Key(Qt::Key_0 + int(vk - 0x60))};
    if (vk >= 0x70 && vk <= 0x87)
        return {Qt::Key(Qt::Key_F1 + int(vk - 0x70))};
    std::vector<Qt::Key> keys;
    for (const KeyOfVirtualKey& entry : kKeys)
        if (entry.virtualKey == vk)
            keys.push_back(entry.key);
    return keys;
}

} // namespace

std::vector<QKeyCombination> CAcceleratorTable::KeysOf(const AcceleratorResource& accelerator)
{
    std::vector<QKeyCombination> combinations;
    if (accelerator.virtKey) {
        Qt::KeyboardModifiers modifiers;
        if (accelerator.control)
            modifiers |= Qt::ControlModifier;
        if (accelerator.shift)
            modifiers |= Qt::ShiftModifier;
        if (accelerator.alt)
            modifiers |= Qt::AltModifier;
        for (Qt::Key key : KeysOfVirtualKey(accelerator.key))
            combinations.emplace_back(modifiers, key);
    } else if (accelerator.key >= 1 && accelerator.key <= 26) {
        // A control character: Ctrl and its letter.
        combinations.emplace_back(Qt::ControlModifier, Qt::Key(Qt::Key_A + int(accelerator.key - 1)));
    } else if (accelerator.key >= 'A' && accelerator.key <= 'Z') {
        combinations.emplace_back(Qt::ShiftModifier, Qt::Key(Qt::Key_A + int(accelerator.key - 'A')));
    } else if (accelerator.key >= 'a' && accelerator.key <= 'z') {
        combinations.emplace_back(Qt::NoModifier, Qt::Key(Qt::Key_A + int(accelerator.key - 'a')));
    } else if (accelerator.key >= 0x20 && accelerator.key < 0x7F) {
        // Other characters are Qt keys of their own code.
        combinations.emplace_back(Qt::NoModifier, Qt::Key(accelerator.key));
    }
    return combinations;
}

CAcceleratorTable::CAcceleratorTable(const std::vector<AcceleratorResource>& resource)
{
    for (const AcceleratorResource& accelerator : resource)
        for (QKeyCombination key : KeysOf(accelerator))
            entries_.push_back({key, accelerator.id});
}

std::optional<UINT> CAcceleratorTable::Find(QKeyCombination key) const
{
    const QKeyCombination plain(key.keyboardModifiers() & ~Qt::KeypadModifier, key.key());
    for (const Entry& entry : entries_)
        if (entry.key == plain)
            return entry.id;
    return std::nullopt;
}

std::optional<UINT> CAcceleratorTable::Find(const QKeyEvent& event) const
{
    return Find(event.keyCombination());
}
