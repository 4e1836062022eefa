// zamiro-desktop-bench: times the desktop program on a Logo file.
// Usage: zamiro-desktop-bench PROGRAM.logo [LAST-OUTPUT]
// It opens the real main window as zamiro does, waits until the interpreter answers a
// `print 0`, then types every line of the file into the command line and prints the seconds
// until the output pane's last line reads LAST-OUTPUT (default 1), the output of the file's
// last line. The window repaints as it always does, so run it on a real display. Output
// reaches the pane once a frame, so the times move in steps of a frame (16 ms).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTimer>
#include <clocale>
#include <cstdio>

#include "app/tform1.h"

namespace {

constexpr int kTimeoutMs = 10 * 60 * 1000;

// Puts the line at the end of the command line and presses Enter, as the user does.
void Type(zamiro::TForm1& form, const QString& line) {
  QTextCursor end = form.Memo1->textCursor();
  end.movePosition(QTextCursor::End);
  form.Memo1->setTextCursor(end);
  form.Memo1->insertPlainText(line);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(form.Memo1, &enter);
}

QString LastOutputLine(const zamiro::TForm1& form) {
  return form.Memo2->document()->lastBlock().text();
}

bool ReadLines(const QString& path, QStringList* lines) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
  *lines = QString::fromUtf8(file.readAll()).split('\n');
  while (!lines->isEmpty() && lines->last().isEmpty()) lines->removeLast();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Zamiro"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/zamiro.png")));
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: zamiro-desktop-bench PROGRAM.logo [LAST-OUTPUT]\n");
    return 2;
  }
  QStringList lines;
  if (!ReadLines(QString::fromLocal8Bit(argv[1]), &lines)) {
    std::fprintf(stderr, "zamiro-desktop-bench: cannot read %s\n", argv[1]);
    return 2;
  }
  const QString lastOutput = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("1");

  zamiro::TForm1 form;
  form.show();

  // Two phases: waiting for the interpreter's start-up pause to end, then the program.
  bool running = false;
  QElapsedTimer clock;
  QObject::connect(form.Memo2, &QPlainTextEdit::textChanged, &form, [&] {
    const QString last = LastOutputLine(form);
    if (!running && last == QStringLiteral("0")) {
      running = true;
      clock.start();
      for (const QString& line : lines) Type(form, line);
    } else if (running && last == lastOutput) {
      std::printf("%.3f\n", static_cast<double>(clock.nsecsElapsed()) / 1e9);
      std::fflush(stdout);
      QCoreApplication::exit(0);
    }
  });
  QTimer::singleShot(0, &form, [&] { Type(form, QStringLiteral("print 0")); });
  QTimer::singleShot(kTimeoutMs, &form, [] {
    std::fprintf(stderr, "zamiro-desktop-bench: no output after %d s\n", kTimeoutMs / 1000);
    QCoreApplication::exit(1);
  });
  return QApplication::exec();
}
