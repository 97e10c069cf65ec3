#pragma once

// The visible part of a viewer's picture, the single zoom and pan state: an integer rectangle
// in picture pixels that the zoom buttons, the wheel, the rubber band, the scroll bars and
// panning change, and that is fitted to the aspect ratio of the widget. Plain arithmetic,
// not locked: the viewer calls it under its mutex.
class Hobject_View_ZoomPan {
public:
    struct Part {
        int column1 = 0;
        int row1 = 0;
        int column2 = 0;
        int row2 = 0;
    };

    // What fitting the part to the widget asks of the viewer.
    struct Fit {
        // The part is to be set on the window; false without a widget size or a part.
        bool apply = false;
        bool zoomChanged = false;
        double factorX = 0.0;
        double factorY = 0.0;
    };

    // Smallest part edge in picture pixels that zooming and centring still produce.
    static constexpr int kMinimumPartSize = 12;

    const Part& part() const { return m_part; }
    void setPart(const Part& part) { m_part = part; }
    int pictureWidth() const { return m_pictureWidth; }
    int pictureHeight() const { return m_pictureHeight; }
    int longerSide() const;
    double zoomFactorX() const { return m_zoomFactorX; }
    double zoomFactorY() const { return m_zoomFactorY; }
    int widgetWidth() const { return m_widgetWidth; }
    int widgetHeight() const { return m_widgetHeight; }
    void setWidgetSize(int width, int height);
    // Scale of texts that keeps them at their size relative to the picture; 0 without a part.
    double textScale() const;

    // No picture any more: no size, no part.
    void clearPicture();
    // The largest picture's size; the part shrinks into it. true when the part changed.
    bool setPictureSize(int width, int height);
    // The whole picture.
    void showWhole();

    // Fits the part to the widget's aspect ratio and works out the zoom factors.
    Fit fit();

    // Each edge moves a sixth of the part towards or away from the middle.
    void zoomIn();
    void zoomOut();
    // Scroll bar values: the first visible column or row.
    void scrollToColumn(int column);
    void scrollToRow(int row);
    // Moves the part by whole pixels where it stays inside the picture.
    void pan(int columns, int rows);
    // Wheel at picture (x, y): zooms about the pointer. false when the pointer lies outside
    // the part (nothing changes).
    bool wheel(double x, double y, int delta);
    // Percent of the longer picture side; false without a picture (nothing changes).
    bool centerOnPercent(double x, double y);
    bool showPercentRange(double x, double y, double width, double height);
    // The part a rubber band from (startColumn, startRow) to (column, row) asks for.
    static Part zoomRange(int startColumn, int startRow, int column, int row);

private:
    // Centres the range first .. last of one axis on center, with its size, inside the
    // picture where the picture is large enough.
    static void centerRange(double center, int pictureSize, int& first, int& last);
    // Grows a part edge shorter than the minimum from its first column or row.
    static void keepMinimumSize(Part& part);

    Part m_part;
    int m_pictureWidth = 0;
    int m_pictureHeight = 0;
    int m_widgetWidth = 0;
    int m_widgetHeight = 0;
    double m_zoomFactorX = 0.0;
    double m_zoomFactorY = 0.0;
};
