#pragma once

// Layer-private: one display window, an off-screen canvas with its drawing state. The
// operators of HalconDisplay.h check their arguments and then call these members with
// the window's mutex held; nothing here checks handles or parses control values.

#include "HalconTypes.h"
#include "HobjectElements_p.h"

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QPoint>
#include <QPointF>
#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Halcon::Display {

// Inclusive picture rows and columns shown by the window.
struct Part
{
    double row1 = 0.0;
    double column1 = 0.0;
    double row2 = 0.0;
    double column2 = 0.0;

    bool operator==(const Part &) const = default;
};

struct FontSpec
{
    std::string text = "default";
    QString family; // empty: the application's default family
    int pixelSize = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// What the window is drawing through: picture coordinates to window pixels, pixel
// centres at whole picture coordinates.
struct PartTransform
{
    double row1;
    double column1;
    double scaleX; // window pixels per picture column
    double scaleY;

    double x(double column) const { return (column - column1 + 0.5) * scaleX; }
    double y(double row) const { return (row - row1 + 0.5) * scaleY; }
};

class HalconWindow
{
public:
    HalconWindow(int width, int height, const QColor &background);

    std::mutex mutex;

    // Everything below is guarded by mutex.
    Hlong father = 0;
    std::string mode;
    std::string title;
    int borderWidth = 0;
    int row = 0;
    int column = 0;
    QColor background;
    QImage canvas; // ARGB32_Premultiplied
    Part part;
    int partStyle = 1;
    QColor color = Qt::white;
    bool fill = true;
    double lineWidth = 1.0;
    FontSpec font;
    double textRow = 0.0;
    double textColumn = 0.0;
    std::uint64_t revision = 1;

    int width() const { return canvas.width(); }
    int height() const { return canvas.height(); }
    PartTransform transform() const;
    void resetPart();

    void clear();
    // A new canvas of that size, cleared.
    void resize(int width, int height);
    // Whole canvas of another window, pixels shared until either changes.
    void shareCanvas(const QImage &other);
    void touch() { ++revision; }

    // Element kinds checked by the caller; images must have 1 or 3 channels.
    void drawImage(const ImagePtr &image);
    void drawRegion(const RegionElement &region);
    void drawXld(const XldElement &xld);
    // Picture coordinates.
    void drawLine(double row1, double column1, double row2, double column2);
    // False when the process has no QGuiApplication.
    bool writeText(const QString &text);
    bool textExtents(const QString &text, int *ascent, int *descent, int *width, int *height) const;

private:
    struct ScaledPicture
    {
        std::weak_ptr<const HElement> element;
        const HElement *identity = nullptr;
        Part part;
        int width = 0;
        int height = 0;
        int style = 0;
        QImage picture;
        QPoint offset;
        std::uint64_t lastUse = 0;
    };

    const ScaledPicture *scaledPicture(const ImagePtr &image);
    static ScaledPicture scalePicture(const ImageElement &image, const PartTransform &t, int windowWidth,
                                      int windowHeight, int style);
    void fillRegion(const RegionElement &region, const PartTransform &t);
    void outlineRegion(const RegionElement &region, const PartTransform &t);
    void strokeLines();
    bool opaqueColor() const { return color.alpha() == 255; }
    bool thinOpaque() const { return lineWidth <= 1.0 && opaqueColor(); }

    // A few pictures per window: the viewer draws one or two per paint, and a change of
    // the part makes all entries stale at once.
    static constexpr size_t kCacheSize = 4;
    std::vector<ScaledPicture> m_cache;
    std::uint64_t m_useCounter = 0;
    // Scratch buffers reused by every draw, so drawing allocates only when they grow.
    std::vector<QPointF> m_points;
    std::vector<QLineF> m_lines;
};

} // namespace Halcon::Display
