#pragma once

class XML_Settings_Element;

// One rotated search area of a cross: the left and top edge of the unrotated rectangle and
// its size in percent of the longer picture side, turned by Angle degrees about its centre.
// The search-area editor and its mouse handler edit one instance each.
class SearchAreaSettings {
public:
    SearchAreaSettings() = default;
    SearchAreaSettings(double posX, double posY, double sizeX, double sizeY, double angle = 0.0)
        : PosX(posX), PosY(posY), SizeX(sizeX), SizeY(sizeY), Angle(angle)
    {
    }
    SearchAreaSettings(const SearchAreaSettings&) = default;
    SearchAreaSettings& operator=(const SearchAreaSettings&) = default;
    virtual ~SearchAreaSettings() = default;

    // 10, 10, 30, 30, 0.
    virtual void setDefaults();
    // Appends a "SearchArea" element with the five values to parent.
    virtual void writeXml(XML_Settings_Element& parent) const;
    // Reads the next "SearchArea" child of parent; a value that is missing, unreadable or not
    // a finite number leaves its field as it was. false when there is no such child.
    virtual bool readXml(XML_Settings_Element& parent);

    bool operator==(const SearchAreaSettings& other) const
    {
        return PosX == other.PosX && PosY == other.PosY && SizeX == other.SizeX && SizeY == other.SizeY
            && Angle == other.Angle;
    }

    double PosX = 10.0;
    double PosY = 10.0;
    double SizeX = 30.0;
    double SizeY = 30.0;
    double Angle = 0.0;
};
