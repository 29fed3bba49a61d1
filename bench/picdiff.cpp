// qdpicdiff: compares two directories of screenshots (`qdclient --screenshot DIR`) pixel by
// pixel, so that a change meant to make drawing cheaper can show that it changed nothing.
//
//   qdpicdiff BEFORE_DIR AFTER_DIR
//
// Prints one line per picture: identical, or how many pixels differ, the largest difference of
// one channel and the rectangle that holds them all. Exits 1 when any picture differs or is
// missing on one side.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QRect>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fputs("usage: qdpicdiff BEFORE_DIR AFTER_DIR\n", stderr);
        return 2;
    }
    const QDir before(args.at(1)), after(args.at(2));
    QStringList names = before.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    for (const QString &name : after.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name))
        if (!names.contains(name))
            names.append(name);
    if (names.isEmpty()) {
        std::fputs("qdpicdiff: no pictures\n", stderr);
        return 2;
    }
    bool allSame = true;
    for (const QString &name : std::as_const(names)) {
        const QImage a = QImage(before.filePath(name)).convertToFormat(QImage::Format_ARGB32);
        const QImage b = QImage(after.filePath(name)).convertToFormat(QImage::Format_ARGB32);
        if (a.isNull() || b.isNull()) {
            std::printf("%-24s missing on one side\n", qPrintable(name));
            allSame = false;
            continue;
        }
        if (a.size() != b.size()) {
            std::printf("%-24s size %dx%d against %dx%d\n", qPrintable(name), a.width(), a.height(), b.width(),
                        b.height());
            allSame = false;
            continue;
        }
        qint64 differing = 0;
        int largest = 0;
        QRect box;
        for (int y = 0; y < a.height(); ++y) {
            const auto *pa = reinterpret_cast<const QRgb *>(a.constScanLine(y));
            const auto *pb = reinterpret_cast<const QRgb *>(b.constScanLine(y));
            for (int x = 0; x < a.width(); ++x) {
                if (pa[x] == pb[x])
                    continue;
                ++differing;
                box |= QRect(x, y, 1, 1);
                largest =
                    std::max({largest, std::abs(qRed(pa[x]) - qRed(pb[x])), std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                              std::abs(qBlue(pa[x]) - qBlue(pb[x])), std::abs(qAlpha(pa[x]) - qAlpha(pb[x]))});
            }
        }
        if (differing == 0) {
            std::printf("%-24s %dx%d identical\n", qPrintable(name), a.width(), a.height());
            continue;
        }
        allSame = false;
        std::printf("%-24s %dx%d %lld pixels differ, by up to %d, within x %d..%d y %d..%d\n", qPrintable(name),
                    a.width(), a.height(), differing, largest, box.left(), box.right(), box.top(), box.bottom());
    }
    return allSame ? 0 : 1;
}
