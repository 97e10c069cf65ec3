#include "DialogScript.h"
#include "MainWindowFixture.h"
#include "PdfText.h"
#include "SystemCommands.h"
#include "UrlReceiver.h"

#include <QDesktopServices>
#include <QRegularExpression>
#include <QUrl>
#include <QtTest>

using MainWindowFixture::builtProgramFolder;
using MainWindowFixture::readFile;

// The build makes the operator manual beside the program, where Help -> Manual looks for it.
class tst_Manual : public QObject {
    Q_OBJECT
private slots:
    void builtBesideTheProgram();
    void everySectionIsInThePdf();
    void helpOpensIt();
};

void tst_Manual::builtBesideTheProgram()
{
    const QByteArray pdf = readFile(builtProgramFolder() + QLatin1Char('/') + SystemCommands::manualFileName());
    QVERIFY(pdf.startsWith("%PDF-"));
    QVERIFY(pdf.trimmed().endsWith("%%EOF"));
    // A few pages of text, with the screenshot of the main window the build rendered.
    const qsizetype pages = pdf.count("/Type /Page\n");
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
    const QRegularExpression screenshot(QStringLiteral("/Subtype /Image\\s+/Width (\\d+)"));
    int widest = 0;
    for (const QRegularExpressionMatch& match : screenshot.globalMatch(QString::fromLatin1(pdf)))
        widest = qMax(widest, match.captured(1).toInt());
    QVERIFY2(widest >= 800, qPrintable(QString::number(widest)));
}

// Each heading of the text is in the PDF, among them those that teach what an operator meets
// beyond the first steps.
void tst_Manual::everySectionIsInThePdf()
{
    const QString source = QString::fromUtf8(
        readFile(QString::fromLocal8Bit(qgetenv("ZELVORIN_SOURCE_DIR")) + QStringLiteral("/manual/zelvorin_Manual.md")));
    QStringList headings;
    static const QRegularExpression heading(QStringLiteral("^#+ (.+)$"), QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& match : heading.globalMatch(source))
        headings << match.captured(1).trimmed();
    for (const char* topic : {"The model-matching editor", "The simulated camera", "Values in red",
                              "Rejected colonies", "The order of the rows", "Exports"})
        QVERIFY2(headings.contains(QLatin1String(topic)), topic);

    const QByteArray pdf = readFile(builtProgramFolder() + QLatin1Char('/') + SystemCommands::manualFileName());
    const QString text = PdfText::compact(PdfText::text(pdf));
    for (const QString& title : std::as_const(headings))
        QVERIFY2(text.contains(PdfText::compact(title)), qPrintable(title));
    // The build leaves out a screenshot it could not render, with a warning only.
    QCOMPARE(pdf.count("/Subtype /Image"), source.count(QStringLiteral("](screenshot:")));
}

// The program runs in its own folder: from there the command finds the built manual and hands
// its absolute path to the desktop.
void tst_Manual::helpOpensIt()
{
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(builtProgramFolder()));
    DialogScript::Script script;
    UrlReceiver receiver;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &receiver, "open");
    SystemCommands commands{SystemCommands::Parts()};
    commands.manual();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDir::setCurrent(previous);
    QVERIFY(script.boxes.isEmpty());
    QCOMPARE(receiver.urls.size(), 1);
    QCOMPARE(QFileInfo(receiver.urls.first().toLocalFile()),
             QFileInfo(builtProgramFolder() + QLatin1Char('/') + SystemCommands::manualFileName()));
}

QTEST_MAIN(tst_Manual)
#include "tst_Manual.moc"
