#include "ReferencePointSearchCoordinates.h"

#include "ReferencePointSearch.h"

namespace {

// Without a search a transform leaves the coordinates as they are.
void unchanged(double row, double column, double* rowOut, double* columnOut)
{
    if (rowOut)
        *rowOut = row;
    if (columnOut)
        *columnOut = column;
}

} // namespace

double ReferencePointSearchCoordinates::horizontalResolution()
{
    return m_search ? m_search->HorizontalResolution : 0.0;
}

double ReferencePointSearchCoordinates::verticalResolution()
{
    return m_search ? m_search->VerticalResolution : 0.0;
}

double ReferencePointSearchCoordinates::meanResolution()
{
    return m_search ? m_search->MeanResolution : 0.0;
}

double ReferencePointSearchCoordinates::axisRotation()
{
    return m_search ? m_search->AxisRotation : 0.0;
}

void ReferencePointSearchCoordinates::referencePointPosition(int index, double& row, double& column)
{
    row = 0.0;
    column = 0.0;
    if (!m_search || index < 0 || index >= ReferencePointSearch::PointCount)
        return;
    const ImageRefPoint point = m_search->point(index);
    row = point.PosY_px;
    column = point.PosX_px;
}

void ReferencePointSearchCoordinates::transformHeightScale(double row, double column, double* rowCorrected,
                                                           double* columnCorrected)
{
    if (m_search)
        m_search->transformHeightScale(row, column, rowCorrected, columnCorrected);
    else
        unchanged(row, column, rowCorrected, columnCorrected);
}

void ReferencePointSearchCoordinates::transformPlateCoordinates(double row, double column, double* yMillimetres,
                                                                double* xMillimetres)
{
    if (m_search)
        m_search->transformPlateCoordinates(row, column, yMillimetres, xMillimetres);
    else
        unchanged(row, column, yMillimetres, xMillimetres);
}
