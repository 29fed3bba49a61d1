#include "controls.h"

#include "looks.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QPointingDevice>
#include <QThreadPool>
#include <QWaitCondition>

#include <art/artbook.h>

#include <cmath>

namespace qd::palette {

namespace {
QString textFamily()
{
    return qd::art::ArtBook::textFamily();
}

QFont designFont(double pixelSize, bool bold)
{
    QFont font(textFamily());
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    font.setBold(bold);
    // Text is drawn under the design transform; hinting would snap glyphs to the wrong grid.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}
} // namespace

void DesignSized::applyDesignTransform(QPainter &painter, const QWidget *self) const
{
    painter.scale(self->width() / m_designSize.width(), self->height() / m_designSize.height());
}

PanelWidget::PanelWidget(const QString &look, QWidget *parent) : QWidget(parent), m_look(look)
{
    // The plain look covers every pixel, so nothing beneath it needs drawing.
    if (m_look != QLatin1String("calloutpanelstyle"))
        setAttribute(Qt::WA_OpaquePaintEvent);
}

void PanelWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const LookSet &looks = LookSet::instance();
    if (m_look != QLatin1String("calloutpanelstyle")) {
        p.fillRect(rect(), looks.color(QStringLiteral("plainpanel"), QStringLiteral("fill")));
        return;
    }
    if (m_callout.isEmpty()) {
        const QSizeF size = designSize();
        const double pointerW = looks.number(m_look, QStringLiteral("pointerWidth"), 23);
        const double pointerL = looks.number(m_look, QStringLiteral("pointerLength"), 11);
        const double radius = looks.number(m_look, QStringLiteral("radius"), 5);
        QPainterPath body;
        body.addRoundedRect(QRectF(0.5, pointerL, size.width() - 1, size.height() - pointerL - 0.5), radius, radius);
        QPainterPath pointer;
        const double mid = size.width() / 2;
        pointer.moveTo(mid - pointerW / 2, pointerL + 1);
        pointer.lineTo(mid, 0.5);
        pointer.lineTo(mid + pointerW / 2, pointerL + 1);
        pointer.closeSubpath();
        m_callout = body.united(pointer);
    }
    p.setRenderHint(QPainter::Antialiasing);
    applyDesignTransform(p, this);
    p.setPen(QPen(looks.color(m_look, QStringLiteral("outline")), 1.0));
    p.setBrush(looks.color(m_look, QStringLiteral("fill")));
    p.drawPath(m_callout);
}

// One drawing of a picture at one size, run by the thread pool or taken over by the paint
// that needs it, whichever comes first.
struct PictureWidget::Render
{
    QString art;
    QSize pixels;
    QMutex mutex;
    QWaitCondition finished;
    enum { Queued, Running, Done } state = Queued;
    QImage image;

    // Claims the drawing; false when someone else already has.
    bool claim()
    {
        QMutexLocker lock(&mutex);
        if (state != Queued)
            return false;
        state = Running;
        return true;
    }
    void runClaimed()
    {
        QImage result = qd::art::ArtBook::instance().render(art, pixels);
        QMutexLocker lock(&mutex);
        image = std::move(result);
        state = Done;
        finished.wakeAll();
    }
    QImage take()
    {
        if (claim()) {
            runClaimed();
        } else {
            QMutexLocker lock(&mutex);
            while (state != Done)
                finished.wait(&mutex);
        }
        QMutexLocker lock(&mutex);
        return std::move(image);
    }
};

PictureWidget::PictureWidget(const QString &art, QWidget *parent) : QWidget(parent), m_art(art)
{
    // A picture never takes a tap; taps between keys fall through to the panel and do nothing.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

// A drawing still queued or running keeps its own state alive; the pool drops it unread.
PictureWidget::~PictureWidget() = default;

QSize PictureWidget::pixelSize() const
{
    return (QSizeF(size()) * devicePixelRatioF()).toSize();
}

bool PictureWidget::needsRender(const QSize &pixels) const
{
    return !pixels.isEmpty() && m_cache.size() != pixels && !(m_render && m_render->pixels == pixels);
}

void PictureWidget::startRender(const QSize &pixels)
{
    auto render = std::make_shared<Render>();
    render->art = m_art;
    render->pixels = pixels;
    m_render = render;
    QThreadPool::globalInstance()->start([render] {
        if (render->claim())
            render->runClaimed();
    });
}

void PictureWidget::paintEvent(QPaintEvent *)
{
    const QSize pixels = pixelSize();
    if (pixels.isEmpty())
        return;
    if (m_cache.size() != pixels) {
        if (!m_render || m_render->pixels != pixels) {
            // The first of this window's pictures to paint at a new size: its shown siblings
            // that also need drawing start now, side by side, and paint in turn after it.
            for (PictureWidget *other : window()->findChildren<PictureWidget *>()) {
                if (other != this && other->isVisible() && other->needsRender(other->pixelSize()))
                    other->startRender(other->pixelSize());
            }
            m_render = std::make_shared<Render>();
            m_render->art = m_art;
            m_render->pixels = pixels;
        }
        const std::shared_ptr<Render> render = std::move(m_render);
        m_cache = QPixmap::fromImage(render->take());
        m_cache.setDevicePixelRatio(devicePixelRatioF());
        ++m_renderCount;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, m_cache);
}

PaletteButton::PaletteButton(const QString &look, QWidget *parent) : QAbstractButton(parent), m_look(look)
{
    setFocusPolicy(Qt::NoFocus);
    if (m_look == QLatin1String("transparentcirclebuttonstyle")) {
        // One fade per key, made once: hovering creates nothing.
        m_fade = new QVariantAnimation(this);
        m_fade->setStartValue(0.0);
        m_fade->setEndValue(1.0);
        m_fade->setDuration(int(LookSet::instance().number(m_look, QStringLiteral("fadeMs"), 100)));
        connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
            m_hover = v.toDouble();
            update();
        });
    }
}

void PaletteButton::enterEvent(QEnterEvent *event)
{
    if (m_fade) {
        m_fade->setDirection(QAbstractAnimation::Forward);
        if (m_fade->state() != QAbstractAnimation::Running)
            m_fade->start();
    }
    QAbstractButton::enterEvent(event);
}

void PaletteButton::leaveEvent(QEvent *event)
{
    fadeOut();
    QAbstractButton::leaveEvent(event);
}

bool PaletteButton::drawsPressedState() const
{
    // The transparent round look is the same pressed or not: only the pointer greys it.
    return !m_fade;
}

void PaletteButton::mousePressEvent(QMouseEvent *event)
{
    if (drawsPressedState()) {
        QAbstractButton::mousePressEvent(event);
        return;
    }
    // A key that looks the same when pressed is not redrawn on the way to its send: the
    // button's own press and release would each repaint it and everything beneath it
    // before the click reached the handler.
    if (event->button() != Qt::LeftButton || !hitButton(event->position().toPoint())) {
        event->ignore();
        return;
    }
    m_tapping = true;
    event->accept();
    emit pressed();
}

void PaletteButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (drawsPressedState()) {
        QAbstractButton::mouseReleaseEvent(event);
    } else if (event->button() == Qt::LeftButton && m_tapping) {
        m_tapping = false;
        event->accept();
        emit released();
        if (hitButton(event->position().toPoint()))
            emit clicked(false);
    } else {
        event->ignore();
    }
    // A lifted finger is no longer over the key, though no pointer ever left it.
    if (event->pointingDevice() && event->pointingDevice()->type() == QInputDevice::DeviceType::TouchScreen)
        fadeOut();
}

void PaletteButton::fadeOut()
{
    if (m_fade) {
        m_fade->setDirection(QAbstractAnimation::Backward);
        if (m_fade->state() != QAbstractAnimation::Running && m_hover > 0)
            m_fade->start();
    }
}

void PaletteButton::paintEvent(QPaintEvent *)
{
    // A transparent round key away from the pointer shows nothing; a window repaint passes
    // hundreds of them, so none of them starts a painter.
    if (m_fade && m_hover <= 0)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (m_look == QLatin1String("transparentcirclebuttonstyle")) {
        paintTransparentCircle(p);
        return;
    }
    applyDesignTransform(p, this);
    const QSizeF size = designSize();
    if (m_look == QLatin1String("segmentedbuttonmiddle"))
        paintSegmented(p, size);
    else if (m_look == QLatin1String("checkbox"))
        paintCheckBox(p, size);
    else if (m_look.startsWith(QLatin1String("arrow")))
        paintArrow(p, size);
    else
        paintPushButton(p, size);
}

void PaletteButton::paintTransparentCircle(QPainter &p)
{
    if (m_hover <= 0)
        return;
    const LookSet &looks = LookSet::instance();
    QColor fill = looks.color(m_look, QStringLiteral("fill"));
    fill.setAlphaF(m_hover * looks.number(m_look, QStringLiteral("hoverAlpha"), 175) / 255.0);
    p.setOpacity(1.0 - m_hover * (1.0 - looks.number(m_look, QStringLiteral("hoverOpacity"), 0.5)));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawEllipse(QRectF(rect()));
}

void PaletteButton::paintPushButton(QPainter &p, const QSizeF &size)
{
    const LookSet &looks = LookSet::instance();
    const QString look = QStringLiteral("pushbutton");
    const double radius = m_radius >= 0 ? m_radius : looks.number(look, QStringLiteral("radius"), 4);
    const QRectF r(0.5, 0.5, size.width() - 1, size.height() - 1);
    QLinearGradient face(r.topLeft(), r.bottomLeft());
    if (isDown()) {
        face.setColorAt(0, looks.color(look, QStringLiteral("pressed")));
        face.setColorAt(1, looks.color(look, QStringLiteral("pressed")));
    } else {
        face.setColorAt(0, looks.color(look, QStringLiteral("top")));
        face.setColorAt(1, looks.color(look, QStringLiteral("bottom")));
    }
    p.setPen(QPen(looks.color(look, QStringLiteral("outline")), 1.0));
    p.setBrush(face);
    p.drawRoundedRect(r, radius, radius);
    p.setPen(looks.color(look, QStringLiteral("text")));
    p.setFont(designFont(m_fontSize > 0 ? m_fontSize : looks.number(look, QStringLiteral("fontSize"), 12), m_bold));
    p.drawText(r, Qt::AlignCenter, text());
}

void PaletteButton::paintSegmented(QPainter &p, const QSizeF &size)
{
    const LookSet &looks = LookSet::instance();
    const QRectF r(0, 0.5, size.width(), size.height() - 1);
    QLinearGradient face(r.topLeft(), r.bottomLeft());
    face.setColorAt(0, isDown() ? looks.color(m_look, QStringLiteral("pressed"))
                                : looks.color(m_look, QStringLiteral("top")));
    face.setColorAt(1, isDown() ? looks.color(m_look, QStringLiteral("pressed"))
                                : looks.color(m_look, QStringLiteral("bottom")));
    p.setPen(QPen(looks.color(m_look, QStringLiteral("outline")), 1.0));
    p.setBrush(face);
    p.drawRect(r);
    p.setFont(designFont(looks.number(m_look, QStringLiteral("fontSize"), 14), true));
    p.setPen(looks.color(m_look, QStringLiteral("shadow")));
    p.drawText(r.translated(0, 1), Qt::AlignCenter, text());
    p.setPen(looks.color(m_look, QStringLiteral("text")));
    p.drawText(r, Qt::AlignCenter, text());
}

void PaletteButton::paintCheckBox(QPainter &p, const QSizeF &size)
{
    const LookSet &looks = LookSet::instance();
    const double fontSize = looks.number(m_look, QStringLiteral("fontSize"), 12);
    const double box = qMin(size.height() - 4, fontSize + 4);
    const QRectF boxRect(2, (size.height() - box) / 2, box, box);
    p.setPen(QPen(looks.color(m_look, QStringLiteral("outline")), 1.0));
    p.setBrush(looks.color(m_look, QStringLiteral("box")));
    p.drawRoundedRect(boxRect, 2, 2);
    if (isChecked()) {
        QPen pen(looks.color(m_look, QStringLiteral("check")), box / 7.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        const QPolygonF tick{boxRect.topLeft() + QPointF(box * 0.2, box * 0.55),
                             boxRect.topLeft() + QPointF(box * 0.42, box * 0.78),
                             boxRect.topLeft() + QPointF(box * 0.82, box * 0.25)};
        p.drawPolyline(tick);
    }
    p.setPen(looks.color(m_look, QStringLiteral("text")));
    p.setFont(designFont(fontSize, false));
    p.drawText(QRectF(boxRect.right() + 4, 0, size.width() - boxRect.right() - 4, size.height()),
               Qt::AlignLeft | Qt::AlignVCenter, text());
}

void PaletteButton::paintArrow(QPainter &p, const QSizeF &size)
{
    // The arrow looks are a fixed 44 x 44 face; a scale on the control enlarges all of it.
    const LookSet &looks = LookSet::instance();
    const QString look = QStringLiteral("arrowtoolbutton");
    const double diameter = looks.number(look, QStringLiteral("disc_diameter"), 30);
    const QPointF c(size.width() / 2, size.height() / 2);
    if (isDown()) {
        QRadialGradient glow(c, size.width() / 2);
        QColor g = looks.color(look, QStringLiteral("glow"));
        g.setAlpha(200);
        glow.setColorAt(0, g);
        g.setAlpha(0);
        glow.setColorAt(1, g);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, size.width() / 2, size.height() / 2);
    }
    QRadialGradient disc(c - QPointF(diameter / 6, diameter / 6), diameter);
    disc.setColorAt(0, looks.color(look, QStringLiteral("disc")));
    disc.setColorAt(1, looks.color(look, QStringLiteral("discDark")));
    p.setPen(Qt::NoPen);
    p.setBrush(disc);
    p.drawEllipse(c, diameter / 2, diameter / 2);
    const double a = diameter * 0.28;
    QPolygonF tri{QPointF(0, -a), QPointF(a * 0.9, a * 0.6), QPointF(-a * 0.9, a * 0.6)};
    double angle = 0;
    if (m_look == QLatin1String("arrowrighttoolbutton"))
        angle = 90;
    else if (m_look == QLatin1String("arrowdowntoolbutton"))
        angle = 180;
    else if (m_look == QLatin1String("arrowlefttoolbutton"))
        angle = 270;
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(angle);
    t.translate(0, a * 0.1);
    p.setBrush(looks.color(look, QStringLiteral("arrow")));
    p.drawPolygon(t.map(tri));
}

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PictureBox::setPicture(const QImage &image)
{
    m_picture = image;
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Inside a key the box fades with the key's hover look, picture and all.
    if (auto *key = qobject_cast<PaletteButton *>(parentWidget()))
        p.setOpacity(1.0 - 0.5 * key->hoverProgress());
    applyDesignTransform(p, this);
    const LookSet &looks = LookSet::instance();
    const QString look = QStringLiteral("picturebox");
    const QSizeF size = designSize();
    p.setPen(QPen(looks.color(look, QStringLiteral("frame")), 1.0));
    p.setBrush(looks.color(look, QStringLiteral("fill")));
    p.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
    if (m_picture.isNull())
        return;
    const double inset = looks.number(look, QStringLiteral("inset"), 5);
    const QRectF area(inset, inset, size.width() - 2 * inset, size.height() - 2 * inset);
    QSizeF fitted = QSizeF(m_picture.size()).scaled(area.size(), Qt::KeepAspectRatio);
    const QRectF target(area.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
    p.drawImage(target, m_picture);
}

FrameStripAnimation::FrameStripAnimation(const QImage &strip, PictureBox *target)
    : QObject(target), m_strip(strip), m_target(target)
{
    m_tick.setInterval(16);
    connect(&m_tick, &QTimer::timeout, this, &FrameStripAnimation::onTick);
}

void FrameStripAnimation::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled) {
        if (m_target->isHidden())
            return;
        m_clock.start();
        drawFrame(0);
        if (m_frameCount > 1 || m_duration > 0)
            m_tick.start();
    } else if (m_tick.isActive()) {
        m_tick.stop();
        drawFrame(m_frameCount - 1);
    }
}

void FrameStripAnimation::onTick()
{
    const double t = m_duration > 0 ? m_clock.elapsed() / 1000.0 / m_duration : 1.0;
    if (t >= 1.0) {
        m_tick.stop();
        drawFrame(m_frameCount - 1);
        return;
    }
    // Only a new frame is worth drawing; with one frame per strip nothing changes until the end.
    const int index = qMin(int(std::floor(t * m_frameCount)), m_frameCount - 1);
    if (index != m_lastIndex)
        drawFrame(index);
}

void FrameStripAnimation::drawFrame(int index)
{
    const int rows = qMax(1, m_rowCount);
    const int columns = (m_frameCount + rows - 1) / rows;
    const int frameW = m_strip.width() / columns;
    const int frameH = m_strip.height() / rows;
    QImage frame(frameW, frameH, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    QPainter p(&frame);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), m_strip, QRect((index % columns) * frameW, (index / columns) * frameH, frameW, frameH));
    p.end();
    m_target->setPicture(frame);
    m_lastIndex = index;
    ++m_drawCount;
}

} // namespace qd::palette
