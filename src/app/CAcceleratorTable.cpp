#include "app/CAcceleratorTable.h"

#include <QKeyEvent>

CAcceleratorTable::CAcceleratorTable(const std::vector<AcceleratorResource>& resource)
{
    for (const AcceleratorResource& accelerator : resource)
        entries_.push_back(
            {QKeySequence::fromString(QString::fromLatin1(accelerator.keys), QKeySequence::PortableText),
             accelerator.id});
}

std::optional<UINT> CAcceleratorTable::Find(QKeyCombination key) const
{
    const QKeyCombination plain(key.keyboardModifiers() & ~Qt::KeypadModifier, key.key());
    for (const Entry& entry : entries_)
        if (entry.keys.count() == 1 && entry.keys[0] == plain)
            return entry.id;
    return std::nullopt;
}

std::optional<UINT> CAcceleratorTable::Find(const QKeyEvent& event) const
{
    return Find(event.keyCombination());
}
