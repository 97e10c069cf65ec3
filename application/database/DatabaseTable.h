#pragma once

#include "Database.h"
#include "DatabaseColumns.h"
#include "DatabaseTableSupport.h"
#include "Errors.h"

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <memory>
#include <vector>

class ApplicationDatabase;

// What every table object shares: the connection it follows, the identifier quotes, its
// messages, the statement texts that only the columns tell apart, and the steps of inserting,
// updating, deleting and selecting one record. Each table keeps its own statement texts,
// which hand the text over as a function, built only when the connection is usable.
class DatabaseTable : public QObject {
    Q_OBJECT
public:
    ~DatabaseTable() override;

    // Takes the connection's kind and its identifier quotes; statements prepared on the
    // earlier connection are dropped first, before that connection goes away.
    void SetDatabase(int type);
    int databaseTypeSet() const { return databaseType; }
    QString identifierQuoteBegin() const { return quoteBegin; }
    QString identifierQuoteEnd() const { return quoteEnd; }

protected:
    // table: the table the messages name.
    DatabaseTable(ApplicationDatabase* owner, const char* table, QObject* parent);

    QString q(const char* name) const;
    QString tableName() const { return q(m_table); }
    bool isUsable() const;

    // Messages, in the translation context of the table's own class.
    QString message(const char* text, const QString& argument) const;
    QString statementError() const;
    QString autoincrementError() const;
    QString updateError() const;
    QString notFoundError(const char* keyColumn, Database::ID key) const;
    // 85 with a report of reason, unless it is empty (a value that can be stored).
    Errors::Type_Error refuseIfUnstorable(const QString& reason);

    // Statement texts from a table's columns.
    template <class Row>
    QString columnList(const DatabaseColumns<Row>& columns, bool qualified = false) const;
    // "SELECT " all columns " FROM " table " WHERE " key "=" keyValue
    template <class Row>
    QString selectByKey(const DatabaseColumns<Row>& columns, const QString& keyValue) const;
    // "INSERT INTO " table " (" written columns ")" " VALUES " "(" values ")"
    template <class Row>
    QString insertText(const DatabaseColumns<Row>& columns, const QStringList& values) const;
    // "UPDATE " table " SET " column "=" value "," ... " WHERE " key "=" key
    template <class Row>
    QString updateText(const DatabaseColumns<Row>& columns, const QStringList& values, Database::ID key) const;
    // "DELETE FROM " table " WHERE " key "=" key
    template <class Row>
    QString deleteText(const DatabaseColumns<Row>& columns, Database::ID key) const;
    // The browsers' list of the newest rows, all or those of one barcode (bound to "?").
    QString newestByBarcodeText(const char* keyColumn, const QString& barcode, int maxRows) const;

    // The operations as every table runs them: 84 without a usable connection, a refused
    // value or a failed statement reported with the table's messages (85 to 89).
    template <class Row, class Text>
    Errors::Type_Error insertRecord(const DatabaseColumns<Row>& columns, Row& row, const Text& text);
    template <class Row, class Text>
    Errors::Type_Error updateRecord(const DatabaseColumns<Row>& columns, const Row& row, const Text& text);
    template <class Text>
    Errors::Type_Error deleteRecord(const Text& text);
    template <class Row, class Text>
    Errors::Type_Error selectRecord(const DatabaseColumns<Row>& columns, Database::ID key, Row& row, const Text& text);
    // Every id the statement selects, in its order.
    template <class Text>
    Errors::Type_Error selectIdList(QList<Database::ID>& ids, const Text& text);
    // Ids of the rows whose column matches searched by LIKE, with every wildcard of the text
    // taken literally (contains: anywhere inside); only a statement with a marker (hasMarker)
    // gets the pattern. At most maxRows ids (below 1: all); more: further rows exist.
    template <class Text>
    Errors::Type_Error searchIds(const QString& searched, bool contains, bool hasMarker, int maxRows,
                                 QList<Database::ID>& ids, bool& more, const Text& text);

    // Statements prepared once per connection, for the operations a result runs thousands of
    // times; slot numbers are the table's own. Null, after a report, when the text cannot be
    // prepared.
    template <class Text>
    QSqlQuery* preparedQuery(std::size_t slot, const Text& text);
    void dropPrepared(std::size_t slot);
    // Runs a prepared statement with its values bound; 85 with a report.
    Errors::Type_Error execPrepared(QSqlQuery& query);
    // The same with key bound to its one marker.
    Errors::Type_Error execWithKey(QSqlQuery& query, Database::ID key);
    // Select by key on a prepared statement of all columns; the record is cleared only when
    // it fails, as every field is written on success.
    template <class Row, class Text>
    Errors::Type_Error selectPrepared(const DatabaseColumns<Row>& columns, std::size_t slot, Database::ID key, Row& row,
                                      const Text& text);

    ApplicationDatabase* applicationDatabase;
    Database* database;
    int databaseType;
    QString quoteBegin;
    QString quoteEnd;
    // Stored date-time texts repeat from row to row; a repeated one is converted once.
    DatabaseTableSupport::DateTimeReader dates;

private:
    QSqlQuery* prepare(std::size_t slot, const QString& text);
    Errors::Type_Error searchIdsWith(const QString& text, const QStringList& values, int maxRows,
                                     QList<Database::ID>& ids, bool& more);

    const char* m_table;
    std::vector<std::unique_ptr<QSqlQuery>> m_prepared;
};

template <class Row>
QString DatabaseTable::columnList(const DatabaseColumns<Row>& columns, bool qualified) const
{
    QString text;
    for (const auto& column : columns.all()) {
        if (!text.isEmpty())
            text += QLatin1Char(',');
        if (qualified)
            text += tableName() + QLatin1Char('.');
        text += q(column.name);
    }
    return text;
}

template <class Row>
QString DatabaseTable::selectByKey(const DatabaseColumns<Row>& columns, const QString& keyValue) const
{
    return QStringLiteral("SELECT ") + columnList(columns) + QStringLiteral(" FROM ") + tableName()
        + QStringLiteral(" WHERE ") + q(columns.keyName()) + QLatin1Char('=') + keyValue;
}

template <class Row>
QString DatabaseTable::insertText(const DatabaseColumns<Row>& columns, const QStringList& values) const
{
    QString names;
    for (const auto& column : columns.written()) {
        if (!names.isEmpty())
            names += QLatin1Char(',');
        names += q(column.name);
    }
    return QStringLiteral("INSERT INTO ") + tableName() + QStringLiteral(" (") + names + QStringLiteral(") VALUES (")
        + values.join(QLatin1Char(',')) + QLatin1Char(')');
}

template <class Row>
QString DatabaseTable::updateText(const DatabaseColumns<Row>& columns, const QStringList& values, Database::ID key) const
{
    QString text = QStringLiteral("UPDATE ") + tableName() + QStringLiteral(" SET ");
    qsizetype i = 0;
    for (const auto& column : columns.written()) {
        if (i > 0)
            text += QLatin1Char(',');
        text += q(column.name) + QLatin1Char('=') + values.at(i++);
    }
    return text + QStringLiteral(" WHERE ") + q(columns.keyName()) + QLatin1Char('=') + database->sqlID(key);
}

template <class Row>
QString DatabaseTable::deleteText(const DatabaseColumns<Row>& columns, Database::ID key) const
{
    return QStringLiteral("DELETE FROM ") + tableName() + QStringLiteral(" WHERE ") + q(columns.keyName())
        + QLatin1Char('=') + database->sqlID(key);
}

template <class Row, class Text>
Errors::Type_Error DatabaseTable::insertRecord(const DatabaseColumns<Row>& columns, Row& row, const Text& text)
{
    Database::ID& key = columns.key(row);
    key = -1;
    if (!isUsable())
        return DatabaseTableSupport::ErrorNotOpen;
    const Errors::Type_Error result = refuseIfUnstorable(columns.check(row));
    if (result != 0)
        return result;
    // The key reaches the record only once it is read.
    return DatabaseTableSupport::insertRow(*database, text(), columns.boundTexts(row), statementError(),
                                           autoincrementError(), key);
}

template <class Row, class Text>
Errors::Type_Error DatabaseTable::updateRecord(const DatabaseColumns<Row>& columns, const Row& row, const Text& text)
{
    if (!isUsable())
        return DatabaseTableSupport::ErrorNotOpen;
    const Errors::Type_Error result = refuseIfUnstorable(columns.check(row));
    if (result != 0)
        return result;
    return DatabaseTableSupport::updateRow(*database, text(), columns.boundTexts(row), statementError(), updateError());
}

template <class Text>
Errors::Type_Error DatabaseTable::deleteRecord(const Text& text)
{
    if (!isUsable())
        return DatabaseTableSupport::ErrorNotOpen;
    return DatabaseTableSupport::runStatement(*database, text(), statementError());
}

template <class Row, class Text>
Errors::Type_Error DatabaseTable::selectRecord(const DatabaseColumns<Row>& columns, Database::ID key, Row& row,
                                               const Text& text)
{
    row.clear();
    if (!isUsable())
        return DatabaseTableSupport::ErrorNotOpen;
    QSqlQuery query(*database->getDatabase());
    const Errors::Type_Error result = DatabaseTableSupport::selectRow(*database, query, text(), statementError(),
                                                                      notFoundError(columns.keyName(), key));
    if (result != 0)
        return result;
    columns.read(query, row, dates);
    return 0;
}

template <class Text>
Errors::Type_Error DatabaseTable::selectIdList(QList<Database::ID>& ids, const Text& text)
{
    ids.clear();
    if (!isUsable())
        return DatabaseTableSupport::ErrorNotOpen;
    return DatabaseTableSupport::selectIds(*database, text(), statementError(), ids);
}

template <class Text>
Errors::Type_Error DatabaseTable::searchIds(const QString& searched, bool contains, bool hasMarker, int maxRows,
                                            QList<Database::ID>& ids, bool& more, const Text& text)
{
    ids.clear();
    more = false;
    if (!isUsable())
        return DatabaseTableSupport::ErrorNotOpen;
    // No stored text holds such a character (an insert refuses it).
    if (!DatabaseTableSupport::isStorableText(searched))
        return 0;
    QStringList values;
    if (hasMarker)
        values.append(DatabaseTableSupport::likePattern(*database, searched, contains));
    return searchIdsWith(text(), values, maxRows, ids, more);
}

template <class Text>
QSqlQuery* DatabaseTable::preparedQuery(std::size_t slot, const Text& text)
{
    if (slot < m_prepared.size() && m_prepared[slot])
        return m_prepared[slot].get();
    return prepare(slot, text());
}

template <class Row, class Text>
Errors::Type_Error DatabaseTable::selectPrepared(const DatabaseColumns<Row>& columns, std::size_t slot, Database::ID key,
                                                 Row& row, const Text& text)
{
    const auto failed = [&row](Errors::Type_Error code) {
        row.clear();
        return code;
    };
    if (!isUsable())
        return failed(DatabaseTableSupport::ErrorNotOpen);
    QSqlQuery* query = preparedQuery(slot, text);
    if (!query)
        return failed(DatabaseTableSupport::ErrorStatement);
    const Errors::Type_Error result = execWithKey(*query, key);
    if (result != 0)
        return failed(result);
    if (!query->next()) {
        database->showQueryError(*query, notFoundError(columns.keyName(), key));
        query->finish();
        return failed(DatabaseTableSupport::ErrorNotFound);
    }
    columns.read(*query, row, dates);
    // Releases the statement's read lock; the prepared text stays for the next call.
    query->finish();
    return 0;
}
