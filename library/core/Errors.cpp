#include "Errors.h"

#include <QCoreApplication>
#include <QMetaType>

#include <algorithm>
#include <array>
#include <mutex>
#include <shared_mutex>

namespace {

// Read from worker threads while the GUI thread may register or unregister a source. A text
// is asked for under the shared lock, so an unregistering waits for every call in progress
// and no call starts after it.
std::shared_mutex g_callbackLock;
Errors::CallbackFunctions* g_callback = nullptr;

struct LibraryError {
    Errors::Type_Error code;
    const char* text;
};

// Sorted by code: looked up by binary search.
constexpr std::array<LibraryError, 91> c_libraryErrors{{
    {0, QT_TRANSLATE_NOOP("Errors", "No error")},
    {1, QT_TRANSLATE_NOOP("Errors", "General Tessrun Library error")},
    {2, QT_TRANSLATE_NOOP("Errors", "General Quillon error")},
    {3, QT_TRANSLATE_NOOP("Errors", "General application error")},
    {4, QT_TRANSLATE_NOOP("Errors", "Application already started")},
    {5, QT_TRANSLATE_NOOP("Errors", "No administrator rights")},
    {10, QT_TRANSLATE_NOOP("Errors", "UEye camera driver not installed")},
    {11, QT_TRANSLATE_NOOP("Errors", "Wrong uEye camera driver version")},
    {12, QT_TRANSLATE_NOOP("Errors", "Camera not found")},
    {13, QT_TRANSLATE_NOOP("Errors", "Camera isn't open")},
    {14, QT_TRANSLATE_NOOP("Errors", "Cannot grab the camera picture")},
    {15, QT_TRANSLATE_NOOP("Errors", "No picture grabbed")},
    {16, QT_TRANSLATE_NOOP("Errors", "For automatic error handling, cannot reopen the camera")},
    {17, QT_TRANSLATE_NOOP("Errors", "Grab of image aborted")},
    {18, QT_TRANSLATE_NOOP("Errors", "Grab of image timeout occurred")},
    {19, QT_TRANSLATE_NOOP("Errors", "External trigger not activated")},
    {20, QT_TRANSLATE_NOOP("Errors", "Camera general error")},
    {21, QT_TRANSLATE_NOOP("Errors", "Cannot set the general camera configuration")},
    {22, QT_TRANSLATE_NOOP("Errors", "Cannot set the special camera configuration")},
    {23, QT_TRANSLATE_NOOP("Errors", "Cannot set the camera trigger configuration")},
    {24, QT_TRANSLATE_NOOP("Errors", "Cannot set the camera strobe configuration")},
    {25, QT_TRANSLATE_NOOP("Errors", "Cannot set the camera exposure time/frame rate configuration")},
    {26, QT_TRANSLATE_NOOP("Errors", "Cannot set the camera color conversion/color correction/white balance configuration")},
    {27, QT_TRANSLATE_NOOP("Errors", "Cannot set/get the camera 'eeprom_content'")},
    {28, QT_TRANSLATE_NOOP("Errors", "Cannot set/get the camera I/O ports")},
    {29, QT_TRANSLATE_NOOP("Errors", "Cannot set/get the camera flash port, because the external flash is active")},
    {30, QT_TRANSLATE_NOOP("Errors", "Cannot find the 'ini' file for camera configuration")},
    {40, QT_TRANSLATE_NOOP("Errors", "General halcon function error")},
    {41, QT_TRANSLATE_NOOP("Errors", "No halcon image object")},
    {42, QT_TRANSLATE_NOOP("Errors", "Empty halcon object")},
    {50, QT_TRANSLATE_NOOP("Errors", "Picture path don't exists")},
    {51, QT_TRANSLATE_NOOP("Errors", "Picture file don't exists")},
    {52, QT_TRANSLATE_NOOP("Errors", "Picture path not writable")},
    {53, QT_TRANSLATE_NOOP("Errors", "No enough disk space available")},
    {54, QT_TRANSLATE_NOOP("Errors", "Cannot load the picture")},
    {55, QT_TRANSLATE_NOOP("Errors", "Cannot save the picture")},
    {56, QT_TRANSLATE_NOOP("Errors", "Picture is not a color (rgb) format")},
    {57, QT_TRANSLATE_NOOP("Errors", "Picture is not a gray scaled format")},
    {60, QT_TRANSLATE_NOOP("Errors", "Cannot load the camera settings")},
    {61, QT_TRANSLATE_NOOP("Errors", "Cannot save the camera settings")},
    {65, QT_TRANSLATE_NOOP("Errors", "Not enough space for store instrument data")},
    {70, QT_TRANSLATE_NOOP("Errors", "File or directory does not exist")},
    {71, QT_TRANSLATE_NOOP("Errors", "ZIP command error")},
    {72, QT_TRANSLATE_NOOP("Errors", "Create ZIP archive error")},
    {73, QT_TRANSLATE_NOOP("Errors", "Prepare data to ZIP archive error")},
    {74, QT_TRANSLATE_NOOP("Errors", "Add file to ZIP archive error")},
    {80, QT_TRANSLATE_NOOP("Errors", "No SQL driver for database")},
    {81, QT_TRANSLATE_NOOP("Errors", "Cannot open the database")},
    {82, QT_TRANSLATE_NOOP("Errors", "Database isn't writable")},
    {83, QT_TRANSLATE_NOOP("Errors", "Database is to big")},
    {84, QT_TRANSLATE_NOOP("Errors", "Database isn't open")},
    {85, QT_TRANSLATE_NOOP("Errors", "Database SQL statement error")},
    {86, QT_TRANSLATE_NOOP("Errors", "Cannot read the database autoincrement")},
    {87, QT_TRANSLATE_NOOP("Errors", "Cannot read from database")},
    {88, QT_TRANSLATE_NOOP("Errors", "Cannot write to database")},
    {89, QT_TRANSLATE_NOOP("Errors", "Cannot update the database")},
    {90, QT_TRANSLATE_NOOP("Errors", "Cannot open the SQL file")},
    {91, QT_TRANSLATE_NOOP("Errors", "The version of the database are wrong. Generate a new database")},
    {10000, QT_TRANSLATE_NOOP("Errors", "Model matching: General error")},
    {10001, QT_TRANSLATE_NOOP("Errors", "Model matching: Illegal parameter")},
    {10002, QT_TRANSLATE_NOOP("Errors", "Model matching: No model picture defined")},
    {10010, QT_TRANSLATE_NOOP("Errors", "Model matching: Cannot load the shape model data")},
    {10011, QT_TRANSLATE_NOOP("Errors", "Model matching: Cannot save the shape model data")},
    {10012, QT_TRANSLATE_NOOP("Errors", "Model matching: Cannot execute function create_scaled_shape_model()")},
    {10013, QT_TRANSLATE_NOOP("Errors", "Model matching: For create shape model points too small")},
    {10014, QT_TRANSLATE_NOOP("Errors", "Model matching: Cannot execute function find_scaled_shape_model()")},
    {10015, QT_TRANSLATE_NOOP("Errors", "Model matching: Timeout for find the model")},
    {10016, QT_TRANSLATE_NOOP("Errors", "Model matching: No shape model exists")},
    {10100, QT_TRANSLATE_NOOP("Errors", "Classification MLP: General error")},
    {10110, QT_TRANSLATE_NOOP("Errors", "Classification MLP: Cannot load the classify data")},
    {10111, QT_TRANSLATE_NOOP("Errors", "Classification MLP: Cannot load the classify features")},
    {10112, QT_TRANSLATE_NOOP("Errors", "Classification MLP: Cannot save the classify data")},
    {10113, QT_TRANSLATE_NOOP("Errors", "Classification MLP: Cannot save the classify features")},
    {10114, QT_TRANSLATE_NOOP("Errors", "Classification MLP: Cannot classify")},
    {10115, QT_TRANSLATE_NOOP("Errors", "Classification MLP: ClassID error")},
    {10116, QT_TRANSLATE_NOOP("Errors", "Classification MLP: No classify data exists")},
    {10117, QT_TRANSLATE_NOOP("Errors", "Classification MLP: Cannot create training data")},
    {10118, QT_TRANSLATE_NOOP("Errors", "Classification MLP: Minimal confidence not reached")},
    {10200, QT_TRANSLATE_NOOP("Errors", "Matching NCC: General error")},
    {10210, QT_TRANSLATE_NOOP("Errors", "Matching NCC: Cannot load the classify data")},
    {10211, QT_TRANSLATE_NOOP("Errors", "Matching NCC: Cannot save the classify data")},
    {10212, QT_TRANSLATE_NOOP("Errors", "Matching NCC: Cannot classify")},
    {10213, QT_TRANSLATE_NOOP("Errors", "Matching NCC: ClassID error")},
    {10214, QT_TRANSLATE_NOOP("Errors", "Matching NCC: Training picture error")},
    {10215, QT_TRANSLATE_NOOP("Errors", "Matching NCC: Training item error")},
    {10216, QT_TRANSLATE_NOOP("Errors", "Matching NCC: No classify data exists")},
    {10217, QT_TRANSLATE_NOOP("Errors", "Matching NCC: Cannot create training data")},
    {10218, QT_TRANSLATE_NOOP("Errors", "Matching NCC: Not identified")},
    {10300, QT_TRANSLATE_NOOP("Errors", "HAOP: Settings error")},
    {10301, QT_TRANSLATE_NOOP("Errors", "HAOP: Halcon 'aop' file error")},
    {10302, QT_TRANSLATE_NOOP("Errors", "HAOP: Halcon 'aop' optimize error")},
}};

static_assert(std::is_sorted(c_libraryErrors.begin(), c_libraryErrors.end(),
                             [](const LibraryError& a, const LibraryError& b) { return a.code < b.code; }),
              "library error table must stay sorted by code");

const char* libraryErrorText(Errors::Type_Error code)
{
    const auto it = std::lower_bound(c_libraryErrors.begin(), c_libraryErrors.end(), code,
                                     [](const LibraryError& entry, Errors::Type_Error value) { return entry.code < value; });
    if (it != c_libraryErrors.end() && it->code == code)
        return it->text;
    return nullptr;
}

} // namespace

Errors::CallbackFunctions::~CallbackFunctions()
{
    Errors::unregisterCallback(this);
}

Errors::Errors(CallbackFunctions* callback, QObject* parent)
    : QObject(parent)
    , m_callback(callback)
{
    qRegisterMetaType<Errors::Type_Error>("Errors::Type_Error");
    const std::unique_lock lock(g_callbackLock);
    g_callback = callback;
}

Errors::~Errors()
{
    // Only our own source: a later Errors object may have registered another one.
    if (m_callback)
        unregisterCallback(m_callback);
}

void Errors::unregisterCallback(CallbackFunctions* callback)
{
    const std::unique_lock lock(g_callbackLock);
    if (!callback || g_callback == callback)
        g_callback = nullptr;
}

QString Errors::getErrorText(Errors::Type_Error code)
{
    if (const char* text = libraryErrorText(code))
        return tr(text);

    {
        const std::shared_lock lock(g_callbackLock);
        if (g_callback)
            return g_callback->errorText(code);
    }

    return tr("Unknow error %1").arg(code);
}
