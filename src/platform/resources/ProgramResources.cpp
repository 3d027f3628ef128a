#include "platform/resources/ProgramResources.h"

#include <QFile>
#include <QtGlobal>

// The script is a resource of this static library: registered by hand, as
// nothing else would pull its registration into the program. (The macro
// declares a function of the global namespace, so this stays outside the
// unnamed one.)
static void RegisterScript()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

const char* const kScriptPath = ":/res/kestrix.rc";

CResourceScript Load()
{
    RegisterScript();
    QFile file(QString::fromLatin1(kScriptPath));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("%s cannot be read: %s", kScriptPath, qPrintable(file.errorString()));
    const QByteArray text = file.readAll();
    try {
        return CResourceScript::Parse(std::string_view(text.constData(), std::size_t(text.size())),
                                      "kestrix.rc");
    } catch (const CResourceScript::Error& error) {
        qFatal("%s", error.what());
    }
}

template <typename T> const T& Required(const T* resource, const char* what, UINT id)
{
    if (!resource)
        qFatal("kestrix.rc has no %s %u", what, id);
    return *resource;
}

} // namespace

const CResourceScript& ProgramResources::Script()
{
    static const CResourceScript script = Load();
    return script;
}

const MenuResource& ProgramResources::Menu(UINT id)
{
    return Required(Script().Menu(id), "menu", id);
}

const std::vector<AcceleratorResource>& ProgramResources::Accelerators(UINT id)
{
    return Required(Script().Accelerators(id), "accelerator table", id);
}

const ToolBarResource& ProgramResources::ToolBar(UINT id)
{
    return Required(Script().ToolBar(id), "toolbar", id);
}

const DialogResource& ProgramResources::Dialog(UINT id)
{
    return Required(Script().Dialog(id), "dialog", id);
}

std::string ProgramResources::String(UINT id)
{
    return Script().String(id);
}
