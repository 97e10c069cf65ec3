#pragma once

// The text of a PDF as Qt's PDF writer lays it down: each page's content stream (deflated)
// shows glyph numbers of a font ("/F<n> <size> Tf", then "<hex> Tj"), and each font object n
// names its ToUnicode map, which turns glyph numbers back into characters. Enough to read the
// operator manual the build makes; not a reader of PDF files in general.

#include <QByteArray>
#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QtEndian>

namespace PdfText {

struct Object {
    QByteArray dictionary;
    QByteArray stream; // inflated when the object says so
};

inline QByteArray inflate(const QByteArray& deflated)
{
    // qUncompress wants the size first; it grows its buffer when the guess is short.
    QByteArray framed(4, '\0');
    qToBigEndian<quint32>(quint32(qMax<qsizetype>(deflated.size() * 8, 4096)), framed.data());
    return qUncompress(framed + deflated);
}

inline QHash<int, Object> objects(const QByteArray& pdf)
{
    QHash<int, Object> result;
    static const QRegularExpression start(QStringLiteral("(\\d+) 0 obj"));
    const QString text = QString::fromLatin1(pdf);
    for (const QRegularExpressionMatch& match : start.globalMatch(text)) {
        const qsizetype begin = match.capturedEnd();
        const qsizetype end = pdf.indexOf("endobj", begin);
        if (end < 0)
            continue;
        const QByteArray body = pdf.mid(begin, end - begin);
        Object object;
        const qsizetype streamAt = body.indexOf("stream");
        object.dictionary = streamAt < 0 ? body : body.left(streamAt);
        if (streamAt >= 0) {
            qsizetype data = streamAt + 6;
            if (body.mid(data, 2) == "\r\n")
                data += 2;
            else if (body.at(data) == '\n')
                ++data;
            const QByteArray raw = body.mid(data, body.lastIndexOf("endstream") - data);
            object.stream = object.dictionary.contains("/FlateDecode") ? inflate(raw) : raw;
        }
        result.insert(match.captured(1).toInt(), object);
    }
    return result;
}

// Glyph number -> characters, from the "bfchar" and "bfrange" entries of a ToUnicode map.
inline QHash<uint, QString> unicodeMap(const QByteArray& cmap)
{
    QHash<uint, QString> map;
    const auto character = [](const QString& hex) {
        QString text;
        for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
            text += QChar(char16_t(hex.mid(i, 4).toUInt(nullptr, 16)));
        return text;
    };
    const QString text = QString::fromLatin1(cmap);
    static const QRegularExpression range(
        QStringLiteral("<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>\\s*(\\[[^\\]]*\\]|<[0-9A-Fa-f]+>)"));
    static const QRegularExpression code(QStringLiteral("<([0-9A-Fa-f]+)>"));
    for (const QString& section : text.split(QStringLiteral("beginbf")).mid(1)) {
        const bool isRange = section.startsWith(QLatin1String("range"));
        const QString entries = section.left(section.indexOf(QLatin1String("endbf")));
        if (!isRange) {
            QList<QString> codes;
            for (const QRegularExpressionMatch& match : code.globalMatch(entries))
                codes << match.captured(1);
            for (qsizetype i = 0; i + 1 < codes.size(); i += 2)
                map.insert(codes.at(i).toUInt(nullptr, 16), character(codes.at(i + 1)));
            continue;
        }
        for (const QRegularExpressionMatch& match : range.globalMatch(entries)) {
            const uint first = match.captured(1).toUInt(nullptr, 16);
            const uint last = match.captured(2).toUInt(nullptr, 16);
            const QString target = match.captured(3);
            if (target.startsWith(QLatin1Char('['))) {
                uint glyph = first;
                for (const QRegularExpressionMatch& each : code.globalMatch(target))
                    map.insert(glyph++, character(each.captured(1)));
            } else {
                const QString base = character(target.mid(1, target.size() - 2));
                for (uint glyph = first; glyph <= last && !base.isEmpty(); ++glyph)
                    map.insert(glyph, QString(QChar(char16_t(base.at(0).unicode() + (glyph - first)))));
            }
        }
    }
    return map;
}

// Every shown glyph in page order; a glyph that maps to no character is left out.
inline QString text(const QByteArray& pdf)
{
    const QHash<int, Object> all = objects(pdf);
    static const QRegularExpression toUnicode(QStringLiteral("/ToUnicode (\\d+) 0 R"));
    QHash<int, QHash<uint, QString>> fonts;
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        const QRegularExpressionMatch match = toUnicode.match(QString::fromLatin1(it.value().dictionary));
        if (match.hasMatch())
            fonts.insert(it.key(), unicodeMap(all.value(match.captured(1).toInt()).stream));
    }
    static const QRegularExpression operation(QStringLiteral("/F(\\d+) [\\d.]+ Tf|<([0-9A-Fa-f]+)> Tj"));
    QString shown;
    QList<int> pageContents;
    static const QRegularExpression contents(QStringLiteral("/Type /Page\\b[^>]*/Contents (\\d+) 0 R"));
    for (auto it = all.cbegin(); it != all.cend(); ++it) {
        const QRegularExpressionMatch match = contents.match(QString::fromLatin1(it.value().dictionary));
        if (match.hasMatch())
            pageContents << match.captured(1).toInt();
    }
    std::sort(pageContents.begin(), pageContents.end());
    for (int number : std::as_const(pageContents)) {
        const QHash<uint, QString>* font = nullptr;
        for (const QRegularExpressionMatch& match : operation.globalMatch(QString::fromLatin1(all.value(number).stream))) {
            if (!match.captured(1).isEmpty()) {
                const auto found = fonts.constFind(match.captured(1).toInt());
                font = found == fonts.cend() ? nullptr : &found.value();
                continue;
            }
            const QString glyphs = match.captured(2);
            for (qsizetype i = 0; font && i + 4 <= glyphs.size(); i += 4)
                shown += font->value(glyphs.mid(i, 4).toUInt(nullptr, 16));
        }
    }
    return shown;
}

// The text without any white space, its ligatures ("fi") spelt out: lines, blanks and tabs do
// not separate words the same way on every page.
inline QString compact(const QString& text)
{
    QString result;
    for (QChar c : text.normalized(QString::NormalizationForm_KC)) {
        if (!c.isSpace())
            result += c;
    }
    return result;
}

} // namespace PdfText
