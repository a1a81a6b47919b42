#include "portrait/ReadingCard.h"
#include "ComposeSupport.h"
#include "TestSupport.h"
#include "album/PhotoAlbum.h"
#include "print/CardPrinter.h"
#include "ui/Application.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QTranslator>

namespace {

/// The mean difference per channel between `a` and `b` over `region` of each.
double meanDifference(const QImage& a, const QRect& inA, const QImage& b) {
    const QImage x = a.copy(inA)
                         .scaled(b.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < y.height(); ++row)
        for (int column = 0; column < y.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            sum +=
                qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * y.width() * y.height());
}

/// The page size of a one-page PDF in points.
QSizeF pageOf(const QString& pdf) {
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpressionMatch box =
        QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"))
            .match(QString::fromLatin1(file.readAll()));
    return box.hasMatch() ? QSizeF(box.captured(1).toDouble(), box.captured(2).toDouble())
                          : QSizeF();
}

/// The PDF's page as a picture at `dpi`, through poppler; null where it is not installed.
QImage rendered(const QString& pdf, int dpi) {
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        return {};
    QProcess run;
    run.start(pdftoppm, {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                         QStringLiteral("-singlefile"), pdf, pdf});
    if (!run.waitForFinished(60000) || run.exitCode() != 0)
        return {};
    return QImage(pdf + QStringLiteral(".png"));
}

} // namespace

// The card prints at its real size: filling 4 × 6 inch paper, centred on A4, made smaller
// (never cut) on A6; the portrait's own pixels are where the card puts them.
TEST(CardPrinting, TheCardPrintsAtItsRealSizeOnAnyPaper) {
    QTemporaryDir folder;
    ReadingCard::Content content;
    content.portrait = QImage(720, 960, QImage::Format_RGB32);
    QPainter painter(&content.portrait);
    QLinearGradient gradient(0, 0, 720, 960);
    gradient.setColorAt(0, QColor(40, 90, 200));
    gradient.setColorAt(1, QColor(230, 120, 60));
    painter.fillRect(content.portrait.rect(), gradient);
    painter.fillRect(QRect(200, 300, 320, 200), QColor(250, 240, 80));
    painter.end();
    content.lines.append(
        {AuraPalette::Pink, QStringLiteral("Pink · present"), QStringLiteral("Pink is love.")});
    content.date = QStringLiteral("10 December 2026");

    const struct {
        const char* name;
        QPageSize paper;
        QSizeF points;
    } papers[] = {
        {"card", QPageSize(QSizeF(4, 6), QPageSize::Inch), QSizeF(288, 432)},
        {"a4", QPageSize(QPageSize::A4), QSizeF(595, 842)},
        {"a6", QPageSize(QPageSize::A6), QSizeF(298, 420)},
    };
    for (const auto& paper : papers) {
        SCOPED_TRACE(paper.name);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = folder.filePath(QString::fromLatin1(paper.name) + ".pdf");
        printer.setOutputFileName(pdf);
        CardPrinter::prepare(printer);
        if (qstrcmp(paper.name, "card") != 0)
            printer.setPageSize(paper.paper);
        const auto printed = CardPrinter::print(printer, content);
        ASSERT_TRUE(printed.ok()) << qPrintable(printed.error());
        const QSizeF page = pageOf(pdf);
        EXPECT_NEAR(page.width(), paper.points.width(), 1.0);
        EXPECT_NEAR(page.height(), paper.points.height(), 1.0);

        constexpr int dpi = 100;
        const QImage shown = rendered(pdf, dpi);
        if (shown.isNull())
            GTEST_SKIP() << "pdftoppm is not installed: the printed pixels are not checked";
        // Where the card's portrait must lie on the page at this resolution.
        const QSizeF pagePixels = paper.points * dpi / 72.0;
        QSizeF card(4 * dpi, 6 * dpi);
        if (card.width() > pagePixels.width() || card.height() > pagePixels.height())
            card.scale(pagePixels, Qt::KeepAspectRatio);
        const double scale = card.width() / ReadingCard::size().width();
        const QPointF origin((pagePixels.width() - card.width()) / 2,
                             (pagePixels.height() - card.height()) / 2);
        const QRectF portrait(origin + QPointF(ReadingCard::portraitRect().topLeft()) * scale,
                              QSizeF(ReadingCard::portraitRect().size()) * scale);
        // Two pixels in from each edge: the page's pixel grid does not meet the card's.
        const QRect inner = portrait.toAlignedRect().adjusted(2, 2, -2, -2);
        const QRect inPortrait(QPointF((inner.left() - portrait.left()) / scale,
                                       (inner.top() - portrait.top()) / scale)
                                   .toPoint(),
                               (QSizeF(inner.size()) / scale).toSize());
        const QImage expected =
            content.portrait.copy(inPortrait)
                .scaled(inner.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LT(meanDifference(shown, inner, expected), 6.0)
            << "the portrait is not where it belongs";
    }
}

// Through a real print server, where one is set up (CI sets up a PDF printer in CUPS and
// names it and the folder it writes into): the server gets a 4 × 6 inch page.
TEST(CardPrinting, APrintServerGetsTheCardsPage) {
    const QString name = qEnvironmentVariable("VELMORA_TEST_PRINTER");
    const QDir out(qEnvironmentVariable("VELMORA_TEST_PRINTER_OUT"));
    if (name.isEmpty() || !out.exists())
        GTEST_SKIP() << "no print server to print through (VELMORA_TEST_PRINTER)";
    const QStringList before = out.entryList({QStringLiteral("*.pdf")});
    ReadingCard::Content content;
    content.portrait = QImage(720, 960, QImage::Format_RGB32);
    content.portrait.fill(QColor(40, 90, 200));
    content.date = QStringLiteral("10 December 2026");
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(name);
    ASSERT_TRUE(printer.isValid()) << "no printer " << qPrintable(name);
    CardPrinter::prepare(printer);
    const auto printed = CardPrinter::print(printer, content);
    ASSERT_TRUE(printed.ok()) << qPrintable(printed.error());
    QString written;
    for (int waited = 0; waited < 600 && written.isEmpty(); ++waited) {
        QThread::msleep(100);
        for (const QString& file : out.entryList({QStringLiteral("*.pdf")}))
            if (!before.contains(file))
                written = out.filePath(file);
    }
    ASSERT_FALSE(written.isEmpty())
        << "the print server wrote nothing into " << qPrintable(out.path());
    QThread::msleep(500); // the file is written, then closed
    const QSizeF page = pageOf(written);
    EXPECT_NEAR(page.width(), 288.0, 1.5);
    EXPECT_NEAR(page.height(), 432.0, 1.5);
}

// The card's actions on the screen: the reading's chips are read in full, Copy reading puts
// the card and its words on the clipboard, and the saved portrait never holds the reading.
TEST_F(AppFixture, TheReadingCardIsCopiedWholeAndNeverEntersThePortrait) {
    // The longest readings, in English and in German (whose times are long words).
    QWidget* row = nullptr;
    for (const bool german : {true, false}) {
        if (german) {
            ASSERT_TRUE(toolkit::installTranslations(QLocale(QLocale::German, QLocale::Germany)));
        }
        for (const int number : {64, 92, 3}) {
            SCOPED_TRACE(number);
            screen->setFixedAura(number);
            pickFromAlbum(picture(QStringLiteral("sitter-%1.png").arg(number), QSize(600, 800),
                                  QColor(90, 140, 200)));
            row = screen->view()->findChild<QWidget*>(QStringLiteral("reading"));
            ASSERT_TRUE(row && row->isVisible());
            QStringList texts;
            for (auto* chip : row->findChildren<QPushButton*>())
                texts << chip->text();
            // Every one of these readings has lavender.
            EXPECT_TRUE(texts.join(QLatin1Char(' '))
                            .contains(german ? QStringLiteral("Lavendel · ")
                                             : QStringLiteral("Lavender · ")))
                << qPrintable(texts.join(QLatin1Char(',')));
            for (auto* chip : row->findChildren<QPushButton*>()) {
                if (chip->isVisible()) {
                    EXPECT_TRUE(chip->width() >= chip->sizeHint().width() &&
                                row->rect().contains(chip->geometry()))
                        << qPrintable(chip->text()) << " is cut off";
                }
            }
        }
        for (QTranslator* translator :
             qApp->findChildren<QTranslator*>(QStringLiteral("translator"))) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }

    auto* card = row->findChild<QPushButton*>(QStringLiteral("readingCard"));
    ASSERT_TRUE(card && card->menu());
    const QList<QAction*> actions = card->menu()->actions();
    ASSERT_EQ(actions.size(), 3);
    QGuiApplication::clipboard()->clear();
    actions[2]->trigger();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied && copied->hasImage() && copied->hasText());
    const QImage picture = qvariant_cast<QImage>(copied->imageData());
    EXPECT_EQ(picture.size(), ReadingCard::size());
    for (auto* chip : row->findChildren<QPushButton*>(QRegularExpression("^readingColour"))) {
        if (chip->isVisible()) {
            EXPECT_TRUE(copied->text().contains(chip->text())) << qPrintable(copied->text());
        }
    }

    // Print opens the print dialog, and what it accepts is printed: here to a PDF file.
    actions[1]->trigger();
    auto* dialog = app->window()->findChild<QPrintDialog*>();
    ASSERT_TRUE(dialog && dialog->isVisible());
    const QString printed = scratch.filePath(QStringLiteral("printed.pdf"));
    // Printing to a file, whose name the person types (the only choice without a print
    // server; with one, its printers come first).
    if (auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"))) {
        const int toFile = printers->findText(QPrintDialog::tr("Print to File (PDF)"));
        ASSERT_GE(toFile, 0) << "the print dialog cannot print to a file";
        printers->setCurrentIndex(toFile);
    }
    auto* fileName = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
    ASSERT_TRUE(fileName) << "the print dialog has no file name field";
    fileName->setText(printed);
    dialog->accept();
    // On the paper the dialog chose; how a card sits on any paper is tested above.
    EXPECT_GT(pageOf(printed).width(), 0.0) << "the card was not printed";

    // The card's portrait is the large portrait a save writes, pixel for pixel.
    auto newest = [this](const QStringList& before) {
        toolkit::PhotoAlbum::shared().waitForQueuedWrites(30000);
        QCoreApplication::processEvents();
        QStringList added = albumFiles();
        for (const QString& name : before)
            added.removeAll(name);
        return added.size() == 1 ? QImage(albumFolder + QLatin1Char('/') + added.first())
                                 : QImage();
    };
    QStringList before = albumFiles();
    screen->savePortrait(2);
    const QImage large = newest(before);
    ASSERT_EQ(large.size(), QSize(720, 960));
    EXPECT_EQ(picture.copy(ReadingCard::portraitRect()).convertToFormat(QImage::Format_RGB32),
              large.convertToFormat(QImage::Format_RGB32));

    // The same portrait with the reading shown and hidden.
    before = albumFiles();
    screen->save(screen->ui->save2);
    const QImage withReading = newest(before);
    row->hide();
    before = albumFiles();
    screen->save(screen->ui->save2);
    const QImage without = newest(before);
    ASSERT_EQ(withReading.size(), QSize(360, 480));
    EXPECT_EQ(withReading, without) << "the reading is drawn into the portrait";
}

// A large portrait is 720 × 960; its reading card is a 4 × 6 inch page at 300 dpi that holds
// that very portrait pixel for pixel, as PNG and as PDF, beside the portrait.
TEST_F(Compose, ALargePortraitAndItsReadingCard) {
    const QString sitter = photo(QStringLiteral("sitter.jpg"), QColor(120, 90, 160));
    const ComposeRun run =
        compose({QStringLiteral("--out"), out, QStringLiteral("--aura"), QStringLiteral("7"),
                 QStringLiteral("--scale"), QStringLiteral("2"), QStringLiteral("--card"), sitter});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    ASSERT_EQ(run.written.size(), 3) << qPrintable(run.written.join(QLatin1Char('\n')));
    const QImage portrait(run.written[0]);
    ASSERT_EQ(portrait.size(), QSize(720, 960));
    QString base = run.written[0];
    base.chop(4);
    EXPECT_EQ(run.written[1], base + QStringLiteral("-card.png"));
    EXPECT_EQ(run.written[2], base + QStringLiteral("-card.pdf"));
    const QImage card(run.written[1]);
    ASSERT_EQ(card.size(), QSize(1200, 1800));
    EXPECT_EQ(card.copy(ReadingCard::portraitRect()).convertToFormat(QImage::Format_RGB32),
              portrait.convertToFormat(QImage::Format_RGB32))
        << "the card's portrait is not the portrait";
    const QByteArray pdf = bytesOf(run.written[2]);
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    // 4 × 6 inches in points.
    const QRegularExpressionMatch box =
        QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"))
            .match(QString::fromLatin1(pdf));
    ASSERT_TRUE(box.hasMatch()) << "the PDF has no page size";
    EXPECT_NEAR(box.captured(1).toDouble(), 288.0, 0.5) << "not 4 inches wide";
    EXPECT_NEAR(box.captured(2).toDouble(), 432.0, 0.5) << "not 6 inches tall";

    const ComposeRun refused = compose(
        {QStringLiteral("--out"), out, QStringLiteral("--scale"), QStringLiteral("3"), sitter});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.errors.contains(QStringLiteral("--scale"))) << qPrintable(refused.errors);
}
