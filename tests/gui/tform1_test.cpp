// Drives the real main window on the offscreen platform.
#include <QApplication>
#include <functional>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include "app/tform1.h"
#include "app/tform2.h"
#include "interp/program_files.h"
#include "platform/cp932.h"

using zamiro::TForm1;

namespace {

constexpr int kWaitMs = 10000;

QMessageBox* OpenMessageBox() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible()) return box;
  }
  return nullptr;
}

std::vector<std::string> QueuedLines(TForm1& form) {
  std::vector<std::string> lines;
  for (const std::string& s : form.Queue().Snapshot()) lines.push_back(zamiro::Cp932ToUtf8(s));
  return lines;
}

}  // namespace

class TForm1Test : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TForm1> form;

  void Type(const QString& line) {
    QTextCursor end = form->Memo1->textCursor();
    end.movePosition(QTextCursor::End);
    form->Memo1->setTextCursor(end);
    form->Memo1->insertPlainText(line);  // as an input method would commit it
    QTest::keyClick(form->Memo1, Qt::Key_Return);
  }

  bool OutputHas(const QString& line) {
    return form->Memo2->toPlainText().split('\n').contains(line);
  }

 private slots:
  void init() {
    TForm1::Options options;
    options.startupPauseMs = 0;
    form = std::make_unique<TForm1>(options);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  }

  void cleanup() {
    form->close();
    form.reset();
  }

  void startsWithCaptionAndPanes() {
    QCOMPARE(form->windowTitle(), QStringLiteral("ZAMIRO Ver 1.53"));
    QCOMPARE(form->Memo2->toPlainText(), QStringLiteral("PRINT の結果\n"));
    QCOMPARE(form->Panel1->size(), QSize(469, 277));
    QVERIFY(form->Memo1->hasFocus());
  }

  void enterQueuesTheWholeLineUnderTheCaret() {
    form->Memo1->setPlainText(QStringLiteral("print 12\nprint 3"));
    QTextCursor c = form->Memo1->textCursor();
    c.setPosition(4);  // in the middle of the first line
    form->Memo1->setTextCursor(c);
    QTest::keyClick(form->Memo1, Qt::Key_Return);
    QCOMPARE(QueuedLines(*form).back(), std::string("print 12"));
    // The memo broke the line at the caret.
    QCOMPARE(form->Memo1->document()->findBlockByNumber(0).text(), QStringLiteral("prin"));

    c = form->Memo1->textCursor();
    c.movePosition(QTextCursor::End);
    form->Memo1->setTextCursor(c);
    QTest::keyClick(form->Memo1, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(QueuedLines(*form).back(), std::string("print 3"));
    QTest::keyClick(form->Memo1, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(QueuedLines(*form).back(), std::string(""));
    QTRY_VERIFY_WITH_TIMEOUT(OutputHas("12") && OutputHas("3"), kWaitMs);
  }

  void enterQueuesAWrappedLineWhole() {
    QString longLine = QStringLiteral("print 1");
    for (int i = 0; i < 40; ++i) longLine += QStringLiteral(" + 1");
    form->Memo1->setPlainText(longLine);
    QTextCursor c = form->Memo1->textCursor();
    c.movePosition(QTextCursor::End);
    form->Memo1->setTextCursor(c);
    QVERIFY(form->Memo1->document()->firstBlock().layout()->lineCount() > 1);
    QTest::keyClick(form->Memo1, Qt::Key_Return);
    QCOMPARE(QueuedLines(*form).back(), longLine.toStdString());
    QTRY_VERIFY_WITH_TIMEOUT(OutputHas("41"), kWaitMs);
  }

  void printReachesTheOutput() {
    Type(QStringLiteral("print 6*7"));
    Type(QStringLiteral("かけ　１．５"));
    QTRY_VERIFY_WITH_TIMEOUT(OutputHas("42") && OutputHas("1.5"), kWaitMs);
  }

  void anErrorShowsOneMessageAndTheNextLineRuns() {
    Type(QStringLiteral("print 1 xyz print 2"));
    QTRY_VERIFY_WITH_TIMEOUT(OpenMessageBox() != nullptr, kWaitMs);
    QMessageBox* box = OpenMessageBox();
    QCOMPARE(box->windowTitle(), QStringLiteral("エラー 無視します"));
    QCOMPARE(box->text(), QStringLiteral("Top Level の 1 行 12 列の xyz は新しい手続きです"));
    QCOMPARE(box->icon(), QMessageBox::NoIcon);
    QCOMPARE(box->buttons().size(), 1);
    // The window stays usable while the box is open: a line typed now waits its turn.
    Type(QStringLiteral("print 3"));
    box->button(QMessageBox::Ok)->click();
    QTRY_VERIFY_WITH_TIMEOUT(OutputHas("3"), kWaitMs);
    QVERIFY(OutputHas("1"));
    QVERIFY(!OutputHas("2"));
    QVERIFY(OpenMessageBox() == nullptr);
  }

  void escStopsARunningLoop() {
    Type(QStringLiteral("repeat 100000000 [fd 1 rt 1]"));
    QTest::qWait(200);
    QTest::keyClick(form->Memo1, Qt::Key_Escape);
    Type(QStringLiteral("print 7"));
    QTRY_VERIFY_WITH_TIMEOUT(OutputHas("7"), kWaitMs);
    QVERIFY(OpenMessageBox() == nullptr);  // stopped without a message
    std::lock_guard<std::mutex> lock(form->Context().picture.mutex);
    QVERIFY(form->Context().turtle.turtleHeading > 0);
    QVERIFY(form->Context().turtle.turtleHeading < 100000000);
  }

  void theCursorStandsAtTheCentreAtStart() {
    // Drawn once (an even number of exclusive-or draws would cancel out): dark pixels at the
    // centre of the image, which is the panel less its bevel.
    std::lock_guard<std::mutex> lock(form->Context().picture.mutex);
    const QImage& image = form->Context().picture.canvas.Image();
    QCOMPARE(image.size(), QSize(469, 277));
    QVERIFY(qGray(image.pixel(233, 137 + 8)) < 64);
  }

  void aResizeRecentresTheTurtleAndKeepsTheDrawing() {
    Type(QStringLiteral("ht pu setxy -200 100 pd fd 20 print 1"));
    QTRY_VERIFY_WITH_TIMEOUT(OutputHas("1"), kWaitMs);
    auto pixel = [&](int x, int y) {
      std::lock_guard<std::mutex> lock(form->Context().picture.mutex);
      return form->Context().picture.canvas.Image().pixel(x, y);
    };
    QCOMPARE(qGray(pixel(33, 30)), 0);  // on the line (233 - 200, 137 - 100 - 7)
    form->resize(form->width() + 100, form->height() + 60);
    QTRY_COMPARE_WITH_TIMEOUT(form->Panel1->size(), QSize(569, 337), kWaitMs);
    QCOMPARE(qGray(pixel(33, 30)), 0);
    std::lock_guard<std::mutex> lock(form->Context().picture.mutex);
    const zamiro::TurtleState& t = form->Context().turtle;
    QCOMPARE(t.centreX, 283.0);
    QCOMPARE(t.centreY, 167.0);
    QCOMPARE(t.turtleX, 283.0);
    QCOMPARE(t.turtleY, 167.0);
    QCOMPARE(t.turtleHeading, 0.0);
  }

  void toOpensTheEditorAndOkDefines() {
    Type(QStringLiteral("to square"));
    QTRY_VERIFY_WITH_TIMEOUT(form->Form2->isVisible(), kWaitMs);
    QCOMPARE(form->Form2->Memo1->toPlainText(), QStringLiteral("TO square"));
    form->Form2->Memo1->setPlainText(QStringLiteral("TO square :n\nprint :n * :n\nEND"));
    form->Form2->accept();
    Type(QStringLiteral("square 5"));
    QTRY_VERIFY_WITH_TIMEOUT(OutputHas("25"), kWaitMs);
  }

  void cancelDefinesNothingAndMissingEndReopens() {
    Type(QStringLiteral("to cube"));
    QTRY_VERIFY_WITH_TIMEOUT(form->Form2->isVisible(), kWaitMs);
    form->Form2->Memo1->setPlainText(QStringLiteral("TO cube :n\nprint :n * :n * :n"));
    form->Form2->accept();
    QTRY_VERIFY_WITH_TIMEOUT(OpenMessageBox() != nullptr, kWaitMs);
    QCOMPARE(OpenMessageBox()->windowTitle(), QStringLiteral("無視します"));
    QCOMPARE(OpenMessageBox()->text(), QStringLiteral("TO cube :n には END がありません"));
    OpenMessageBox()->button(QMessageBox::Ok)->click();
    QTRY_VERIFY_WITH_TIMEOUT(form->Form2->isVisible(), kWaitMs);
    QCOMPARE(form->Form2->Memo1->toPlainText(),
             QStringLiteral("TO cube :n\nprint :n * :n * :n"));
    form->Form2->reject();
    Type(QStringLiteral("listing"));
    Type(QStringLiteral("print 99"));
    QTRY_VERIFY_WITH_TIMEOUT(OutputHas("99"), kWaitMs);
    QVERIFY(!OutputHas("CUBE"));
  }

  void openAndSaveRoundTrip() {
    QTemporaryDir dir;
    QString in = dir.filePath("in.txt");
    QString out = dir.filePath("out.txt");
    QByteArray text("TO TWICE :n\r\nprint :n * 2\r\nEND\r\n");
    QFile f(in);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    form->Open1Click(in);
    Type(QStringLiteral("twice 21"));
    QTRY_VERIFY_WITH_TIMEOUT(OutputHas("42"), kWaitMs);
    form->K2Click(out);
    QFile g(out);
    QVERIFY(g.open(QIODevice::ReadOnly));
    QCOMPARE(g.readAll(), text);
  }

  // Runs `action`, which shows a modal message box; returns the box's text after closing it.
  QString MessageFrom(const std::function<void()>& action) {
    QString text;
    QTimer::singleShot(100, [&] {
      if (QMessageBox* box = OpenMessageBox()) {
        text = box->text();
        box->button(QMessageBox::Ok)->click();
      }
    });
    action();
    return text;
  }

  void filesThatCannotBeReadOrWrittenAreReported() {
    QTemporaryDir dir;
    QCOMPARE(MessageFrom([&] { form->Open1Click(dir.filePath("missing.txt")); }),
             dir.filePath("missing.txt") + QStringLiteral(" を読めません（ファイルかフォルダが見つかりません）"));
    QCOMPARE(MessageFrom([&] { form->Open1Click(dir.path()); }),
             dir.path() + QStringLiteral(" を読めません（フォルダです）"));
    QString target = dir.filePath("no/such/folder.txt");
    QVERIFY(MessageFrom([&] { form->K2Click(target); }).startsWith(target + " に保存できません"));
  }

  void printingScalesByAWholeFactorFromTheTopLeft() {
    QImage picture(4, 2, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(3, 1, qRgb(0, 0, 255));
    QTemporaryDir dir;
    QString pdf = dir.filePath("page.pdf");
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(72);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0));
    TForm1::PrintPicture(printer, picture);
    // A4 at 72 dpi is 595 x 842: the factor is min(595 / 4, 842 / 2) = 148.
    QString png = dir.filePath("page");
    QProcess render;
    render.start("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, png});
    QVERIFY(render.waitForFinished(30000));
    QImage page(png + ".png");
    QVERIFY(!page.isNull());
    auto at = [&](int x, int y) { return page.pixelColor(x, y); };
    QCOMPARE(at(1, 1), QColor(Qt::red));          // pixel (0, 0)
    QCOMPARE(at(146, 146), QColor(Qt::red));
    QCOMPARE(at(150, 74), QColor(Qt::white));     // pixel (1, 0)
    QCOMPARE(at(148 * 3 + 2, 148 + 2), QColor(Qt::blue));  // pixel (3, 1)
    QCOMPARE(at(148 * 4 - 2, 148 * 2 - 2), QColor(Qt::blue));
    QCOMPARE(at(100, 300), QColor(Qt::white));    // below the picture
  }

  void aZeroSizedPicturePrintsNothing() {
    QTemporaryDir dir;
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("empty.pdf"));
    TForm1::PrintPicture(printer, QImage());
    QVERIFY(!QFile::exists(dir.filePath("empty.pdf")));
  }

  void escStopsLoopsWithEmptyBlocks() {
    Type(QStringLiteral("repeat 1e12 []"));
    QTest::qWait(100);
    QTest::keyClick(form->Memo1, Qt::Key_Escape);
    Type(QStringLiteral("while 1 []"));
    QTest::qWait(100);
    QTest::keyClick(form->Memo1, Qt::Key_Escape);
    Type(QStringLiteral("print 8"));
    QTRY_VERIFY_WITH_TIMEOUT(OutputHas("8"), kWaitMs);
  }

  void aMillionLinesKeepTheNewestAndTheWindowServed() {
    // Ticks that came while lines were still arriving: the window went on serving events.
    int ticksWhileArriving = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&] {
      if (form->Memo2->document()->lastBlock().text() != "2") ++ticksWhileArriving;
    });
    timer.start(20);
    Type(QStringLiteral("repeat 1000000 [print 1] print 2"));
    QTRY_VERIFY_WITH_TIMEOUT(form->Memo2->document()->lastBlock().text() == "2", 60000);
    QVERIFY(ticksWhileArriving >= 1);
    QCOMPARE(form->Memo2->document()->blockCount(), 200000);
  }

  void closingWhileAMessageOrTheEditorIsOpen() {
    Type(QStringLiteral("xyz"));
    QTRY_VERIFY_WITH_TIMEOUT(OpenMessageBox() != nullptr, kWaitMs);
    form->close();
    QVERIFY(OpenMessageBox() == nullptr);
    cleanup();
    init();
    Type(QStringLiteral("to tri"));
    QTRY_VERIFY_WITH_TIMEOUT(form->Form2->isVisible(), kWaitMs);
    form->close();
    QVERIFY(!form->Form2->isVisible());
  }

  void closingEndsASleep() {
    Type(QStringLiteral("sleep 1e12"));
    QTest::qWait(100);
    form->close();
  }

  void closingEndsABusyInterpreter() {
    Type(QStringLiteral("while 1 []"));
    Type(QStringLiteral("print 1"));
    QTest::qWait(100);
    form->close();  // must return promptly; cleanup destroys the form
  }
};

QTEST_MAIN(TForm1Test)
#include "tform1_test.moc"
