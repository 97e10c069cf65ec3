#pragma once

#include "Errors.h"

#include <Hobject.h>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>

class QDateTime;
class QImage;

// The library's toolbox around the vision layer: puts the layer into the library's operating
// mode once (the constructor), tells what an object holds, converts colour images, reads and
// writes picture files and writes time-stamped log lines. Everything but the constructor is
// static, re-entrant and callable from any thread.
class Halcon_Helper : public QObject {
    Q_OBJECT
public:
    // Collects one log line and hands it to Qt's message output when the last copy goes away.
    class LogStream {
    public:
        LogStream(QtMsgType type, const QString& text);

        // Each item is followed by one blank while the separator is on.
        LogStream& operator<<(const QString& text);
        LogStream& operator<<(const char* text);
        LogStream& operator<<(int value);
        LogStream& operator<<(qint64 value);
        LogStream& operator<<(double value);

        LogStream& space();
        LogStream& nospace();
        // A stream without output is dropped silently.
        LogStream& setOutput(bool output);

    private:
        struct Stream;
        std::shared_ptr<Stream> m_stream;
    };

    // Total, free and available size in MB of the disk that holds a folder (available: what
    // this process may fill, free less the blocks kept for root); 0 or an error code.
    using DiskSpaceFunction = Errors::Type_Error (*)(const QString& path, double& totalMB, double& freeMB,
                                                     double& availableMB);

    // Below this much available space a picture is not written.
    static constexpr double kMinimumFreeDiskSpaceMB = 100.0;

    explicit Halcon_Helper(QObject* parent = nullptr);
    ~Halcon_Helper() override;

    static Errors::Type_Error FreeTemporaryMemory();

    // Object classes of GetObjectClass.
    enum ObjectClass {
        ObjectClass_Other = 0,
        ObjectClass_Empty = 1,
        ObjectClass_Image = 2,
        ObjectClass_Region = 3,
        ObjectClass_XldContour = 4,
        ObjectClass_XldPolygon = 5,
        ObjectClass_XldParallel = 6,
        ObjectClass_Mixed = 7
    };

    static Errors::Type_Error GetObjectClass(const Halcon::Hobject& object, int& objectClass);
    static Errors::Type_Error CheckImage(const Halcon::Hobject& object);
    static Errors::Type_Error CheckNotEmpty(const Halcon::Hobject& object);
    static Errors::Type_Error CountObjects(const Halcon::Hobject& object, int& count);
    static Errors::Type_Error GetImageSize(const Halcon::Hobject& object, int& width, int& height);
    static Errors::Type_Error GetChannelCount(const Halcon::Hobject& object, int& channels);
    static Errors::Type_Error CheckColorImage(const Halcon::Hobject& object);
    static Errors::Type_Error CheckGrayImage(const Halcon::Hobject& object);
    static Errors::Type_Error ReduceDomain(const Halcon::Hobject& image, const Halcon::Hobject& region,
                                           Halcon::Hobject& imageReduced);
    static Errors::Type_Error ClearObject(Halcon::Hobject& object);
    static Halcon::Hobject CreateEmptyObject();

    // A one-channel image is handed on as it is (no pixels copied).
    static Errors::Type_Error ToGray(const Halcon::Hobject& image, Halcon::Hobject& grayImage);
    static Errors::Type_Error ToHsv(const Halcon::Hobject& image, Halcon::Hobject& hue,
                                    Halcon::Hobject& saturation, Halcon::Hobject& value);

    static QString GetHalconVersion();
    // The version the layer reported, or 12.0.1 when it reported none.
    static QString VersionOrDefault(const QString& reportedVersion);
    static Errors::Type_Error GetUsedModules(QStringList& modules);
    static QString GetErrorText(int halconError);

    // The library keeps no accounting of layer elements; all of these are 0.
    static int GetImageCount();
    static int GetRegionCount();
    static int GetXldCount();
    static int GetObjectCount();
    static int GetTupleCount();

    // A log line stamped with the local time and the application name.
    static LogStream WriteLogLine(QtMsgType type);
    // "yyyy.MM.dd hh:mm:ss.zzz [application] "
    static QString LogLinePrefix(const QDateTime& time, const QString& applicationName);

    // Picture files. The name is used as given (UTF-8 on disk); a failed save leaves an
    // existing file untouched.
    static Errors::Type_Error LoadImageFile(const QString& fileName, Halcon::Hobject& image);
    // The file dialog's filter for pictures to load, both spellings of each ending; the
    // vision layer reads these and a few more.
    static QString PictureFileFilter();
    static Errors::Type_Error SaveImageFile(const QString& fileName, const Halcon::Hobject& image,
                                           const QString& format, bool cropDomain, bool throughQImage);
    // A format SaveImageFile writes by that path: through the Qt image one of the system's
    // formats ("tiff", "png", "png best", "png fastest", "bmp", "jpeg", "jp2"), through the
    // vision library any it takes ("jpeg 80" too).
    static bool IsPictureFormat(const QString& format, bool throughQImage);
    // Only byte images of one or three channels convert.
    static Errors::Type_Error ToQImage(const Halcon::Hobject& image, QImage& qimage);

    // The folder of fileName exists, is writable and its disk has room for a picture:
    // 0, 50, 52 or 53. Touches nothing.
    static Errors::Type_Error CheckPictureFolder(const QString& fileName);

    // Lets tests stand in for the disk; nullptr restores the real query. Returns the old one.
    static DiskSpaceFunction setDiskSpaceFunction(DiskSpaceFunction function);
};
