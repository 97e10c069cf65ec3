#include "Camera_LiveView_Draw.h"

#include "Camera_LiveView_Aids.h"
#include "Camera_LiveView_Timing.h"
#include "ErrorCodes.h"
#include "HalconFunctions.h"

#include <Hobject_View_Gui.h>

#include <HalconXldOps.h>

#include <QStringList>

#include <cmath>
#include <numbers>

namespace {

constexpr Errors::Type_Error kInvalidValue = 3;

const QStringList& colorNames()
{
    static const QStringList names{QStringLiteral("blue"),        QStringLiteral("light blue"),
                                   QStringLiteral("cadet blue"),  QStringLiteral("red"),
                                   QStringLiteral("orange"),      QStringLiteral("green"),
                                   QStringLiteral("dark green"),  QStringLiteral("spring green"),
                                   QStringLiteral("cyan"),        QStringLiteral("magenta"),
                                   QStringLiteral("yellow"),      QStringLiteral("pink"),
                                   QStringLiteral("gray"),        QStringLiteral("dim gray"),
                                   QStringLiteral("light gray"),  QStringLiteral("black"),
                                   QStringLiteral("white")};
    return names;
}

bool isPictureUnit(double value)
{
    return std::isfinite(value) && std::abs(value) <= Camera_LiveView_Aids::MaximumPictureUnits;
}

bool isSize(double value)
{
    return isPictureUnit(value) && value > 0.0;
}

bool isLineSize(int lineSize)
{
    return lineSize >= 1 && lineSize <= Camera_LiveView_Draw::MaximumLineSize;
}

bool isPoint(double x, double y)
{
    return isPictureUnit(x) && isPictureUnit(y);
}

QString markName(const QString& objectName, const char* kind)
{
    return Camera_LiveView_Draw::prefix() + objectName + QLatin1Char('.') + QLatin1String(kind) + QLatin1Char('.');
}

} // namespace

Camera_LiveView_Draw::Camera_LiveView_Draw(Hobject_View_Gui* view)
    : m_view(view)
{
}

bool Camera_LiveView_Draw::IsColorName(const QString& color)
{
    return colorNames().contains(color, Qt::CaseSensitive);
}

bool Camera_LiveView_Draw::IsDrawModeName(const QString& drawMode)
{
    return drawMode == QLatin1String("margin") || drawMode == QLatin1String("fill");
}

bool Camera_LiveView_Draw::IsFontName(const QString& fontName)
{
    return fontName.isEmpty() || fontName == QLatin1String("Arial");
}

bool Camera_LiveView_Draw::IsObjectName(const QString& objectName)
{
    return !objectName.contains(QLatin1Char('.'));
}

Errors::Type_Error Camera_LiveView_Draw::WaitForPicture()
{
    return WaitForPictureThen(nullptr, [](Errors::Type_Error error) { return error; });
}

Errors::Type_Error Camera_LiveView_Draw::WaitForPictureThen(
    Automation_Call* call, const std::function<Errors::Type_Error(Errors::Type_Error)>& next)
{
    if (!m_view)
        return next(kNoPicture);
    Hobject_View_Gui* view = m_view;
    return Errors::Type_Error(Camera_LiveView_Timing::waitThen(
        call,
        [view] {
            int width = 0;
            int height = 0;
            view->getPictureSize(width, height);
            return width != 0 || height != 0;
        },
        [next](bool shown) { return next(shown ? kNoError : kNoPicture); }));
}

Errors::Type_Error Camera_LiveView_Draw::place(Automation_Call* call, bool argumentsValid,
                                               const std::function<bool()>& add)
{
    if (!argumentsValid)
        return kInvalidValue;
    return WaitForPictureThen(call, [this, add](Errors::Type_Error error) {
        if (error != kNoError)
            return error;
        if (!add())
            return kHalconFailed;
        m_view->updateView(true);
        return kNoError;
    });
}

Errors::Type_Error Camera_LiveView_Draw::Draw_ClearAll()
{
    if (m_view)
        m_view->removeObjects(prefix(), true);
    return kNoError;
}

Errors::Type_Error Camera_LiveView_Draw::Draw_Clear(const QString& objectName)
{
    if (!IsObjectName(objectName))
        return kInvalidValue;
    if (m_view)
        m_view->removeObjects(prefix() + objectName + QLatin1Char('.'), true);
    return kNoError;
}

Errors::Type_Error Camera_LiveView_Draw::Draw_Cross(const QString& objectName, double positionX, double positionY,
                                                    double size, double angle, const QString& color, int lineSize,
                                                    Automation_Call* call)
{
    const bool valid = IsObjectName(objectName) && IsColorName(color) && isLineSize(lineSize)
        && isPoint(positionX, positionY) && isSize(size) && std::isfinite(angle);
    return place(call, valid, [=, this] {
        double x = 0.0, y = 0.0, sizePixels = 0.0, unused = 0.0;
        m_view->convertPercentToPixel(positionX, positionY, x, y);
        m_view->convertPercentToPixel(size, size, sizePixels, unused);
        m_view->addCross(x, y, sizePixels, angle, color, lineSize, markName(objectName, "Cross"), false, false);
        return true;
    });
}

Errors::Type_Error Camera_LiveView_Draw::Draw_Ellipse(const QString& objectName, double positionX, double positionY,
                                                      double sizeX, double sizeY, double angle, const QString& color,
                                                      int lineSize, const QString& drawMode, Automation_Call* call)
{
    return drawShape(Shape::Ellipse, objectName, positionX, positionY, sizeX, sizeY, angle, color, lineSize,
                     drawMode, call);
}

Errors::Type_Error Camera_LiveView_Draw::Draw_Rectangle(const QString& objectName, double positionX,
                                                        double positionY, double sizeX, double sizeY, double angle,
                                                        const QString& color, int lineSize, const QString& drawMode,
                                                        Automation_Call* call)
{
    return drawShape(Shape::Rectangle, objectName, positionX, positionY, sizeX, sizeY, angle, color, lineSize,
                     drawMode, call);
}

Errors::Type_Error Camera_LiveView_Draw::drawShape(Shape shape, const QString& objectName, double positionX,
                                                   double positionY, double sizeX, double sizeY, double angle,
                                                   const QString& color, int lineSize, const QString& drawMode,
                                                   Automation_Call* call)
{
    const bool valid = IsObjectName(objectName) && IsColorName(color) && IsDrawModeName(drawMode)
        && isLineSize(lineSize) && isPoint(positionX, positionY) && isSize(sizeX) && isSize(sizeY)
        && std::isfinite(angle);
    return place(call, valid, [=, this] {
        double x = 0.0, y = 0.0, width = 0.0, height = 0.0;
        m_view->convertPercentToPixel(positionX, positionY, x, y);
        m_view->convertPercentToPixel(sizeX, sizeY, width, height);
        const double row = y + height / 2.0;
        const double column = x + width / 2.0;
        const double phi = angle * std::numbers::pi / 180.0;
        Halcon::Hobject contour;
        const Halcon::Herror result = shape == Shape::Ellipse
            ? Halcon::gen_ellipse_contour_xld(&contour, row, column, phi, width / 2.0, height / 2.0, 0.0,
                                              2.0 * std::numbers::pi, "positive", 2.0)
            : Halcon::gen_rectangle2_contour_xld(&contour, row, column, phi, width / 2.0, height / 2.0);
        HalconRecordError(result);
        if (result != Halcon::kSuccess)
            return false;
        m_view->addObject(contour, color, drawMode, lineSize,
                          markName(objectName, shape == Shape::Ellipse ? "Ellipse" : "Rectangle"), false, false);
        return true;
    });
}

Errors::Type_Error Camera_LiveView_Draw::Draw_Line(const QString& objectName, double position1X, double position1Y,
                                                   double position2X, double position2Y, const QString& color,
                                                   int lineSize, Automation_Call* call)
{
    const bool valid = IsObjectName(objectName) && IsColorName(color) && isLineSize(lineSize)
        && isPoint(position1X, position1Y) && isPoint(position2X, position2Y);
    return place(call, valid, [=, this] {
        double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
        m_view->convertPercentToPixel(position1X, position1Y, x1, y1);
        m_view->convertPercentToPixel(position2X, position2Y, x2, y2);
        m_view->addLine(x1, y1, x2, y2, color, lineSize, markName(objectName, "Line"), false, false);
        return true;
    });
}

Errors::Type_Error Camera_LiveView_Draw::Draw_Text(const QString& objectName, double positionX, double positionY,
                                                   const QString& text, const QString& color, const QString& fontName,
                                                   int textSize, Automation_Call* call)
{
    const bool valid = IsObjectName(objectName) && IsColorName(color) && IsFontName(fontName) && textSize >= 1
        && textSize <= MaximumTextSize && isPoint(positionX, positionY);
    return place(call, valid, [=, this] {
        double x = 0.0, y = 0.0;
        m_view->convertPercentToPixel(positionX, positionY, x, y);
        const QByteArray font = fontName.toLatin1();
        m_view->addText(text, x, y, color, font.constData(), textSize, markName(objectName, "Text"), false, false);
        return true;
    });
}
