// The Japanese faces of the program on this system. Settings written on Windows name faces
// such as "ＭＳ　明朝" (the editor's default) or "ＭＳ ゴシック" (the face the
// coloured stream gives double-byte text); where such a face is not installed
// an installed Japanese family draws it instead. The face names themselves
// stay as they are in the settings, in the coloured stream and in RTF files
// saved by the editor: Qt's font substitution maps them when text is drawn.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <string>

class CFaceSubstitution {
public:
    // The family that draws a face (code page 932): the face itself when it
    // is installed, else an installed Japanese family of the same kind
    // (mincho or gothic, proportional or fixed) for a well-known Windows
    // Japanese face, else an empty string.
    static QString InstalledFamilyFor(const std::string& face);
    // The same, choosing among the given installed families.
    static QString FamilyFor(const QString& face, const QStringList& installed);

    // Registers the substitution of every well-known Windows Japanese face
    // that is not installed, and of the given face (code page 932), so that
    // text formats naming them draw in an installed family. Registering
    // twice does no harm.
    static void InstallSubstitutions(const std::string& face = {});

    // A font of the given face and size that draws here: the face keeps its
    // name (as the program shows and stores it) and the well-known Windows
    // faces are substituted once for the whole program.
    static QFont Font(const QString& face, qreal pointSize);
};
