#include "ColonyResultExport.h"

#include <QFileDevice>
#include <QStringList>

#include <algorithm>

namespace {

QString real(double value)
{
    // The stream's default for doubles: %g with six significant digits.
    return QString::number(value, 'g', 6);
}

QString flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

ColonyResultExport::ColonyResultExport(const QString& fileName, const QString& options, bool colour)
    : m_file(fileName)
    , m_delimiter(QLatin1Char(';'))
    , m_filter(FilterAll)
    , m_colour(colour)
    , m_failed(false)
{
    parseOptions(options);
}

ColonyResultExport::~ColonyResultExport()
{
    // Not closed: the private file goes, the target stays as it was.
    m_file.discard();
}

void ColonyResultExport::parseOptions(const QString& options)
{
    if (options.contains(QLatin1String("IsGoodColony=0"), Qt::CaseInsensitive))
        m_filter = FilterNotGood;
    else if (options.contains(QLatin1String("IsGoodColony=1"), Qt::CaseInsensitive))
        m_filter = FilterGood;

    if (options.contains(QLatin1String("TabDelimited"), Qt::CaseInsensitive))
        m_delimiter = QLatin1Char('\t');
    else if (options.contains(QLatin1String("Delimited(;)"), Qt::CaseInsensitive))
        m_delimiter = QLatin1Char(';');
    else if (options.contains(QLatin1String("Delimited(,)"), Qt::CaseInsensitive))
        m_delimiter = QLatin1Char(',');
}

QString ColonyResultExport::quoteField(const QString& field, QChar delimiter)
{
    if (!field.contains(delimiter) && !field.contains(QLatin1Char('"')) && !field.contains(QLatin1Char('\n'))
        && !field.contains(QLatin1Char('\r')))
        return field;
    QString quoted = field;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool ColonyResultExport::writeBytes(const QByteArray& bytes)
{
    return m_file.file().write(bytes) == bytes.size();
}

Errors::Type_Error ColonyResultExport::writeLine(const QStringList& fields)
{
    if (m_failed || !m_file.isOpen())
        return ErrorFileOperation;
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& field : fields)
        quoted.append(quoteField(field, m_delimiter));
    const QByteArray bytes = (quoted.join(m_delimiter) + QLatin1Char('\n')).toUtf8();
    if (!writeBytes(bytes)) {
        m_failed = true;
        return ErrorFileOperation;
    }
    return 0;
}

Errors::Type_Error ColonyResultExport::writeHeader()
{
    if (!m_file.open())
        return ErrorFileOperation;
    QStringList titles{QStringLiteral("Well Number"),
                       QStringLiteral("Well Name"),
                       QStringLiteral("IsGoodColony"),
                       QStringLiteral("X (px)"),
                       QStringLiteral("Y (px)"),
                       QStringLiteral("X (mm)"),
                       QStringLiteral("Y (mm)"),
                       QStringLiteral("Area (mm2)"),
                       QStringLiteral("Circularity"),
                       QStringLiteral("Neighbor Distance (mm)"),
                       QStringLiteral("Margin Distance (mm)"),
                       QStringLiteral("Weighted Area (pct)"),
                       QStringLiteral("Weighted Circularity (pct)"),
                       QStringLiteral("Weighted Neighbor (pct)"),
                       QStringLiteral("Weighted Margin (pct)"),
                       QStringLiteral("Weighted Total (pct)"),
                       QStringLiteral("Container Pick Order"),
                       QStringLiteral("Colony Pick Order"),
                       QStringLiteral("Picking State"),
                       QStringLiteral("Picking Date"),
                       QStringLiteral("Is excluded"),
                       QStringLiteral("Is edited by user")};
    if (m_colour) {
        titles << QStringLiteral("Red") << QStringLiteral("Green") << QStringLiteral("Blue") << QStringLiteral("Hue")
               << QStringLiteral("Saturation") << QStringLiteral("Intensity");
    }
    return writeLine(titles);
}

bool ColonyResultExport::lessThan(const DatabaseTableZelvorinColony::Dataset& a,
                                  const DatabaseTableZelvorinColony::Dataset& b)
{
    if (a.IsGoodColony != b.IsGoodColony)
        return a.IsGoodColony;
    return a.LoadingTotal_pct > b.LoadingTotal_pct;
}

Errors::Type_Error ColonyResultExport::writeRows(const DatabaseTableZelvorinContainer::Dataset& container,
                                                 QList<DatabaseTableZelvorinColony::Dataset>& colonies)
{
    if (colonies.size() >= 2)
        std::stable_sort(colonies.begin(), colonies.end(), &ColonyResultExport::lessThan);
    for (const DatabaseTableZelvorinColony::Dataset& c : colonies) {
        if ((m_filter == FilterGood && !c.IsGoodColony) || (m_filter == FilterNotGood && c.IsGoodColony))
            continue;
        QStringList fields{QString::number(container.ContainerNumber),
                           container.ContainerName,
                           flag(c.IsGoodColony),
                           real(c.PosX_px),
                           real(c.PosY_px),
                           real(c.PosX_mm),
                           real(c.PosY_mm),
                           real(c.Area_mm2),
                           real(c.Circularity),
                           real(c.ClearanceNeighbor_mm),
                           real(c.ClearanceMargin_mm),
                           real(c.LoadingArea_pct),
                           real(c.LoadingCircularity_pct),
                           real(c.LoadingClearanceNeighbor_pct),
                           real(c.LoadingClearanceMargin_pct),
                           real(c.LoadingTotal_pct),
                           QString::number(container.PickingOrder),
                           QString::number(c.PickingOrder),
                           QString::number(c.PickingState),
                           c.PickingDate.isValid() ? c.PickingDate.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                                                   : QString(),
                           flag(c.IsExcluded),
                           flag(c.IsUserEdited)};
        if (m_colour) {
            fields << real(c.ColorRed) << real(c.ColorGreen) << real(c.ColorBlue) << real(c.ColorHue)
                   << real(c.ColorSaturation) << real(c.ColorIntensity);
        }
        if (const Errors::Type_Error code = writeLine(fields); code != 0)
            return code;
    }
    return 0;
}

Errors::Type_Error ColonyResultExport::close()
{
    if (!m_file.isOpen())
        return ErrorFileOperation;
    if (m_failed) {
        m_file.discard();
        return ErrorFileOperation;
    }
    return m_file.commit() ? Errors::Type_Error(0) : ErrorFileOperation;
}
