// Packs the artwork for the program at build time: reads the pictures (resources/art/*.json) and
// the sign table, takes every glyph's outline from the bundled fonts, and writes it all as one
// packed book that the program reads at start-up without parsing or asking a font for outlines.
//
//   qdartpack OUTPUT.bin

#include "art/artbook.h"

#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fputs("usage: qdartpack OUTPUT.bin\n", stderr);
        return 2;
    }
    const qd::art::ArtBook book = qd::art::ArtBook::fromSources();
    if (!book.loadErrors().isEmpty()) {
        std::fprintf(stderr, "qdartpack: %s", qPrintable(book.loadErrors()));
        return 1;
    }
    QSaveFile out(args.at(1));
    if (!out.open(QIODevice::WriteOnly) || out.write(book.packed()) < 0 || !out.commit()) {
        std::fprintf(stderr, "qdartpack: cannot write %s\n", qPrintable(args.at(1)));
        return 1;
    }
    return 0;
}
