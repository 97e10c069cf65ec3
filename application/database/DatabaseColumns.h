#pragma once

#include "Database.h"
#include "DatabaseTableSupport.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstddef>
#include <span>
#include <type_traits>
#include <variant>

// What a column holds beyond its field's type: how it is written, checked and cleared.
enum class DatabaseColumnKind {
    Key,         // the row's own key: assigned by the database, never written
    ForeignKey,  // the key of a row of another table
    Value,       // a number, flag or date-time
    Text,
    IndexedText, // short enough for an index key on every database kind
    BoundText,   // a long text: "?" in the statement text, bound as its UTF-8 bytes
};

// One column of a table: its name and the field of the row record that holds its value.
template <class Row>
struct DatabaseColumn {
    DatabaseColumnKind kind;
    const char* name;
    std::variant<qint32 Row::*, qint16 Row::*, double Row::*, bool Row::*, QDateTime Row::*, QString Row::*> field;
};

// A table's columns in statement order, the key first, described once: from them come the
// values of inserts and updates, the checks before a write, the reading of a row and the
// clearing of a record.
template <class Row>
class DatabaseColumns {
public:
    using Column = DatabaseColumn<Row>;

    template <std::size_t Count>
    constexpr explicit DatabaseColumns(const Column (&columns)[Count])
        : m_columns(columns)
    {
    }

    std::span<const Column> all() const { return m_columns; }
    // The columns an insert or an update writes: every one but the key.
    std::span<const Column> written() const { return m_columns.subspan(1); }
    const char* keyName() const { return m_columns.front().name; }
    Database::ID& key(Row& row) const { return row.*std::get<qint32 Row::*>(m_columns.front().field); }

    // Keys -1, numbers and flags 0, date-times now, texts empty.
    void clear(Row& row) const
    {
        for (const Column& column : m_columns) {
            std::visit(
                [&](auto field) {
                    auto& value = row.*field;
                    using T = std::remove_reference_t<decltype(value)>;
                    if constexpr (std::is_same_v<T, QDateTime>)
                        value = QDateTime::currentDateTime();
                    else if constexpr (std::is_same_v<T, QString>)
                        value.clear();
                    else if constexpr (std::is_same_v<T, qint32>)
                        value = column.kind == DatabaseColumnKind::Value ? 0 : -1;
                    else
                        value = T(0);
                },
                column.field);
        }
    }

    // Empty when every written value can be stored and read back unchanged, else the reason
    // of the first that cannot.
    QString check(const Row& row) const
    {
        for (const Column& column : written()) {
            const QString reason = std::visit(
                [&](auto field) {
                    const auto& value = row.*field;
                    using T = std::remove_cvref_t<decltype(value)>;
                    if constexpr (std::is_same_v<T, double>)
                        return DatabaseTableSupport::checkDouble(QLatin1String(column.name), value);
                    else if constexpr (std::is_same_v<T, QDateTime>)
                        return DatabaseTableSupport::checkDateTime(QLatin1String(column.name), value);
                    else if constexpr (std::is_same_v<T, QString>)
                        return DatabaseTableSupport::checkText(QLatin1String(column.name), value,
                                                               column.kind == DatabaseColumnKind::IndexedText
                                                                   ? DatabaseTableSupport::MaxIndexedTextLength
                                                                   : DatabaseTableSupport::MaxTextLength);
                    else
                        return QString();
                },
                column.field);
            if (!reason.isEmpty())
                return reason;
        }
        return QString();
    }

    // The statement texts of the written values, "?" for the bound texts.
    QStringList literals(const Database& database, const Row& row) const
    {
        QStringList values;
        values.reserve(qsizetype(written().size()));
        for (const Column& column : written()) {
            values.append(std::visit(
                [&](auto field) {
                    const auto& value = row.*field;
                    using T = std::remove_cvref_t<decltype(value)>;
                    if constexpr (std::is_same_v<T, qint32>)
                        return database.sqlLong(value);
                    else if constexpr (std::is_same_v<T, qint16>)
                        return database.sqlShort(value);
                    else if constexpr (std::is_same_v<T, double>)
                        return database.sqlDouble(value);
                    else if constexpr (std::is_same_v<T, bool>)
                        return database.sqlBool(value);
                    else if constexpr (std::is_same_v<T, QDateTime>)
                        return DatabaseTableSupport::dateTimeLiteral(database, value);
                    else if (column.kind == DatabaseColumnKind::BoundText)
                        return QStringLiteral("?");
                    else
                        return database.sqlQuoteString(value);
                },
                column.field));
        }
        return values;
    }

    // The texts bound to the "?" of the literals, in column order.
    QStringList boundTexts(const Row& row) const
    {
        QStringList texts;
        for (const Column& column : written()) {
            if (column.kind == DatabaseColumnKind::BoundText)
                texts.append(row.*std::get<QString Row::*>(column.field));
        }
        return texts;
    }

    // Binds the written values to the markers of a prepared insert, each as its literal
    // would store it.
    void bind(QSqlQuery& query, const Database& database, const Row& row) const
    {
        int marker = 0;
        for (const Column& column : written()) {
            const QVariant value = std::visit(
                [&](auto field) {
                    const auto& value = row.*field;
                    using T = std::remove_cvref_t<decltype(value)>;
                    if constexpr (std::is_same_v<T, double>)
                        return QVariant(DatabaseTableSupport::storedDouble(value));
                    else if constexpr (std::is_same_v<T, QDateTime>)
                        return QVariant(DatabaseTableSupport::dateTimeValue(database, value));
                    else if constexpr (std::is_same_v<T, QString>) {
                        if (column.kind == DatabaseColumnKind::BoundText)
                            return QVariant(value.toUtf8());
                        // A null text would be bound as NULL, not as the empty text the
                        // literal writes.
                        return QVariant(value.isNull() ? QString(QLatin1String("")) : value);
                    }
                    else
                        return QVariant(int(value));
                },
                column.field);
            query.bindValue(marker++, value);
        }
    }

    // Every field of the record from the current row of a statement that selects all()
    // from its first value on.
    void read(const QSqlQuery& query, Row& row, DatabaseTableSupport::DateTimeReader& dates) const
    {
        int index = 0;
        for (const Column& column : m_columns) {
            const QVariant stored = query.value(index++);
            std::visit(
                [&](auto field) {
                    auto& value = row.*field;
                    using T = std::remove_reference_t<decltype(value)>;
                    if constexpr (std::is_same_v<T, double>)
                        value = stored.toDouble();
                    else if constexpr (std::is_same_v<T, bool>)
                        value = stored.toBool();
                    else if constexpr (std::is_same_v<T, QDateTime>)
                        value = dates.read(stored);
                    else if constexpr (std::is_same_v<T, QString>)
                        value = column.kind == DatabaseColumnKind::BoundText ? DatabaseTableSupport::utf8Text(stored)
                                                                             : stored.toString();
                    else
                        value = T(stored.toInt());
                },
                column.field);
        }
    }

private:
    std::span<const Column> m_columns;
};
