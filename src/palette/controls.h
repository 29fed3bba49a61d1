#pragma once

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QImage>
#include <QPainterPath>
#include <QPixmap>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

#include <memory>

namespace qd::palette {

// Every drawn control paints in its own design units: the widget's pixel size divided
// by its design size gives the scale, so nested, non-uniform scales need no bookkeeping
// in the painting code.
class DesignSized
{
public:
    virtual ~DesignSized() = default;
    void setDesignSize(const QSizeF &size) { m_designSize = size; }
    QSizeF designSize() const { return m_designSize; }

protected:
    // Maps design units onto the widget's pixels.
    void applyDesignTransform(QPainter &painter, const QWidget *self) const;

private:
    QSizeF m_designSize{1, 1};
};

// A panel: the callout look (grey body under a pointer) or the plain look.
class PanelWidget : public QWidget, public DesignSized
{
    Q_OBJECT
public:
    PanelWidget(const QString &look, QWidget *parent);
    QString look() const { return m_look; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QString m_look;
    // The callout's outline in design units, built once: a repaint of a key's hover disc
    // repaints the panel beneath it, which should not rebuild the path each time. (A pixmap
    // cache would cost a whole window's worth of memory for the root panel on a 4K screen.)
    QPainterPath m_callout;
};

// A picture stretched to its rectangle, x and y independently. Drawn from vectors at
// the size it is shown and cached until the size changes, so it stays sharp on any screen.
// Drawing the pictures is most of a window's first paint: the first picture of a window to
// paint at a new size sets the other shown pictures of its window drawing on the thread pool,
// and each picture's paint takes its drawing over if no thread has started it yet.
class PictureWidget : public QWidget, public DesignSized
{
    Q_OBJECT
public:
    PictureWidget(const QString &art, QWidget *parent);
    ~PictureWidget() override;
    QString art() const { return m_art; }
    int renderCount() const { return m_renderCount; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    struct Render;
    QSize pixelSize() const;
    bool needsRender(const QSize &pixels) const;
    void startRender(const QSize &pixels);

    QString m_art;
    QPixmap m_cache;
    std::shared_ptr<Render> m_render;
    int m_renderCount = 0;
};

// Keys, push buttons and check boxes: one button class that draws itself in the look
// it is given. A tap is a press and a release anywhere in its rectangle.
class PaletteButton : public QAbstractButton, public DesignSized
{
    Q_OBJECT
public:
    PaletteButton(const QString &look, QWidget *parent);

    QString look() const { return m_look; }
    void setBold(bool bold) { m_bold = bold; }
    void setCornerRadius(double radius) { m_radius = radius; }
    void setFontSize(double size) { m_fontSize = size; }
    // 0 when the pointer is away, 1 when the hover fade has finished.
    double hoverProgress() const { return m_hover; }

protected:
    void paintEvent(QPaintEvent *) override;
    void enterEvent(QEnterEvent *) override;
    void leaveEvent(QEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;

private:
    bool drawsPressedState() const;
    void fadeOut();
    void paintTransparentCircle(QPainter &p);
    void paintPushButton(QPainter &p, const QSizeF &size);
    void paintSegmented(QPainter &p, const QSizeF &size);
    void paintCheckBox(QPainter &p, const QSizeF &size);
    void paintArrow(QPainter &p, const QSizeF &size);

    QString m_look;
    bool m_bold = false;
    double m_radius = -1;
    double m_fontSize = 0;
    double m_hover = 0;
    bool m_tapping = false;
    QVariantAnimation *m_fade = nullptr;
};

// A white, thin-framed box that shows one picture fitted inside, proportions kept.
// It takes no taps: a tap on it belongs to whatever lies beneath.
class PictureBox : public QWidget, public DesignSized
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent);
    void setPicture(const QImage &image);
    QImage picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QImage m_picture;
};

// Plays a strip of frames into a picture box. Switching it on starts a run that draws
// the first frame at once; switching it to the value it already has does nothing at all.
class FrameStripAnimation : public QObject
{
    Q_OBJECT
public:
    FrameStripAnimation(const QImage &strip, PictureBox *target);

    void setFrameCount(int count) { m_frameCount = qMax(1, count); }
    void setRowCount(int rows) { m_rowCount = rows; }
    void setDuration(double seconds) { m_duration = seconds; }
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    bool isRunning() const { return m_tick.isActive(); }
    // How many frames this animation has drawn into its target: a switch that changes
    // nothing must leave it alone.
    int drawCount() const { return m_drawCount; }
    void stop() { m_tick.stop(); }

private:
    void onTick();
    void drawFrame(int index);

    QImage m_strip;
    PictureBox *m_target;
    int m_frameCount = 1;
    int m_rowCount = 1;
    double m_duration = 0.2;
    bool m_enabled = false;
    int m_drawCount = 0;
    int m_lastIndex = -1;
    QTimer m_tick;
    QElapsedTimer m_clock;
};

} // namespace qd::palette
