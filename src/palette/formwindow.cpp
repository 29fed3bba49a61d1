#include "formwindow.h"

#include "controls.h"
#include "errorreport.h"
#include "logging.h"
#include "looks.h"
#include "windowset.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>

#include <art/artbook.h>
#include <art/signtable.h>

#include <cmath>

namespace qd::palette {

namespace {
constexpr double canvasWidth = 1024.0;
constexpr double canvasHeight = 720.0;

// Two factors count as equal when they differ by less than a float's rounding step.
bool sameFactor(double a, double b)
{
    return std::abs(a - b) <= 1e-6 * std::max(1.0, std::abs(a));
}

double rounded2(double v)
{
    return std::round(v * 100.0) / 100.0;
}
} // namespace

FormWindow::FormWindow(const QString &instanceName, QWidget *parent) : QWidget(parent), m_instance(instanceName)
{
    setObjectName(instanceName);
    setAttribute(Qt::WA_QuitOnClose, false);
}

FormWindow::~FormWindow()
{
    WindowSet::instance().remove(this);
}

void FormWindow::bind(const QString &handler, Handler fn)
{
    m_handlers.insert(handler, std::move(fn));
}

void FormWindow::build()
{
    m_description = WindowDescription::load(QStringLiteral(":/windows/%1.json").arg(m_instance));
    // Texts of a description are translated in the window's own context (its instance name).
    setWindowTitle(translated(m_description.caption));
    // Windows stand at the screen's top-left corner at their design size until they first go
    // full screen.
    setGeometry(QRect(QPoint(0, 0), m_description.clientSize.toSize()));

    for (const ControlSpec &spec : std::as_const(m_description.controls)) {
        if (!spec.handler.isEmpty() && !m_handlers.contains(spec.handler))
            qFatal("window %s: control %s is bound to unknown handler %s", qPrintable(m_instance),
                   qPrintable(spec.name), qPrintable(spec.handler));
        QWidget *parentWidget = this;
        int parentNode = -1;
        if (!spec.parent.isEmpty()) {
            parentWidget = m_controls.value(spec.parent);
            parentNode = m_nodeIndex.value(spec.parent, -1);
            if (!parentWidget)
                qFatal("window %s: control %s has no widget parent %s", qPrintable(m_instance), qPrintable(spec.name),
                       qPrintable(spec.parent));
        }
        if (spec.kind == QLatin1String("animation")) {
            auto *box = qobject_cast<PictureBox *>(parentWidget);
            if (!box)
                qFatal("window %s: animation %s must sit in a picture box", qPrintable(m_instance),
                       qPrintable(spec.name));
            const auto &art = qd::art::ArtBook::instance();
            auto *animation = new FrameStripAnimation(art.render(spec.art, art.size(spec.art)), box);
            animation->setObjectName(spec.name);
            animation->setFrameCount(spec.frames);
            animation->setRowCount(spec.rows);
            animation->setDuration(spec.duration);
            m_animations.insert(spec.name, animation);
            continue;
        }
        QWidget *widget = createControl(spec, parentWidget);
        widget->setObjectName(spec.name);
        // A key without a name of its own is known by the sign it sends (set with the button).
        if (!spec.accessibleName.isEmpty())
            widget->setAccessibleName(spec.accessibleName);
        if (!spec.accessibleDescription.isEmpty())
            widget->setAccessibleDescription(spec.accessibleDescription);
        if (!spec.visible)
            widget->hide();
        m_controls.insert(spec.name, widget);
        Node node;
        node.widget = widget;
        node.parent = parentNode;
        node.rect = spec.rect;
        node.scale = spec.scale;
        m_nodeIndex.insert(spec.name, int(m_nodes.size()));
        if (spec.name == QLatin1String("Panel1") && spec.parent.isEmpty())
            m_rootNode = int(m_nodes.size());
        m_nodes.append(node);
    }
    // Animations marked on in the description start only once every control exists.
    for (const ControlSpec &spec : std::as_const(m_description.controls)) {
        if (spec.kind == QLatin1String("animation") && spec.enabled)
            m_animations.value(spec.name)->setEnabled(true);
    }
    QWidget *previous = nullptr;
    for (const QString &name : std::as_const(m_description.tabOrder)) {
        QWidget *next = m_controls.value(name);
        if (!next)
            qFatal("window %s: tab order names unknown control %s", qPrintable(m_instance), qPrintable(name));
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    }
    relayout();
}

QWidget *FormWindow::createControl(const ControlSpec &spec, QWidget *parent)
{
    const QString &kind = spec.kind;
    if (kind == QLatin1String("panel")) {
        auto *panel = new PanelWidget(spec.look, parent);
        panel->setDesignSize(spec.rect.size());
        return panel;
    }
    if (kind == QLatin1String("picture")) {
        if (!qd::art::ArtBook::instance().contains(spec.art))
            qFatal("window %s: picture %s shows unknown art %s", qPrintable(m_instance), qPrintable(spec.name),
                   qPrintable(spec.art));
        auto *picture = new PictureWidget(spec.art, parent);
        picture->setDesignSize(spec.rect.size());
        return picture;
    }
    if (kind == QLatin1String("picturebox")) {
        auto *box = new PictureBox(parent);
        box->setDesignSize(spec.rect.size());
        if (!spec.art.isEmpty())
            box->setPicture(qd::art::ArtBook::instance().render(spec.art, qd::art::ArtBook::instance().size(spec.art)));
        return box;
    }
    if (kind == QLatin1String("key") || kind == QLatin1String("button") || kind == QLatin1String("checkbox")) {
        QString look = spec.look;
        if (look.isEmpty())
            look = kind == QLatin1String("key")        ? QStringLiteral("transparentcirclebuttonstyle")
                   : kind == QLatin1String("checkbox") ? QStringLiteral("checkbox")
                                                       : QStringLiteral("pushbutton");
        auto *button = new PaletteButton(look, parent);
        button->setDesignSize(spec.rect.size());
        button->setText(translated(spec.caption));
        button->setBold(spec.bold);
        button->setCornerRadius(spec.radius);
        button->setFontSize(spec.fontSize);
        button->setCheckable(kind == QLatin1String("checkbox"));
        if (spec.focus)
            button->setFocusPolicy(Qt::StrongFocus);
        QString accessible = spec.accessibleName;
        if (accessible.isEmpty())
            accessible = qd::art::SignTable::instance().signName(spec.name);
        button->setAccessibleName(accessible.isEmpty() ? (spec.caption.isEmpty() ? spec.name : spec.caption)
                                                       : accessible);
        if (!spec.handler.isEmpty()) {
            const Handler handler = m_handlers.value(spec.handler);
            connect(button, &QAbstractButton::clicked, this, [this, handler, button] {
                qCDebug(lcUi).noquote() << "tap" << m_instance + QLatin1Char('.') + button->objectName();
                runGuarded([&] { handler(button); });
            });
        }
        return button;
    }
    if (kind == QLatin1String("edit")) {
        auto *edit = new QLineEdit(spec.text, parent);
        return edit;
    }
    if (kind == QLatin1String("memo")) {
        auto *memo = new QPlainTextEdit(parent);
        memo->setReadOnly(true);
        memo->setPlainText(spec.text);
        return memo;
    }
    if (kind == QLatin1String("label")) {
        return new QLabel(spec.text.isEmpty() ? translated(spec.caption) : spec.text, parent);
    }
    qFatal("window %s: control %s has unknown kind %s", qPrintable(m_instance), qPrintable(spec.name),
           qPrintable(kind));
}

QString FormWindow::translated(const QString &text) const
{
    if (text.isEmpty())
        return text;
    return QCoreApplication::translate(m_instance.toUtf8().constData(), text.toUtf8().constData());
}

QStringList FormWindow::controlNames() const
{
    QStringList names;
    for (const Node &node : m_nodes)
        names.append(node.widget->objectName());
    return names;
}

QRectF FormWindow::controlRect(const QString &name) const
{
    const int index = m_nodeIndex.value(name, -1);
    return index < 0 ? QRectF() : m_nodes.at(index).absolute;
}

void FormWindow::relayout()
{
    ++m_layoutCount;
    for (qsizetype i = 0; i < m_nodes.size(); ++i) {
        Node &node = m_nodes[i];
        QPointF origin(0, 0);
        QSizeF parentScale(1, 1);
        QPoint parentPixels(0, 0);
        if (node.parent >= 0) {
            const Node &parent = m_nodes.at(node.parent);
            origin = parent.absolute.topLeft();
            parentScale = parent.contentScale;
            parentPixels = parent.pixels.topLeft();
        }
        QSizeF own = node.scale;
        if (i == m_rootNode)
            own = QSizeF(own.width() * m_rootScale.width(), own.height() * m_rootScale.height());
        node.contentScale = QSizeF(parentScale.width() * own.width(), parentScale.height() * own.height());
        const QPointF topLeft(origin.x() + node.rect.x() * parentScale.width(),
                              origin.y() + node.rect.y() * parentScale.height());
        node.absolute = QRectF(topLeft, QSizeF(node.rect.width() * node.contentScale.width(),
                                               node.rect.height() * node.contentScale.height()));
        // Round the edges, not the size, so neighbours that touch in design units touch on screen.
        const int left = int(std::lround(node.absolute.left()));
        const int top = int(std::lround(node.absolute.top()));
        const int right = int(std::lround(node.absolute.right()));
        const int bottom = int(std::lround(node.absolute.bottom()));
        node.pixels = QRect(QPoint(left, top), QSize(right - left, bottom - top));
        node.widget->setGeometry(node.pixels.translated(-parentPixels));
    }
}

void FormWindow::FormActivate()
{
    ++m_activationCount;
    if (!isScaled())
        return;
    // A full-screen window has no frame, so its outer size is the area the window system gives
    // it. That area is what Qt reports on every change; the frame it remembers can be stale: a
    // window manager that frames the window before it applies full screen (openbox) drops the
    // frame again without a resize, and frameGeometry() would go on counting the title bar.
    const QSize outer = isFullScreen() ? size() : frameGeometry().size();
    // Exact quotients of the integers, each converted once to the nearest 32-bit float.
    const double sx = static_cast<float>(double(outer.width()) / canvasWidth);
    const double sy = static_cast<float>(double(outer.height()) / canvasHeight);
    bool changed = false;
    if (!sameFactor(sx, m_rootScale.width())) {
        m_rootScale.setWidth(sx);
        changed = true;
    }
    if (!sameFactor(sy, m_rootScale.height())) {
        m_rootScale.setHeight(sy);
        changed = true;
    }
    if (changed)
        relayout();
}

void FormWindow::runGuarded(const std::function<void()> &work)
{
    try {
        work();
    } catch (const std::exception &e) {
        reportError(QString::fromUtf8(e.what()));
    }
}

void FormWindow::stopTimers()
{
    for (FrameStripAnimation *animation : std::as_const(m_animations))
        animation->stop();
}

QJsonObject FormWindow::layoutJson() const
{
    QJsonArray controls;
    for (const Node &node : m_nodes) {
        const QRectF r = node.absolute;
        QJsonObject c;
        c.insert(QStringLiteral("name"), node.widget->objectName());
        c.insert(QStringLiteral("rect"),
                 QJsonArray{rounded2(r.x()), rounded2(r.y()), rounded2(r.width()), rounded2(r.height())});
        c.insert(QStringLiteral("visible"), !node.widget->isHidden());
        if (node.parent >= 0)
            c.insert(QStringLiteral("parent"), m_nodes.at(node.parent).widget->objectName());
        controls.append(c);
    }
    QJsonObject window;
    window.insert(QStringLiteral("name"), m_instance);
    window.insert(QStringLiteral("caption"), m_description.caption);
    window.insert(QStringLiteral("controls"), controls);
    return window;
}

bool FormWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        WindowSet::instance().noteActivated(this);
        FormActivate();
    }
    return QWidget::event(event);
}

void FormWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (isScaled())
        FormActivate();
}

void FormWindow::closeEvent(QCloseEvent *event)
{
    // The window set decides what a close means; the window system never closes a
    // window behind its back.
    event->ignore();
    WindowSet::instance().closeRequested(this);
}

void FormWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), LookSet::instance().color(QStringLiteral("window"), QStringLiteral("fill")));
}

} // namespace qd::palette
