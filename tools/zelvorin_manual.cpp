// Makes the operator manual "zelvorin_Manual.pdf" from its Markdown text with Qt's own PDF
// writer. Pictures named "screenshot:<name>" in the text are rendered from the program's real
// windows; one that cannot be made is left out with a warning, the rest of the manual stays.
// The build runs it on the offscreen platform after the program is built:
//
//   zelvorin-manual <manual.md> <manual.pdf> <program folder>

#include "ManualScreenshots.h"
#include "ReplacingFile.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

#include <cstdio>

namespace {

// A manual is a few pages of text; anything much larger is not the manual.
constexpr qint64 MaximumTextBytes = 4 * 1024 * 1024;
// The text width of an A4 page within the 2 cm margins the document keeps, in the document's
// 96-dpi units; wider pictures are scaled down to it.
constexpr double PictureWidth = 620.0;

const QRegularExpression& screenshotLine()
{
    static const QRegularExpression line(QStringLiteral("^!\\[[^\\]]*\\]\\(screenshot:([A-Za-z0-9_-]+)\\)\\s*$"),
                                         QRegularExpression::MultilineOption);
    return line;
}

bool readText(const QString& path, QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaximumTextBytes)
        return false;
    text = QString::fromUtf8(file.readAll());
    return !text.isEmpty();
}

// The screenshots the text asks for; lines of those that could not be made go.
QString placePictures(const QString& text, const QString& programFolder, QMap<QString, QImage>& pictures)
{
    if (!screenshotLine().match(text).hasMatch())
        return text;
    pictures = ManualScreenshots::render(programFolder);
    QString placed;
    qsizetype last = 0;
    QRegularExpressionMatchIterator it = screenshotLine().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QString name = match.captured(1);
        placed += text.mid(last, match.capturedEnd() - last);
        if (pictures.value(name).isNull()) {
            std::fprintf(stderr, "zelvorin-manual: warning: picture \"%s\" left out\n", qPrintable(name));
            placed.chop(match.capturedLength());
        }
        last = match.capturedEnd();
    }
    return placed + text.mid(last);
}

void fitPicturesToPage(QTextDocument& document)
{
    struct Wide {
        int position;
        int length;
        QTextImageFormat format;
    };
    QList<Wide> wide;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QImage picture =
                document.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
            if (picture.isNull() || picture.width() <= PictureWidth)
                continue;
            format.setWidth(PictureWidth);
            format.setHeight(PictureWidth * picture.height() / picture.width());
            wide.append({fragment.position(), fragment.length(), format});
        }
    }
    // Changed after the walk: a changed format may merge the fragments walked over.
    for (const Wide& picture : wide) {
        QTextCursor cursor(&document);
        cursor.setPosition(picture.position);
        cursor.setPosition(picture.position + picture.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(picture.format);
    }
}

// Written through a temporary file: a failed run leaves no half manual behind.
bool writePdf(QTextDocument& document, const QString& path)
{
    ReplacingFile file(path);
    if (!file.open())
        return false;
    {
        QPdfWriter writer(&file.file());
        writer.setTitle(QStringLiteral("zelvorin Operator Manual"));
        writer.setCreator(QStringLiteral("zelvorin"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        document.print(&writer);
    }
    return file.commit();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: zelvorin-manual <manual.md> <manual.pdf> <program folder>\n");
        return 2;
    }
    QString text;
    if (!readText(arguments.at(1), text)) {
        std::fprintf(stderr, "zelvorin-manual: cannot read %s\n", qPrintable(arguments.at(1)));
        return 1;
    }
    QMap<QString, QImage> pictures;
    const QString placed = placePictures(text, QFileInfo(arguments.at(3)).absoluteFilePath(), pictures);
    QTextDocument document;
    document.setMarkdown(placed, QTextDocument::MarkdownDialectGitHub);
    // After the text: setting it clears the document's resources.
    for (auto it = pictures.cbegin(); it != pictures.cend(); ++it)
        document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("screenshot:") + it.key()), it.value());
    fitPicturesToPage(document);
    if (!writePdf(document, arguments.at(2))) {
        std::fprintf(stderr, "zelvorin-manual: cannot write %s\n", qPrintable(arguments.at(2)));
        return 1;
    }
    return 0;
}
