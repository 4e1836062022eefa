// zamiro: the desktop program.
#include <QApplication>
#include <QIcon>
#include <clocale>

#include "app/tform1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Numbers are printed and read with a point, whatever the desktop's language.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Zamiro"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/zamiro.png")));
  zamiro::TForm1 form;
  form.show();
  return QApplication::exec();
}
