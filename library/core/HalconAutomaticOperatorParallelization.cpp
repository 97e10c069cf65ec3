#include "HalconAutomaticOperatorParallelization.h"

#include "ErrorCodes.h"
#include "Gui_Helper.h"
#include "HalconAutomaticOperatorParallelizationSettings.h"
#include "Halcon_Helper.h"
#include "MessageBox_Helper.h"
#include "QuendralLibrary.h"

#include <HTuple.h>
#include <HalconAop.h>
#include <HalconErrors.h>

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QHostInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTextStream>
#include <QThread>

#include <atomic>
#include <memory>

using Halcon::HTuple;

namespace {

constexpr Errors::Type_Error kSettingsError = 10300;
constexpr Errors::Type_Error kAopFileError = 10301;
constexpr Errors::Type_Error kAopOptimizeError = 10302;

std::atomic<int> g_pictureWidth{0};
std::atomic<int> g_pictureHeight{0};
std::atomic<int> g_waitBoxMilliseconds{1000};

QString fileName(const QString& folder, const char* suffix)
{
    const QString name = QuendralLibrary::GetApplicationName() + QLatin1String(suffix);
    return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
}

// The layer takes file names as the file system spells them.
HTuple layerFileName(const QString& name)
{
    return HTuple(QFile::encodeName(name).toStdString());
}

HTuple texts(std::initializer_list<const char*> values)
{
    HTuple tuple;
    for (const char* value : values)
        tuple.Append(Halcon::HValue(value));
    return tuple;
}

QString title()
{
    return HalconAutomaticOperatorParallelization::tr("\"%2\" Halcon automatic operator parallelization")
        .arg(QuendralLibrary::GetApplicationName());
}

// The modeless "please wait" box; only where widgets exist.
std::unique_ptr<QMessageBox> showWaitBox(QWidget* parent)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    auto box = std::make_unique<QMessageBox>(
        QMessageBox::Information, title(),
        HalconAutomaticOperatorParallelization::tr("Please wait for a few seconds ..."), QMessageBox::NoButton,
        parent);
    box->setWindowModality(Qt::NonModal);
    box->show();
    // Drawn before the measurement blocks the thread.
    Gui_Helper::waitProcessingEvents(unsigned(g_waitBoxMilliseconds.load()));
    return box;
}

QStringList operatorList(const QStringList& extraOperators)
{
    QStringList names;
    for (const QString& name : HalconAutomaticOperatorParallelization::defaultOperators() + extraOperators) {
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    return names;
}

} // namespace

HalconAutomaticOperatorParallelization::HalconAutomaticOperatorParallelization(QObject* parent)
    : QObject(parent)
{
}

HalconAutomaticOperatorParallelization::~HalconAutomaticOperatorParallelization() = default;

const QStringList& HalconAutomaticOperatorParallelization::defaultOperators()
{
    static const QStringList names = {
        QStringLiteral("median_image"), QStringLiteral("shock_filter"), QStringLiteral("emphasize"),
        QStringLiteral("sobel_amp"), QStringLiteral("dump_window_image"), QStringLiteral("write_image"),
        QStringLiteral("read_image"), QStringLiteral("rotate_image"), QStringLiteral("mirror_image"),
        QStringLiteral("grab_image"), QStringLiteral("trans_from_rgb"), QStringLiteral("rgb1_to_gray"),
        QStringLiteral("count_channels"), QStringLiteral("get_image_pointer3"), QStringLiteral("get_image_pointer1"),
        QStringLiteral("get_image_size"), QStringLiteral("min_max_gray"), QStringLiteral("threshold"),
        QStringLiteral("intensity"), QStringLiteral("mean_n"), QStringLiteral("copy_rectangle"),
        QStringLiteral("compose3"), QStringLiteral("decompose3"), QStringLiteral("channels_to_image"),
        QStringLiteral("copy_image"), QStringLiteral("crop_domain"), QStringLiteral("reduce_domain"),
        QStringLiteral("get_domain"), QStringLiteral("write_string"), QStringLiteral("disp_line"),
        QStringLiteral("disp_obj"), QStringLiteral("copy_obj"), QStringLiteral("select_obj"),
        QStringLiteral("count_obj"), QStringLiteral("concat_obj"), QStringLiteral("intersection"),
        QStringLiteral("difference"), QStringLiteral("union2"), QStringLiteral("union1"),
        QStringLiteral("remove_noise_region"), QStringLiteral("dilation_rectangle1"),
        QStringLiteral("dilation_circle"), QStringLiteral("test_subset_region"), QStringLiteral("test_region_point"),
        QStringLiteral("smallest_rectangle1"), QStringLiteral("area_center"), QStringLiteral("affine_trans_point_2d"),
        QStringLiteral("affine_trans_contour_xld"), QStringLiteral("hom_mat2d_translate"),
        QStringLiteral("hom_mat2d_rotate"), QStringLiteral("hom_mat2d_scale"), QStringLiteral("hom_mat2d_identity"),
        QStringLiteral("find_scaled_shape_model"), QStringLiteral("set_shape_model_param"),
        QStringLiteral("set_shape_model_origin"), QStringLiteral("get_shape_model_contours"),
        QStringLiteral("create_scaled_shape_model"), QStringLiteral("select_feature_set_mlp"),
        QStringLiteral("add_sample_class_train_data"), QStringLiteral("create_class_train_data"),
        QStringLiteral("classify_class_mlp"), QStringLiteral("create_ncc_model"), QStringLiteral("find_ncc_model"),
        QStringLiteral("intersection_closed_contours_xld"), QStringLiteral("smallest_rectangle1_xld"),
        QStringLiteral("area_center_points_xld"), QStringLiteral("area_center_xld"), QStringLiteral("test_xld_point"),
        QStringLiteral("test_self_intersection_xld"), QStringLiteral("length_xld"),
        QStringLiteral("union_adjacent_contours_xld"), QStringLiteral("union_collinear_contours_xld"),
        QStringLiteral("close_contours_xld"), QStringLiteral("gen_contour_region_xld"),
        QStringLiteral("gen_region_contour_xld"), QStringLiteral("gen_contour_polygon_xld"),
        QStringLiteral("gen_ellipse_contour_xld"), QStringLiteral("gen_rectangle2_contour_xld"),
        QStringLiteral("gen_cross_contour_xld"), QStringLiteral("gen_circle_contour_xld"),
        QStringLiteral("gen_rectangle2"), QStringLiteral("gen_rectangle1"), QStringLiteral("gen_ellipse"),
        QStringLiteral("gen_circle"),
    };
    return names;
}

QString HalconAutomaticOperatorParallelization::knowledgeFileName(const QString& folder)
{
    return fileName(folder, ".halcon.aop");
}

QString HalconAutomaticOperatorParallelization::settingsFileName(const QString& folder)
{
    return fileName(folder, ".haopsettings.xml");
}

QString HalconAutomaticOperatorParallelization::optimizationModel(int processorCores)
{
    return processorCores > 2 ? QStringLiteral("linear") : QStringLiteral("threshold");
}

void HalconAutomaticOperatorParallelization::setMeasurementPictureSize(int width, int height)
{
    g_pictureWidth = width;
    g_pictureHeight = height;
}

void HalconAutomaticOperatorParallelization::setWaitBoxMilliseconds(int milliseconds)
{
    g_waitBoxMilliseconds = qMax(0, milliseconds);
}

Errors::Type_Error HalconAutomaticOperatorParallelization::execute(const QString& folder,
                                                                   const QStringList& extraOperators, bool loadOnly,
                                                                   bool force, bool interactive, QWidget* parent)
{
    if (!force && isOptimisationValid(folder, extraOperators))
        return readKnowledge(folder);
    if (loadOnly)
        return kNoError;
    if (QuendralLibrary::IsAutomationServer())
        return kNoError;
    if (!force) {
        HalconAutomaticOperatorParallelizationSettings settings;
        if (settings.load(settingsFileName(folder)) && settings.NoAutomaticAsk)
            return kNoError;
    }

    if (interactive) {
        const QMessageBox::StandardButton answer = MessageBox_Helper::question(
            parent, title(),
            tr("Do you want start the Halcon automatic operator parallelization for speed up the application?\n\n"
               "Attention: This feature takes a a few secounds. During this time, don't execute other activies "
               "with this PC!\n\n"
               "Yes\t= Start the optimation now\n"
               "Ignore\t= Ask at a later time\n"
               "No\t= Don't execute the optimation"),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Ignore, QMessageBox::Yes);
        switch (answer) {
        case QMessageBox::Yes:
            break;
        case QMessageBox::No:
            return setNoAutomaticAsk(folder, true);
        case QMessageBox::Ignore:
            return setNoAutomaticAsk(folder, false);
        default:
            return kNoError;
        }
    }

    std::unique_ptr<QMessageBox> waitBox = showWaitBox(parent);
    Errors::Type_Error error = runOptimization(extraOperators);
    if (error != kNoError)
        return error;
    error = writeResults(folder, extraOperators);
    if (error != kNoError)
        return error;
    waitBox.reset();
    if (interactive)
        MessageBox_Helper::information(parent, title(), tr("Optimation successfully finsihed."), QMessageBox::Ok);
    return kNoError;
}

bool HalconAutomaticOperatorParallelization::checkCommandLine(int argc, const char* const argv[],
                                                              const QString& folder,
                                                              const QStringList& extraOperators, QWidget* parent)
{
    if (argc < 2 || !argv)
        return false;
    const QString option = QStringLiteral("-HalconAutomaticOperatorParallelization").toLower();
    bool found = false;
    for (int i = 1; i < argc && !found; ++i)
        found = argv[i] && QString::fromLocal8Bit(argv[i]).toLower() == option;
    if (!found)
        return false;

    {
        QTextStream out(stdout);
        out << "Execute the 'Halcon automatic operation parallelization'." << Qt::endl;
    }
    const Errors::Type_Error error = execute(folder, extraOperators, false, true, false, parent);
    if (error != kNoError) {
        qWarning().noquote() << "Warning: The 'Halcon automatic operation parallelization' cannot executed!"
                             << "Error:" << Errors::getErrorText(error);
    }
    return true;
}

bool HalconAutomaticOperatorParallelization::isOptimisationValid(const QString& folder,
                                                                 const QStringList& extraOperators)
{
    HalconAutomaticOperatorParallelizationSettings settings;
    if (!settings.load(settingsFileName(folder)))
        return false;
    if (settings.ApplicationName != QuendralLibrary::GetApplicationName()
        || settings.ApplicationVersion != QuendralLibrary::GetApplicationVersion()
        || settings.ComputerName != QHostInfo::localHostName()
        || settings.HalconVersion != Halcon_Helper::GetHalconVersion()
        || settings.ProcessorCores != QThread::idealThreadCount())
        return false;
    for (const QString& name : defaultOperators() + extraOperators) {
        if (name.isEmpty())
            continue;
        bool recorded = false;
        for (const HalconAutomaticOperatorParallelizationOperator& op : settings.HalconOperators) {
            if (op.Name == name) {
                recorded = true;
                break;
            }
        }
        if (!recorded)
            return false;
    }
    return QFile::exists(knowledgeFileName(folder));
}

Errors::Type_Error HalconAutomaticOperatorParallelization::readKnowledge(const QString& folder)
{
    HTuple attributes;
    HTuple operatorNames;
    const Halcon::Herror result = Halcon::read_aop_knowledge(
        layerFileName(knowledgeFileName(folder)),
        texts({"mode", "ignore_attrib", "ignore_attrib", "ignore_attrib", "ignore_attrib", "ignore_attrib"}),
        texts({"renew", "cpu_info", "variant", "version", "revision", "architecture"}), &attributes, &operatorNames);
    return result == Halcon::kSuccess ? kNoError : kAopFileError;
}

Errors::Type_Error HalconAutomaticOperatorParallelization::setNoAutomaticAsk(const QString& folder, bool value)
{
    HalconAutomaticOperatorParallelizationSettings settings;
    const QString file = settingsFileName(folder);
    settings.load(file);
    settings.NoAutomaticAsk = value;
    return settings.save(file) ? kNoError : kSettingsError;
}

Errors::Type_Error HalconAutomaticOperatorParallelization::runOptimization(const QStringList& extraOperators)
{
    HTuple operators;
    for (const QString& name : operatorList(extraOperators))
        operators.Append(Halcon::HValue(name.toStdString()));

    HTuple names = texts({"system_mode", "file_mode", "parameters", "model", "timeout"});
    HTuple values = texts({"renew", "renew", "true"});
    values.Append(Halcon::HValue(optimizationModel(QThread::idealThreadCount()).toStdString()));
    values.Append(Halcon::HValue(60));
    if (g_pictureWidth > 0 && g_pictureHeight > 0) {
        names.Append(texts({"image_width", "image_height"}));
        values.Append(Halcon::HValue(g_pictureWidth.load()));
        values.Append(Halcon::HValue(g_pictureHeight.load()));
    }
    const Halcon::Herror result = Halcon::optimize_aop(operators, HTuple(""), HTuple(""), names, values);
    return result == Halcon::kSuccess ? kNoError : kAopOptimizeError;
}

Errors::Type_Error HalconAutomaticOperatorParallelization::writeResults(const QString& folder,
                                                                        const QStringList& extraOperators)
{
    HalconAutomaticOperatorParallelizationSettings settings;
    const QString file = settingsFileName(folder);
    settings.load(file);
    settings.NoAutomaticAsk = false;
    settings.ApplicationName = QuendralLibrary::GetApplicationName();
    settings.ApplicationVersion = QuendralLibrary::GetApplicationVersion();
    settings.ComputerName = QHostInfo::localHostName();
    settings.HalconVersion = Halcon_Helper::GetHalconVersion();
    settings.ProcessorCores = QThread::idealThreadCount();

    settings.HalconOperators.clear();
    auto append = [&settings](const QStringList& names, bool applicationDefined) {
        for (const QString& name : names) {
            if (!name.isEmpty())
                settings.HalconOperators.append({name, applicationDefined});
        }
    };
    append(extraOperators, true);
    append(defaultOperators(), false);

    if (!settings.save(file))
        return kSettingsError;
    const Halcon::Herror result =
        Halcon::write_aop_knowledge(layerFileName(knowledgeFileName(folder)), HTuple("mode"), HTuple("renew"));
    return result == Halcon::kSuccess ? kNoError : kAopFileError;
}
