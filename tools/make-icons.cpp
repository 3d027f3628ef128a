// Draws the program's icon for the desktop's icon theme: one PNG per size,
// OUTPUT/<size>x<size>/apps/kestrix.png, the same emblem the program's window
// shows.
//
//   make-icons OUTPUT
#include "app/builders/CIconPainter.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: make-icons OUTPUT\n", stderr);
        return 2;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        const QString file = folder + QStringLiteral("/kestrix.png");
        if (!QDir().mkpath(folder) || !CIconPainter::ProgramIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "make-icons: cannot write %s\n", file.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
