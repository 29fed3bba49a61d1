#pragma once

#include "windowdescription.h"

#include <QHash>
#include <QJsonObject>
#include <QWidget>

#include <functional>

namespace qd::palette {

class FrameStripAnimation;

// A window built from its window description. The subclass binds every handler name
// the description uses before calling build(); a name it does not know stops the
// program at start-up rather than leaving a key that silently does nothing.
class FormWindow : public QWidget
{
    Q_OBJECT
public:
    using Handler = std::function<void(QObject *sender)>;

    explicit FormWindow(const QString &instanceName, QWidget *parent = nullptr);
    ~FormWindow() override;

    QString instanceName() const { return m_instance; }
    bool isScaled() const { return m_description.scaled; }
    const WindowDescription &description() const { return m_description; }

    QWidget *control(const QString &name) const { return m_controls.value(name); }
    template <class T>
    T *control(const QString &name) const
    {
        return qobject_cast<T *>(control(name));
    }
    FrameStripAnimation *animation(const QString &name) const { return m_animations.value(name); }
    QStringList controlNames() const;

    // The control's rectangle in window pixels as laid out now, before rounding to whole pixels.
    QRectF controlRect(const QString &name) const;

    // The scaling rule: stretch the 1024 x 720 design canvas over the window's outer size.
    // Runs on every activation and resize of a scaled window; unchanged factors change nothing.
    void FormActivate();
    QSizeF rootScale() const { return m_rootScale; }
    int layoutCount() const { return m_layoutCount; }
    int activationCount() const { return m_activationCount; }

    // Runs a handler the way the event loop would: a failure it does not handle itself
    // reaches the default error report and the handler's remaining steps are skipped.
    static void runGuarded(const std::function<void()> &work);

    // Stops this window's timers; the first step of shutting down.
    virtual void stopTimers();

    QJsonObject layoutJson() const;

    // Runs the close handler, guarded like any handler.
    void runCloseHandler()
    {
        runGuarded([this] { FormClose(); });
    }

protected:
    void bind(const QString &handler, Handler fn);
    void build();
    // The window's close handler; the default has none.
    virtual void FormClose() {}

    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Node
    {
        QWidget *widget = nullptr;
        int parent = -1;
        QRectF rect;
        QSizeF scale{1, 1};
        QRectF absolute; // in window pixels
        QSizeF contentScale{1, 1};
        QRect pixels;
    };

    QWidget *createControl(const ControlSpec &spec, QWidget *parent);
    QString translated(const QString &text) const;
    void relayout();

    QString m_instance;
    WindowDescription m_description;
    QHash<QString, Handler> m_handlers;
    QHash<QString, QWidget *> m_controls;
    QHash<QString, FrameStripAnimation *> m_animations;
    QHash<QString, int> m_nodeIndex;
    QList<Node> m_nodes;
    QSizeF m_rootScale{1, 1};
    int m_rootNode = -1;
    int m_layoutCount = 0;
    int m_activationCount = 0;
};

} // namespace qd::palette
