// The floor for the tray measurements: a Qt program with a tray icon and nothing else.
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QPixmap disc(64, 64);
  disc.fill(Qt::transparent);
  {
    QPainter painter(&disc);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(2, 2, 60, 60);
  }
  QSystemTrayIcon icon{QIcon(disc)};
  icon.show();
  return QApplication::exec();
}
