#pragma once

#include "DatabaseTableZelvorinColony.h"
#include "DatabaseTableZelvorinContainer.h"
#include "Errors.h"
#include "ReplacingFile.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>

// Writes the colony results of one rack as delimited text: a header line, then one line per
// colony, container by container. The file is written through a private file and appears
// only on close (ReplacingFile), so a failed export never leaves a partial file or spoils an
// existing one, and a link named as the file is replaced, not written through.
// A field holding the delimiter, a double quote or a line break is quoted.
class ColonyResultExport {
public:
    enum Filter { FilterAll = 0, FilterNotGood = 1, FilterGood = 2 };

    // Application code of a failed file operation.
    static constexpr Errors::Type_Error ErrorFileOperation = 130;

    ColonyResultExport(const QString& fileName, const QString& options, bool colour);
    virtual ~ColonyResultExport();
    ColonyResultExport(const ColonyResultExport&) = delete;
    ColonyResultExport& operator=(const ColonyResultExport&) = delete;

    // Opens the temporary file and writes the header line; 0 or 130.
    Errors::Type_Error writeHeader();
    // Sorts colonies (good first, then by descending weighted total) and writes the lines
    // that pass the filter; 0 or 130.
    Errors::Type_Error writeRows(const DatabaseTableZelvorinContainer::Dataset& container,
                                 QList<DatabaseTableZelvorinColony::Dataset>& colonies);
    // Puts the finished file in place; 0 or 130. Without it nothing is written.
    Errors::Type_Error close();

    QChar delimiter() const { return m_delimiter; }
    int filter() const { return m_filter; }
    bool colour() const { return m_colour; }

    static bool lessThan(const DatabaseTableZelvorinColony::Dataset& a, const DatabaseTableZelvorinColony::Dataset& b);
    // The field as written: quoted with doubled quotes when it holds the delimiter, a quote,
    // a carriage return or a line feed.
    static QString quoteField(const QString& field, QChar delimiter);

protected:
    // One line of text to the file; false when not every byte was taken. Tests replace it.
    virtual bool writeBytes(const QByteArray& bytes);

private:
    void parseOptions(const QString& options);
    Errors::Type_Error writeLine(const QStringList& fields);

    ReplacingFile m_file;
    QChar m_delimiter;
    int m_filter;
    bool m_colour;
    bool m_failed;
};
