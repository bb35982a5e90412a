// The baseline of the app's cold start and memory: a bare Qt Quick window (one Rectangle, one Text) the size
// of the app's, which prints "first-frame <resident kB>" at its first frame and exits. It links only what a
// Qt Quick program must, so that the ratio shows what the app adds to Qt Quick itself.
#include <QFile>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <cstdio>

namespace {

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const auto& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData(R"(
        import QtQuick
        Window {
            width: 1024
            height: 768
            visible: true
            Rectangle {
                anchors.fill: parent
                color: "#f2f2f7"
                Text { anchors.centerIn: parent; text: "Sign In"; font.pixelSize: 17 }
            }
        })");
    const auto roots = engine.rootObjects();
    auto* window = roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow*>(roots.first());
    if (!window) {
        return 1;
    }
    // Reported where the app's child reports it, so that both clocks stop at the same point.
    QObject::connect(window, &QQuickWindow::frameSwapped, [] {
        std::printf("first-frame %ld\n", residentKilobytes());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return QGuiApplication::exec();
}
