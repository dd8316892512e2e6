// sp_grab FILE: saves a picture of the whole X screen named by DISPLAY as PNG; the
// window tests take one per step.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: sp_grab FILE.png\n", stderr);
        return 64;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "sp_grab: cannot save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
