// The window program: wwwplot starts it for the window, so that the command
// line and the headless cycle never load the toolkit.
#include <exception>
#include <iostream>

#include <QApplication>
#include <QMessageBox>

#include "display_probe.h"
#include "tform1.h"

namespace {

// Shows an exception that escaped start-up or an event handler in a modal box
// captioned with the application's title.
void ShowException(const char* what) {
  QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kApplicationTitle), QString::fromLocal8Bit(what),
                  QMessageBox::Ok);
  box.exec();
}

// The application object: an exception escaping an event handler is shown and
// then ends the program with exit status 0.
class StationApplication : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      ShowException(error.what());
    } catch (...) {
      ShowException("Unknown exception");
    }
    QCoreApplication::exit(0);
    return true;
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  if (!DisplayAvailable()) {
    std::cerr << "wwwplot: no display to open the window on; run 'wwwplot --headless' instead\n";
    return 2;
  }
  StationApplication application(argc, argv);
  // The title names the program in task lists; it is not a display name, which
  // the toolkit would append to every window title.
  QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/wwwplot.png")));
  try {
    MessageBoxSink messages;
    TForm1 form(messages);
    form.show();
    QApplication::exec();
    return 0;
  } catch (const std::exception& error) {
    ShowException(error.what());
  } catch (...) {
    ShowException("Unknown exception");
  }
  return 0;
}

