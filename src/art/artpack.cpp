// Packs the artwork for the program at build time: reads the pictures (resources/art/*.json) and
// the sign table, takes every glyph's outline from the bundled fonts, and writes it all as one
// packed book that the program reads at start-up without parsing or asking a font for outlines.
//
//   qdartpack ARTBOOK.bin SIGNS.bin

#include "art/artbook.h"
#include "art/signtable.h"

#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fputs("usage: qdartpack ARTBOOK.bin SIGNS.bin\n", stderr);
        return 2;
    }
    const qd::art::ArtBook book = qd::art::ArtBook::fromSources();
    if (!book.loadErrors().isEmpty()) {
        std::fprintf(stderr, "qdartpack: %s", qPrintable(book.loadErrors()));
        return 1;
    }
    const QList<QPair<QString, QByteArray>> outputs{{args.at(1), book.packed()},
                                                    {args.at(2), qd::art::SignTable::instance().packed()}};
    for (const auto &[path, data] : outputs) {
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(data) < 0 || !out.commit()) {
            std::fprintf(stderr, "qdartpack: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
