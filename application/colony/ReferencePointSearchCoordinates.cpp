#include "ReferencePointSearchCoordinates.h"

#include "ReferencePointSearch.h"

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
    transform(&ReferencePointSearch::transformHeightScale, row, column, rowCorrected, columnCorrected);
}

void ReferencePointSearchCoordinates::transformPlateCoordinates(double row, double column, double* yMillimetres,
                                                                double* xMillimetres)
{
    transform(&ReferencePointSearch::transformPlateCoordinates, row, column, yMillimetres, xMillimetres);
}

void ReferencePointSearchCoordinates::transform(Transform transform, double row, double column, double* first,
                                                double* second) const
{
    if (m_search) {
        (m_search->*transform)(row, column, first, second);
        return;
    }
    // Without a search the coordinates stay as they are.
    if (first)
        *first = row;
    if (second)
        *second = column;
}
