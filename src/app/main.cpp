// The window program. Until the main window lands it opens a bare window captioned "Torvane".
#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setObjectName("TMainForm");
  window.setWindowTitle("Torvane");
  window.resize(640, 480);
  window.show();
  return app.exec();
}
