#include "SearchAreaSettings.h"

#include <XML_Settings_Element.h>

#include <QString>

#include <cmath>

namespace {

void readFinite(XML_Settings_Element& element, const QString& tag, double& value)
{
    double read = 0.0;
    if (element.getValue(tag, read) && std::isfinite(read))
        value = read;
}

} // namespace

void SearchAreaSettings::setDefaults()
{
    *this = SearchAreaSettings();
}

void SearchAreaSettings::writeXml(XML_Settings_Element& parent) const
{
    XML_Settings_Element area = parent.addElement(QStringLiteral("SearchArea"));
    area.addValue(QStringLiteral("PosX"), PosX);
    area.addValue(QStringLiteral("PosY"), PosY);
    area.addValue(QStringLiteral("SizeX"), SizeX);
    area.addValue(QStringLiteral("SizeY"), SizeY);
    area.addValue(QStringLiteral("Angle"), Angle);
}

bool SearchAreaSettings::readXml(XML_Settings_Element& parent)
{
    XML_Settings_Element area = parent.getElement(QStringLiteral("SearchArea"));
    if (area.isNull())
        return false;
    readFinite(area, QStringLiteral("PosX"), PosX);
    readFinite(area, QStringLiteral("PosY"), PosY);
    readFinite(area, QStringLiteral("SizeX"), SizeX);
    readFinite(area, QStringLiteral("SizeY"), SizeY);
    readFinite(area, QStringLiteral("Angle"), Angle);
    return true;
}
