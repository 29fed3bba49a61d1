// qdbare: the floor of the start-up benchmark. A bare Qt Widgets program that shows one
// full-screen window painted in one colour and, like `qdclient --report-exposed`, prints one
// line once the window is on screen.

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace {

class Plain : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), QColor(0xf0, 0xf0, 0xf0)); }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Plain window;
    window.showFullScreen();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        if (window.windowHandle() && window.windowHandle()->isExposed()) {
            poll.stop();
            std::fputs("exposed\n", stdout);
            std::fflush(stdout);
        }
    });
    poll.start(0);
    return app.exec();
}
