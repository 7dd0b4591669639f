// screen_grab FILE.png: writes what the X server's screen shows, for the
// end-to-end run's screenshots.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char** argv)
{
    if (argc != 2) {
        return 2;
    }
    QGuiApplication application(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return 1;
    }
    return screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
