#include "ModelMatchingSettings.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kRoot = QStringLiteral("ModelMatching");
const QString kPositionX = QStringLiteral("PositionX");
const QString kPositionY = QStringLiteral("PositionY");
const QString kSizeX = QStringLiteral("SizeX");
const QString kSizeY = QStringLiteral("SizeY");
const QString kAngle = QStringLiteral("Angle");
const QString kUsed = QStringLiteral("Used");
const QString kMode = QStringLiteral("Mode");

void writeFilterStep(XML_Settings_Element& filter, const QString& tag,
                     const ModelMatchingSettings::FilterStepData& step)
{
    XML_Settings_Element element = filter.addElement(tag);
    element.addValue(kUsed, step.Used);
    element.addValue(kMode, step.Mode);
}

void readFilterStep(XML_Settings_Element& filter, const QString& tag, ModelMatchingSettings::FilterStepData& step)
{
    XML_Settings_Element element = filter.getElement(tag);
    if (element.isNull())
        return;
    element.getValue(kUsed, step.Used);
    element.getValue(kMode, step.Mode);
}

// The search rectangle and the regions share their five leaves.
template<class Rectangle>
void writeRectangle(XML_Settings_Element& element, const Rectangle& r)
{
    element.addValue(kPositionX, r.PositionX);
    element.addValue(kPositionY, r.PositionY);
    element.addValue(kSizeX, r.SizeX);
    element.addValue(kSizeY, r.SizeY);
    element.addValue(kAngle, r.Angle);
}

// One side of a rectangle, cut to the template and its margin: a damaged file must not make
// model creation fill a region many times the picture. A side within the bounds is left as
// it is, to the last bit.
void cutToTemplate(double& position, double& size)
{
    constexpr double lowest = -ModelMatchingSettings::TemplateMargin;
    constexpr double highest = 100.0 + ModelMatchingSettings::TemplateMargin;
    if (position >= lowest && position <= highest && size >= 0.0 && position + size <= highest)
        return;
    const double low = std::clamp(position, lowest, highest);
    const double high = std::clamp(position + size, low, highest);
    position = low;
    size = high - low;
    // So that the side reads back unchanged when it is read again.
    while (size > 0.0 && position + size > highest)
        size = std::nextafter(size, 0.0);
}

// One side as read and cut. The search rectangle's side keeps what it had when it is left
// without extent: a region without area makes a model that is never found, and every search
// then waits for its time-out. A region read afresh has nothing to keep (the caller refuses it).
void readSide(XML_Settings_Element& element, const QString& positionTag, const QString& sizeTag, double& position,
              double& size, bool keepWithoutExtent)
{
    double readPosition = position;
    double readSize = size;
    element.getFiniteValue(positionTag, readPosition);
    element.getFiniteValue(sizeTag, readSize);
    cutToTemplate(readPosition, readSize);
    if (readSize > 0.0 || !keepWithoutExtent) {
        position = readPosition;
        size = readSize;
    }
}

template<class Rectangle>
void readRectangle(XML_Settings_Element& element, Rectangle& r, bool keepWithoutExtent)
{
    readSide(element, kPositionX, kSizeX, r.PositionX, r.SizeX, keepWithoutExtent);
    readSide(element, kPositionY, kSizeY, r.PositionY, r.SizeY, keepWithoutExtent);
    element.getFiniteValue(kAngle, r.Angle);
}

ModelMatchingRoi readRoi(XML_Settings_Element& element)
{
    ModelMatchingRoi roi;
    element.getValue(QStringLiteral("Type"), roi.Type);
    readRectangle(element, roi, false);
    return roi;
}

} // namespace

void ModelMatchingSettings::SetDefaults()
{
    *this = ModelMatchingSettings();
}

void ModelMatchingSettings::Reset()
{
    SetDefaults();
}

XML_Settings_Element ModelMatchingSettings::WriteXml(XML_Settings_Element& parent) const
{
    XML_Settings_Element root = parent.addElement(kRoot);

    XML_Settings_Element position = root.addElement(QStringLiteral("SearchPosition"));
    writeRectangle(position, SearchPosition);

    XML_Settings_Element tolerance = root.addElement(QStringLiteral("SearchTolerance"));
    tolerance.addValue(kUsed, SearchTolerance.Used);
    tolerance.addValue(QStringLiteral("AngleTolerance"), SearchTolerance.AngleTolerance);
    tolerance.addValue(QStringLiteral("ScaleTolerance"), SearchTolerance.ScaleTolerance);
    tolerance.addValue(QStringLiteral("CheckTolerance"), SearchTolerance.CheckTolerance, QStringLiteral("%"));

    XML_Settings_Element filter = root.addElement(QStringLiteral("Filter"));
    writeFilterStep(filter, QStringLiteral("Median"), Filter.Median);
    writeFilterStep(filter, QStringLiteral("Shock"), Filter.Shock);
    writeFilterStep(filter, QStringLiteral("Emphasize"), Filter.Emphasize);

    XML_Settings_Element analyse = root.addElement(QStringLiteral("Analyse"));
    analyse.addValue(QStringLiteral("PyramidLevels"), Analyse.PyramidLevels);
    analyse.addValue(QStringLiteral("MinimumScore"), Analyse.MinimumScore);

    XML_Settings_Element picture = root.addElement(QStringLiteral("Picture"));
    picture.addValue(QStringLiteral("MinContrast"), Picture.MinContrast);

    XML_Settings_Element model = root.addElement(QStringLiteral("Model"));
    model.addValue(QStringLiteral("ContrastLow"), Model.ContrastLow);
    model.addValue(QStringLiteral("ContrastHigh"), Model.ContrastHigh);
    model.addValue(QStringLiteral("MinElementSize"), Model.MinElementSize);
    model.addValue(QStringLiteral("MatchMetric"), Model.MatchMetric);
    for (const ModelMatchingRoi& roi : Model.ROI) {
        XML_Settings_Element element = model.addElement(QStringLiteral("ROI"));
        element.addValue(QStringLiteral("Type"), roi.Type);
        writeRectangle(element, roi);
    }
    return root;
}

XML_Settings_Element ModelMatchingSettings::ReadXml(XML_Settings_Element& parent, bool* accepted)
{
    if (accepted)
        *accepted = true;
    XML_Settings_Element root = parent.getElement(kRoot);
    if (root.isNull())
        return root;
    // Read into a copy, so that a refused tree leaves the record as it was.
    ModelMatchingSettings read = *this;

    XML_Settings_Element position = root.getElement(QStringLiteral("SearchPosition"));
    if (!position.isNull())
        readRectangle(position, read.SearchPosition, true);

    XML_Settings_Element tolerance = root.getElement(QStringLiteral("SearchTolerance"));
    if (!tolerance.isNull()) {
        tolerance.getValue(kUsed, read.SearchTolerance.Used);
        // Beyond half a turn each side there is nothing more to search; such a file is wrong.
        double angleTolerance = read.SearchTolerance.AngleTolerance;
        if (tolerance.getFiniteValue(QStringLiteral("AngleTolerance"), angleTolerance) && angleTolerance >= 0.0
            && angleTolerance <= MaximumAngleTolerance)
            read.SearchTolerance.AngleTolerance = angleTolerance;
        tolerance.getFiniteValue(QStringLiteral("ScaleTolerance"), read.SearchTolerance.ScaleTolerance);
        tolerance.getValue(QStringLiteral("CheckTolerance"), read.SearchTolerance.CheckTolerance);
    }

    XML_Settings_Element filter = root.getElement(QStringLiteral("Filter"));
    if (!filter.isNull()) {
        readFilterStep(filter, QStringLiteral("Median"), read.Filter.Median);
        readFilterStep(filter, QStringLiteral("Shock"), read.Filter.Shock);
        readFilterStep(filter, QStringLiteral("Emphasize"), read.Filter.Emphasize);
    }

    XML_Settings_Element analyse = root.getElement(QStringLiteral("Analyse"));
    if (!analyse.isNull()) {
        analyse.getValue(QStringLiteral("PyramidLevels"), read.Analyse.PyramidLevels);
        analyse.getFiniteValue(QStringLiteral("MinimumScore"), read.Analyse.MinimumScore);
    }

    XML_Settings_Element picture = root.getElement(QStringLiteral("Picture"));
    if (!picture.isNull())
        picture.getValue(QStringLiteral("MinContrast"), read.Picture.MinContrast);

    XML_Settings_Element model = root.getElement(QStringLiteral("Model"));
    if (!model.isNull()) {
        model.getValue(QStringLiteral("ContrastLow"), read.Model.ContrastLow);
        model.getValue(QStringLiteral("ContrastHigh"), read.Model.ContrastHigh);
        model.getValue(QStringLiteral("MinElementSize"), read.Model.MinElementSize);
        model.getValue(QStringLiteral("MatchMetric"), read.Model.MatchMetric);
        ModelMatchingRoiList regions;
        for (XML_Settings_Element element = model.getElement(QStringLiteral("ROI")); !element.isNull();
             element = model.getElement(QStringLiteral("ROI"))) {
            const ModelMatchingRoi roi = readRoi(element);
            // A fresh region starts without extent: one still without after the read had a
            // size that was missing, no number, not finite or not positive.
            if (regions.size() == MaximumRoiCount || (roi.MakesRegion() && !(roi.SizeX > 0.0 && roi.SizeY > 0.0))) {
                if (accepted)
                    *accepted = false;
                return root;
            }
            regions.append(roi);
        }
        // A file without regions keeps the ones the record has.
        if (!regions.isEmpty())
            read.Model.ROI = regions;
    }
    *this = read;
    return root;
}
