#pragma once

#include "XML_Settings_Element.h"

#include <QDateTime>
#include <QDomDocument>
#include <QObject>
#include <QString>

class QByteArray;
class QIODevice;

// The XML document of one settings record and its file. The record builds a fresh document
// with createDocument() and writes its values under the returned root; to read, it parses a
// text and walks the returned root handle. All failures are reported as false or a null
// handle; checking the configuration version is the record's task.
class XML_Settings : public QObject {
    Q_OBJECT
public:
    // name: the record's display name, kept in the Name/Name element and in step with the
    // file's base name; may be null for records without a name. It must outlive this object.
    XML_Settings(const QString& applicationName, const QString& applicationVersion,
                 const QString& rootTag, const QString& configVersion, const QString& fileExtension,
                 QString* name, QObject* parent = nullptr);
    ~XML_Settings() override;

    // Clears the document, builds the root with its attributes and, when the record has a
    // name, the Name/Name element; returns the root for the record's writers.
    XML_Settings_Element createDocument();
    // The declaration line, a line feed and the document indented by one blank per level.
    QString toString() const;
    // Writes the current document atomically: on failure the previous file is left as it was,
    // and neither the name nor the document change.
    bool save(const QString& fileName);
    // text becomes the whole file decoded as UTF-8 (empty on failure); a file larger than
    // MaximumFileSize is not read.
    bool readFile(QString& text, const QString& fileName);
    // Replaces the document by the text; a null handle when it is not well-formed XML, is
    // longer than MaximumFileSize characters, nests deeper than 64 levels, has an element with
    // more than 64 attributes or, for a named record, lacks the Name/Name element.
    // configVersion is the root's "ConfigVersion" attribute, or this record's version when
    // the attribute is missing.
    XML_Settings_Element parse(const QString& text, QString& configVersion);

    // Settings files are a few kilobytes; anything far larger is no settings file, and
    // reading it would cost the time and memory of a document that size.
    static constexpr qint64 MaximumFileSize = 1024 * 1024;
    // The file under exactly that path, decoded as UTF-8 (empty on failure); false when it
    // cannot be read or is larger than MaximumFileSize.
    static bool readText(const QString& path, QString& text);

    // CR, LF and tab to the two-character sequences "\r", "\n", "\t" and back.
    static QString escapeText(const QString& text);
    static QString unescapeText(const QString& text);

    const QString& rootTag() const { return m_rootTag; }
    const QString& configVersion() const { return m_configVersion; }
    const QString& fileExtension() const { return m_fileExtension; }
    const QDomDocument& document() const { return m_document; }

    // The path a file operation uses for fileName: the extension is appended unless the name
    // already ends with it in any case.
    QString filePath(const QString& fileName) const;

    // Seams for tests: the clock behind "ModifyDate" and the final write of save (returns the
    // bytes written or -1). Null restores the default.
    using ClockFunction = QDateTime (*)();
    using WriteFunction = qint64 (*)(QIODevice& device, const QByteArray& data);
    static void setClockFunction(ClockFunction function);
    static void setWriteFunction(WriteFunction function);

private:
    QString nameFromPath(const QString& path) const;
    QDomElement nameValueElement() const;
    void setNameValueText(const QString& text);

    QDomDocument m_document;
    QString m_applicationName;
    QString m_applicationVersion;
    QString m_rootTag;
    QString m_configVersion;
    QString m_fileExtension;
    QString* m_name;
};
