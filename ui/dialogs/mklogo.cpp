// mklogo OUTDIR: writes the splash pictures LOGOFr.BMP and LOGOEn.BMP.

#include "logo.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = QCoreApplication::arguments().value(1, QStringLiteral("."));
    for (const char* lang : {"Fr", "En"}) {
        const QString file = out + QStringLiteral("/LOGO") + QString::fromLatin1(lang) + QStringLiteral(".BMP");
        if (!mx::ui::DrawLogo(QString::fromLatin1(lang)).save(file, "BMP")) {
            std::fprintf(stderr, "mklogo: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
