#include "CorrectionInfo.h"

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

#include <cmath>

namespace {

const QString c_separator = QStringLiteral("\r\n");
const QString c_keyVersion = QStringLiteral("Version");
const QString c_keyFactor = QStringLiteral("Factor");
const QString c_keyCount = QStringLiteral("CorrectionInfo.Count");
const QString c_keyColumn = QStringLiteral("CorrectionInfo.OpticalAxisCol");
const QString c_keyRow = QStringLiteral("CorrectionInfo.OpticalAxisRow");
constexpr int c_version = 1;

QString line(const QString& key, const QString& value)
{
    return key + QStringLiteral(" = ") + value;
}

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

// Reads the lines strictly in sequence; every step fails past the last line, on a line that
// is not exactly "key = value", on another key, or on a value that does not convert.
class LineCursor {
public:
    explicit LineCursor(const QStringList& lines) : m_lines(lines) {}

    bool readInt(const QString& key, int& value)
    {
        QString text;
        if (!next(key, text))
            return false;
        bool ok = false;
        value = text.toInt(&ok, 10);
        return ok;
    }

    bool readDouble(const QString& key, double& value)
    {
        QString text;
        if (!next(key, text))
            return false;
        bool ok = false;
        value = text.toDouble(&ok);
        // "nan" and "inf" convert but would poison every corrected point.
        return ok && std::isfinite(value);
    }

private:
    bool next(const QString& key, QString& value)
    {
        if (m_position >= m_lines.size())
            return false;
        const QStringList parts = m_lines.at(m_position++).split(QLatin1Char('='), Qt::KeepEmptyParts);
        if (parts.size() != 2)
            return false;
        if (parts.at(0).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            return false;
        value = parts.at(1).trimmed();
        return true;
    }

    const QStringList& m_lines;
    qsizetype m_position = 0;
};

QMutex& currentLock()
{
    static QMutex lock;
    return lock;
}

CorrectionInfo& currentCorrection()
{
    static CorrectionInfo correction;
    return correction;
}

} // namespace

QString CorrectionInfo::toText() const
{
    QStringList lines;
    lines.reserve(3 + 2 * Points.size());
    lines << line(c_keyVersion, QString::number(c_version)) << line(c_keyFactor, number(Factor))
          << line(c_keyCount, QString::number(Points.size()));
    for (const OpticalAxisPoint& point : Points)
        lines << line(c_keyColumn, number(point.Column)) << line(c_keyRow, number(point.Row));
    return lines.join(c_separator);
}

bool CorrectionInfo::fromText(const QString& text)
{
    Factor = 1.0;
    Points.clear();

    const QStringList lines = text.split(c_separator, Qt::SkipEmptyParts);
    LineCursor cursor(lines);
    int version = 0;
    double factor = 1.0;
    int count = 0;
    QList<OpticalAxisPoint> points;
    bool ok = cursor.readInt(c_keyVersion, version) && version == c_version
        && cursor.readDouble(c_keyFactor, factor) && cursor.readInt(c_keyCount, count);
    // No reserve for count: a damaged count must not allocate; the lines bound the loop.
    for (int i = 0; ok && i < count; ++i) {
        OpticalAxisPoint point;
        ok = cursor.readDouble(c_keyColumn, point.Column) && cursor.readDouble(c_keyRow, point.Row);
        if (ok)
            points.append(point);
    }
    if (!ok)
        return false;
    Factor = factor;
    Points = points;
    return true;
}

CorrectionInfo CorrectionInfo::current()
{
    QMutexLocker locker(&currentLock());
    return currentCorrection();
}

void CorrectionInfo::setCurrent(const CorrectionInfo& correction)
{
    QMutexLocker locker(&currentLock());
    currentCorrection() = correction;
}

void CorrectionInfo::clearCurrentPoints()
{
    QMutexLocker locker(&currentLock());
    currentCorrection().Points.clear();
}

void CorrectionInfo::resetCurrent()
{
    QMutexLocker locker(&currentLock());
    currentCorrection() = CorrectionInfo();
}
