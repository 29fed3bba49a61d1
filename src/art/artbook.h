#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

class QPainter;

namespace qd::art {

struct Sign;

// A sign or a piece of text turned into filled outlines, in em units (1 em = the size it is drawn at).
struct InkShape
{
    QList<QPair<QPainterPath, QColor>> parts;
    QRectF bounds; // union of the ink of all parts
    bool isEmpty() const { return bounds.isEmpty(); }
};

// The pictures of the palette windows, drawn as vectors at the size they are shown, so they stay
// sharp at any screen resolution. Their sources are :/art/*.json and the sign table, whose glyphs
// come from the bundled fonts; the build turns them into one packed book (:/artbook.bin) with every
// outline already made, so that start-up reads it without parsing JSON or asking a font for a
// single outline. The first call to instance() registers the bundled fonts, so it needs the
// QGuiApplication to exist.
class ArtBook
{
public:
    static const ArtBook &instance();
    // The book made from the JSON sources and the fonts' outlines, as the build packs it.
    static ArtBook fromSources();
    // The packed form and back; a packed book draws exactly what its sources draw.
    QByteArray packed() const;
    static ArtBook fromPacked(const QByteArray &data, QString *error = nullptr);

    bool contains(const QString &id) const;
    QStringList ids() const;
    QSize size(const QString &id) const;
    // Stretches the picture to target, x and y independently. Safe to call from several threads
    // at once, each with its own painter and image.
    void paint(QPainter &p, const QString &id, const QRectF &target) const;
    QImage render(const QString &id, const QSize &pixels) const;

    // The outlines of a sign of the sign table; empty when the word is unknown.
    InkShape signShape(const QString &word) const;
    // Draws a shape centred in rect, at em pixels per em or smaller when it would not fit inside
    // rect less margin (a share of the rect's smaller side) on every side.
    static void drawShape(QPainter &p, const InkShape &shape, const QRectF &rect, qreal em, qreal margin);

    static QString musicFamily();
    static QString textFamily();

    QString loadErrors() const { return m_errors; }
    // Whether the book was read from its packed form rather than made from the sources.
    bool isPacked() const { return m_packed; }

    struct Item;
    struct Picture
    {
        QSize size;
        QList<Item> items;
    };

private:
    ArtBook() = default;

    QHash<QString, Picture> m_pictures;
    QHash<QString, InkShape> m_signShapes;
    QHash<QString, QPainterPath> m_outlines; // glyph outlines by font and text, as the signs use them
    QString m_errors;
    bool m_packed = false;
};

struct ArtBook::Item
{
    enum Kind { Tile, Sign, Text, Ellipse, Polygon, Polyline, Line, Arc };
    Kind kind = Tile;
    QRectF rect;
    QList<QPointF> points;
    QColor fill;
    QColor outline;
    qreal width = 1;
    qreal radius = 0;
    qreal em = 0;
    qreal margin = 0.1;
    qreal start = 0, span = 360;
    QString word;
    InkShape shape; // text items: built at load
};

} // namespace qd::art
