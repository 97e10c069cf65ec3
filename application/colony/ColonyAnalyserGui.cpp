#include "ColonyAnalyserGui.h"
#include "ui_ColonyAnalyserGui.h"

#include "AppSettings.h"
#include "ApplicationDatabase.h"
#include "Camera_Settings.h"
#include "ColonyEditApply.h"
#include "ColonyEditorGui.h"
#include "ColonyResultExport.h"
#include "DatabaseTableAll.h"
#include "DatabaseTransaction.h"
#include "DrawSettings.h"
#include "ExportTarget_Guard.h"
#include "Gui_Helper.h"
#include "HalconFunctions.h"
#include "Halcon_AsynchronImageSave.h"
#include "Halcon_Helper.h"
#include "Halcon_PictureStaging.h"
#include "Hobject_View_Gui.h"
#include "Hobject_View_MouseDraw_Rectangle_Area.h"
#include "MessageBox_Helper.h"
#include "NumericSortTreeWidgetItem.h"
#include "PictureScaling.h"
#include "QuendralLibrary.h"
#include "ReferencePointSearch.h"
#include "ResultPictureNames.h"

#include <Halcon.h>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFont>
#include <QHeaderView>
#include <QIcon>
#include <QMovie>
#include <QSettings>
#include <QSplitter>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

// Q_INIT_RESOURCE declares its function in the enclosing namespace, so this stays global.
static void initColonyAnalyserResources()
{
    Q_INIT_RESOURCE(ColonyAnalyser);
}

namespace {

const char* const kSettingsOrganization = "Varnholt Selvanz AG";
const char* const kSettingsApplication = "Zelvorin";

const QString kIconStart = QStringLiteral("pictures:/ColonyAnalyser/Start.png");
const QString kIconStop = QStringLiteral("pictures:/ColonyAnalyser/Stop.png");
const QString kBusyAnimation = QStringLiteral("pictures:/ColonyAnalyser/Calculating.gif");

const QString kColoniesPrefix = QStringLiteral("HalconObject_Colonies.");
// "Cannot save the picture".
const QString kPictureFormat = QStringLiteral("png fastest");
constexpr unsigned int kPictureDelayMs = 1000;

QString format(const char* pattern, double value)
{
    return QString::asprintf(pattern, value);
}

QColor markColor()
{
    return QColor(Qt::red).lighter(150);
}

void markCell(QTreeWidgetItem* item, int column)
{
    QFont font = item->font(column);
    font.setBold(true);
    item->setFont(column, font);
    item->setBackground(column, markColor());
}

void unmarkCell(QTreeWidgetItem* item, int column)
{
    item->setFont(column, QFont());
    item->setBackground(column, QBrush());
}


} // namespace

// ---- Records ------------------------------------------------------------------------------------

void ColonyAnalyserGui::ColonyEntry::clear()
{
    objectName.clear();
    item = nullptr;
    containerNumber = 0;
    contour = Halcon::Hobject();
    row.clear();
    colorPassed = false;
    propertiesPassed = false;
    weightedRed = 0.0;
    weightedGreen = 0.0;
    weightedBlue = 0.0;
}

void ColonyAnalyserGui::RackEntry::clear()
{
    picture = Halcon::Hobject();
    objectName.clear();
    item = nullptr;
    row.clear();
    containers.clear();
    correction = CorrectionInfo();
    pickRank.clear();
}

// ---- Drawing and report interfaces -------------------------------------------------------------

void ColonyAnalyserGui::ImageRefPointsTable::add(const QString& text, const ImageRefPoint& item)
{
    m_page->emitImageRefPointsAdd(text, item);
}

void ColonyAnalyserGui::ImageRefPointsTable::clear()
{
    m_page->emitImageRefPointsClear();
}

void ColonyAnalyserGui::ImageRefPointsTable::addMetrics(const ImageRefPointsMetrics& item)
{
    m_page->emitImageRefPointsAddMetrics(item);
}

void ColonyAnalyserGui::ImageColoniesTable::add(const ImageColony& item)
{
    m_page->emitColonyAdd(item);
}

// ---- Construction ---------------------------------------------------------------------------------

ColonyAnalyserGui::ColonyAnalyserGui(ApplicationDatabase* database, AppSettings* appSettings,
                                     CameraSettingsText cameraSettingsText, ColonySettings* colonySettings,
                                     QWidget* parent)
    : QWidget(parent)
    , m_imageRefPointsTable(this)
    , m_imageColoniesTable(this)
    , m_ui(std::make_unique<Ui::ColonyAnalyserGui>())
    , m_database(database)
    , m_appSettings(appSettings)
    , m_cameraSettingsText(std::move(cameraSettingsText))
    , m_colonySettings(colonySettings)
{
    initColonyAnalyserResources();
    qRegisterMetaType<Halcon::Hobject>("Halcon::Hobject");
    ImageRefPoint::registerMetaType();
    ImageColony::registerMetaType();
    ImageRefPointsMetrics::registerMetaType();

    m_ui->setupUi(this);
    Gui_Helper::setObjectName(this, QString());
    if (parent && !parent->layout())
        Gui_Helper::fillParentWidget(this, false, true);

    m_ui->m_ColoniesTable->sortByColumn(0, Qt::AscendingOrder);
    m_ui->m_RejectedColoniesTable->sortByColumn(0, Qt::AscendingOrder);
    m_ui->m_ReferencePointsMetrics->sortByColumn(0, Qt::AscendingOrder);
    m_ui->m_ReferencePointsPositions->sortByColumn(0, Qt::AscendingOrder);
    if (QLayout* layout = m_ui->m_QWidget_Info->layout())
        layout->setContentsMargins(0, 0, 0, 0);

    m_ui->m_QPushButton_StartStop->setEnabled(false);
    m_ui->m_QPushButton_StartStop->setIcon(QIcon(kIconStart));
    m_movie = new QMovie(kBusyAnimation, QByteArray(), this);
    m_movie->jumpToFrame(0);
    m_ui->m_QLabel_RunningState->setMovie(m_movie);

    m_imageSaver = new Halcon_AsynchronImageSave(QThread::NormalPriority, this);

    m_view = new Hobject_View_Gui(m_ui->m_QFrame_Picture, QStringLiteral("Colony Analyser"));
    m_halconView = std::make_unique<HalconViewImpl>(m_view);
    Gui_Helper::fillParentWidget(m_view, false, true);
    m_view->setSelectionStyle(QStringLiteral("yellow"), 4, true);

    m_view->addPictureGroup(tr("Normal"), QStringLiteral("HalconPicture_Colonies_Normal."), false);
    m_view->addPictureGroup(tr("Preprocessed"), QStringLiteral("HalconPicture_Colonies_Preprocessed."), true);
    m_view->addPictureGroup(tr("Color Filtered"), QStringLiteral("HalconPicture_Colonies_Color_Preprocessed."), false);
    m_view->addPictureGroup(tr("Red"), QStringLiteral("HalconPicture_Colonies_Color_Red."), false);
    m_view->addPictureGroup(tr("Green"), QStringLiteral("HalconPicture_Colonies_Color_Green."), false);
    m_view->addPictureGroup(tr("Blue"), QStringLiteral("HalconPicture_Colonies_Color_Blue."), false);
    m_view->addPictureGroup(tr("Hue"), QStringLiteral("HalconPicture_Colonies_Color_Hue."), false);
    m_view->addPictureGroup(tr("Saturation"), QStringLiteral("HalconPicture_Colonies_Color_Saturation."), false);
    m_view->addPictureGroup(tr("Intensity"), QStringLiteral("HalconPicture_Colonies_Color_Intensity."), false);
    m_view->addObjectGroup(tr("Reference Points"), QStringLiteral("HalconObject_ReferencePoints"), false);
    m_view->addObjectGroup(tr("Labware"), QStringLiteral("HalconObject_Colonies_SearchArea."), true);
    m_view->addObjectGroup(tr("Margin"), QStringLiteral("HalconObject_Margins."), true);
    m_view->addObjectGroup(tr("Colonies"), kColoniesPrefix, true);
    m_view->addObjectGroup(tr("Preprocessed (Hidden)"), QStringLiteral("HalconObject_Colonies_Preprocessed."), false);
    m_view->addObjectGroup(tr("Th. combined"), QStringLiteral("HalconObject_Colonies_Threshold_Combined."), true);
    m_view->addObjectGroup(tr("Th. Hue"), QStringLiteral("HalconObject_Colonies_Threshold_Hue."), true);
    m_view->addObjectGroup(tr("Th. Saturation"), QStringLiteral("HalconObject_Colonies_Threshold_Saturation."), true);
    m_view->addObjectGroup(tr("Th. Intensity"), QStringLiteral("HalconObject_Colonies_Threshold_Intensity."), true);

    struct Selector {
        const char* caption;
        const char* prefix;
        bool visible;
        bool checked;
    };
    // The view has six picture rows: the last three requests find none, as intended.
    static const Selector pictureSelectors[] = {
        {"Normal", "HalconPicture_Colonies_Normal.", true, true},
        {"Preprocessed", "HalconPicture_Colonies_Preprocessed.", true, false},
        {"Color Filtered", "HalconPicture_Colonies_Color_Preprocessed.", true, false},
        {"Hue", "HalconPicture_Colonies_Color_Hue.", true, false},
        {"Saturation", "HalconPicture_Colonies_Color_Saturation.", true, false},
        {"Intensity", "HalconPicture_Colonies_Color_Intensity.", true, false},
        {"Red", "HalconPicture_Colonies_Color_Red.", true, false},
        {"Green", "HalconPicture_Colonies_Color_Green.", true, false},
        {"Blue", "HalconPicture_Colonies_Color_Blue.", true, false},
    };
    for (const Selector& s : pictureSelectors) {
        const QString caption = tr(s.caption);
        m_view->addPictureSelector(caption, QLatin1String(s.prefix), caption, s.visible, s.checked);
    }
    static const Selector objectSelectors[] = {
        {"Reference Points", "HalconObject_ReferencePoints", true, false},
        {"Labware", "HalconObject_Colonies_SearchArea.", true, true},
        {"Colony Margins", "HalconObject_Margins.", true, true},
        {"Colonies", "HalconObject_Colonies.", true, true},
        {"Th. combined", "HalconObject_Colonies_Threshold_Combined.", true, false},
        {"Th. Hue", "HalconObject_Colonies_Threshold_Hue.", true, false},
        {"Th. Saturation", "HalconObject_Colonies_Threshold_Saturation.", true, false},
        {"Th. Intensity", "HalconObject_Colonies_Threshold_Intensity.", true, false},
    };
    for (const Selector& s : objectSelectors) {
        const QString caption = tr(s.caption);
        m_view->addObjectSelector(caption, QLatin1String(s.prefix), caption, s.visible, s.checked);
    }
    m_view->addSelectorEntry(QStringLiteral("HalconObject_Colonies_Preprocessed."),
                             QStringLiteral("HalconPicture_Colonies_Preprocessed."), tr("Preprocessed"), false, true);

    const ColonyAnalyserThread::AppSettingsData appData = appSettingsData();
    m_worker = new ColonyAnalyserThread(this, &appData, m_colonySettings ? &m_colonySettings->data() : nullptr, this);

    if (QuendralLibrary::IsAutomationServer())
        m_ui->m_QPushButton_StartStop->hide();

    Gui_Helper::applyWidgetStyles(this, true, true, true);
    Gui_Helper::restoreWindowLayout(this, QString());

    connect(m_ui->m_QPushButton_StartStop, &QPushButton::clicked, this,
            &ColonyAnalyserGui::slot_QPushButton_StartStop_clicked);
    for (QTreeWidget* table : {m_ui->m_ColoniesTable, m_ui->m_RejectedColoniesTable}) {
        connect(table, &QTreeWidget::currentItemChanged, this, &ColonyAnalyserGui::slot_ColoniesTable_currentItemChanged);
        connect(table, &QTreeWidget::itemDoubleClicked, this, &ColonyAnalyserGui::slot_ColoniesTable_itemDoubleClicked);
    }
    if (m_appSettings)
        connect(m_appSettings, &Settings_Change_Helper::signal_changed, this, &ColonyAnalyserGui::slot_AppSettings_changed);
    if (m_colonySettings) {
        connect(m_colonySettings, &Settings_Change_Helper::signal_changed, this,
                &ColonyAnalyserGui::slot_ColonySettings_changed);
        connect(m_colonySettings, &ColonySettings::signal_custom, this, &ColonyAnalyserGui::slot_ColonySettings_custom);
    }
    connect(m_view, &Hobject_View_Gui::signal_HalconMousePressEvent, this, &ColonyAnalyserGui::slot_HalconMousePressEvent);
    connect(m_view, &Hobject_View_Gui::signal_HalconMouseMoveEvent, this, &ColonyAnalyserGui::slot_HalconMouseMoveEvent);
    connect(m_view, &Hobject_View_Gui::signal_HalconMouseReleaseEvent, this,
            &ColonyAnalyserGui::slot_HalconMouseReleaseEvent);
    connect(m_view, qOverload<QString>(&Hobject_View_Gui::signal_HalconObjectSelected), this,
            &ColonyAnalyserGui::slot_HalconObjectSelected);

    connect(this, &ColonyAnalyserGui::signal_AnalyserStarted, this, &ColonyAnalyserGui::slot_AnalyserStarted);
    connect(this, &ColonyAnalyserGui::signal_AnalyserStopped, this, &ColonyAnalyserGui::slot_AnalyserStopped);
    connect(this, &ColonyAnalyserGui::signal_StateSetText, this, &ColonyAnalyserGui::slot_StateSetText);
    connect(this, &ColonyAnalyserGui::signal_rack_reset, this, &ColonyAnalyserGui::slot_rack_reset);
    connect(this, &ColonyAnalyserGui::signal_containerlist_reset, this, &ColonyAnalyserGui::slot_containerlist_reset);
    connect(this, &ColonyAnalyserGui::signal_rack_add, this, &ColonyAnalyserGui::slot_rack_add);
    connect(this, &ColonyAnalyserGui::signal_containerlist_add, this, &ColonyAnalyserGui::slot_containerlist_add);
    connect(this, &ColonyAnalyserGui::signal_ColonyAdd, this, &ColonyAnalyserGui::slot_ColonyAdd);
    connect(this, &ColonyAnalyserGui::signal_ImageRefPointsAdd, this, &ColonyAnalyserGui::slot_ImageRefPointsAdd);
    connect(this, &ColonyAnalyserGui::signal_ImageRefPointsClear, this, &ColonyAnalyserGui::slot_ImageRefPointsClear);
    connect(this, &ColonyAnalyserGui::signal_ImageRefPointsAddMetrics, this,
            &ColonyAnalyserGui::slot_ImageRefPointsAddMetrics);

    buildColumns();
    QStringList headers;
    for (const ColumnInfo& column : std::as_const(m_columns))
        headers.append(column.header);
    for (QTreeWidget* table : {m_ui->m_ColoniesTable, m_ui->m_RejectedColoniesTable}) {
        table->setColumnCount(int(headers.size()));
        table->setHeaderLabels(headers);
        for (int i = 0; i < headers.size(); ++i)
            table->headerItem()->setToolTip(i, headers.at(i));
    }
    restoreColumnWidths();

    m_actionResize = new QAction(tr("Size All Columns to Fit"), this);
    m_actionShowInImage = new QAction(tr("Show in Image"), this);
    connect(m_actionResize, &QAction::triggered, this, &ColonyAnalyserGui::slot_Action_ResizeColumns);
    connect(m_actionShowInImage, &QAction::triggered, this, &ColonyAnalyserGui::slot_Action_ShowInHalconView);
    for (QTreeWidget* table : {m_ui->m_ReferencePointsPositions, m_ui->m_ReferencePointsMetrics}) {
        table->addAction(m_actionResize);
        table->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    for (QTreeWidget* table : {m_ui->m_ColoniesTable, m_ui->m_RejectedColoniesTable}) {
        table->addAction(m_actionShowInImage);
        table->addAction(m_actionResize);
        table->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
}

ColonyAnalyserGui::ColonyAnalyserGui(ApplicationDatabase* database, AppSettings* appSettings,
                                     Camera_Settings* cameraSettings, ColonySettings* colonySettings, QWidget* parent)
    : ColonyAnalyserGui(
          database, appSettings, [cameraSettings] { return cameraSettings ? cameraSettings->ToXmlString() : QString(); },
          colonySettings, parent)
{
}

ColonyAnalyserGui::~ColonyAnalyserGui()
{
    // Nothing from outside may start work on a page that is going.
    if (m_appSettings)
        disconnect(m_appSettings, nullptr, this, nullptr);
    if (m_colonySettings)
        disconnect(m_colonySettings, nullptr, this, nullptr);
    Gui_Helper::saveWindowLayout(this, QString());
    saveColumnWidths();
    // The saver turns the event loop while it writes what is queued, so it goes while the
    // worker can still take the reports that arrive; the worker reports into the tables and
    // the view, so it goes before them.
    delete m_imageSaver;
    m_imageSaver = nullptr;
    delete m_worker;
    m_worker = nullptr;
    m_colourSelectionList.clear();
    m_rack.clear();
}

void ColonyAnalyserGui::buildColumns()
{
    struct Column {
        const char* header;
        bool cm0;
        bool cm2;
        bool cm1;
        bool rejected;
    };
    static const Column columns[] = {
        {QT_TR_NOOP("Container\nNumber"), true, true, true, true},
        {QT_TR_NOOP("Container\nColonies"), true, true, true, true},
        {QT_TR_NOOP("Container\nName"), true, true, true, true},
        {QT_TR_NOOP("Pick\nOrder"), true, true, true, false},
        {QT_TR_NOOP("X\n[px]"), true, true, true, true},
        {QT_TR_NOOP("Y\n[px]"), true, true, true, true},
        {QT_TR_NOOP("X\n[mm]"), true, true, true, false},
        {QT_TR_NOOP("Y\n[mm]"), true, true, true, false},
        {QT_TR_NOOP("Area\n[mm2]"), true, true, true, true},
        {QT_TR_NOOP("Circulairty"), true, true, true, true},
        {QT_TR_NOOP("Neighbor\n[mm]"), true, true, true, true},
        {QT_TR_NOOP("Margin\n[mm]"), true, true, true, true},
        {QT_TR_NOOP("Red"), false, false, true, true},
        {QT_TR_NOOP("Green"), false, false, true, true},
        {QT_TR_NOOP("Blue"), false, false, true, true},
        {QT_TR_NOOP("Weighted\nArea [%]"), true, false, true, false},
        {QT_TR_NOOP("Weighted\nCircularity [%]"), true, false, true, false},
        {QT_TR_NOOP("Weighted\nNeighbor [%]"), true, false, true, false},
        {QT_TR_NOOP("Weighted\nMargin [%]"), true, false, true, false},
        {QT_TR_NOOP("Weighted\nTotal [%]"), true, false, true, false},
        {QT_TR_NOOP("Weighted\nRed [%]"), false, false, true, false},
        {QT_TR_NOOP("Weighted\nGreen [%]"), false, false, true, false},
        {QT_TR_NOOP("Weighted\nBlue [%]"), false, false, true, false},
        {QT_TR_NOOP("Hue"), false, true, false, true},
        {QT_TR_NOOP("Saturation"), false, true, false, true},
        {QT_TR_NOOP("Intensity"), false, true, false, true},
        {QT_TR_NOOP("Area\n[%]"), false, true, false, true},
    };
    m_columns.clear();
    int index = 0;
    for (const Column& c : columns) {
        ColumnInfo info;
        info.index = index++;
        info.header = tr(c.header);
        info.colorModel0 = c.cm0;
        info.colorModel2 = c.cm2;
        info.colorModel1 = c.cm1;
        info.rejected = c.rejected;
        m_columns.append(info);
    }
    std::sort(m_columns.begin(), m_columns.end(),
              [](const ColumnInfo& a, const ColumnInfo& b) { return a.index < b.index; });
}

void ColonyAnalyserGui::restoreColumnWidths()
{
    QSettings settings{QString::fromLatin1(kSettingsOrganization), QString::fromLatin1(kSettingsApplication)};
    settings.beginGroup(QStringLiteral("ColonyAnalyserGui"));
    m_ui->m_QSplitter_Colonies->restoreState(settings.value(QStringLiteral("ColoniesSplitter")).toByteArray());
    m_ui->m_QSplitter_ReferencePoints->restoreState(
        settings.value(QStringLiteral("ReferencePointsSpliter")).toByteArray());
    settings.endGroup();
    const std::pair<const char*, QTreeWidget*> groups[] = {
        {"TableColonies", m_ui->m_ColoniesTable},
        {"TableColoniesRejected", m_ui->m_RejectedColoniesTable},
        {"TableReferencePointsPositions", m_ui->m_ReferencePointsPositions},
        {"TableReferencePointsMetrics", m_ui->m_ReferencePointsMetrics},
    };
    for (const auto& [group, table] : groups) {
        settings.beginGroup(QLatin1String(group));
        for (int i = 0; i < table->columnCount(); ++i) {
            const int width = settings.value(QStringLiteral("%1").arg(i), -1).toInt();
            if (width > 0)
                table->setColumnWidth(i, width);
        }
        settings.endGroup();
    }
}

void ColonyAnalyserGui::saveColumnWidths()
{
    QSettings settings{QString::fromLatin1(kSettingsOrganization), QString::fromLatin1(kSettingsApplication)};
    settings.beginGroup(QStringLiteral("ColonyAnalyserGui"));
    settings.setValue(QStringLiteral("ColoniesSplitter"), m_ui->m_QSplitter_Colonies->saveState());
    settings.setValue(QStringLiteral("ReferencePointsSpliter"), m_ui->m_QSplitter_ReferencePoints->saveState());
    settings.endGroup();
    const std::pair<const char*, QTreeWidget*> groups[] = {
        {"TableColonies", m_ui->m_ColoniesTable},
        {"TableColoniesRejected", m_ui->m_RejectedColoniesTable},
        {"TableReferencePointsPositions", m_ui->m_ReferencePointsPositions},
        {"TableReferencePointsMetrics", m_ui->m_ReferencePointsMetrics},
    };
    for (int g = 0; g < 4; ++g) {
        QTreeWidget* table = groups[g].second;
        settings.beginGroup(QLatin1String(groups[g].first));
        for (int i = 0; i < table->columnCount(); ++i) {
            int width = table->isColumnHidden(i) ? 0 : table->columnWidth(i);
            // A hidden colony column keeps the width it had before it was hidden.
            if (width <= 0 && g < 2 && i < m_columns.size()) {
                const int remembered = g == 0 ? m_columns.at(i).widthGood : m_columns.at(i).widthRejected;
                if (remembered != 0)
                    width = remembered;
            }
            if (width > 0)
                settings.setValue(QStringLiteral("%1").arg(i), width);
        }
        settings.endGroup();
    }
}

ColonyAnalyserThread::AppSettingsData ColonyAnalyserGui::appSettingsData() const
{
    ColonyAnalyserThread::AppSettingsData data;
    if (m_appSettings) {
        data.name = m_appSettings->name;
        data.database = m_appSettings->database;
    }
    return data;
}

QTreeWidget* ColonyAnalyserGui::goodColoniesTable() const
{
    return m_ui->m_ColoniesTable;
}

QTreeWidget* ColonyAnalyserGui::rejectedColoniesTable() const
{
    return m_ui->m_RejectedColoniesTable;
}

QTreeWidget* ColonyAnalyserGui::referencePointsTable() const
{
    return m_ui->m_ReferencePointsPositions;
}

QTreeWidget* ColonyAnalyserGui::metricsTable() const
{
    return m_ui->m_ReferencePointsMetrics;
}

// ---- Entry points ----------------------------------------------------------------------------------

void ColonyAnalyserGui::endColourSelection()
{
    if (!m_colourSelection)
        return;
    m_colourSelection = false;
    if (m_colonySettings)
        m_colonySettings->emitCustom(ColonySettings::CustomSignal_ColorSelectionEnabled, QVariant(0));
}

void ColonyAnalyserGui::cancelMouseTools()
{
    Hobject_View_MouseDraw_Rectangle_cancelAll();
}

Errors::Type_Error ColonyAnalyserGui::busyState(bool& busy)
{
    bool workerBusy = false;
    const Errors::Type_Error code = m_worker->CheckRunning(workerBusy);
    // Busy before the error: a failed run still has reports on their way, and its error is
    // the answer only once every one of them is shown. The worker is read first; it goes
    // idle only after its last report was queued.
    busy = workerBusy || m_runningDisplayed || m_pendingUpdates.available() > 0;
    return busy ? Errors::Type_Error(0) : code;
}

Errors::Type_Error ColonyAnalyserGui::refusal()
{
    // Work in progress answers busy even when the finished run left an error behind.
    if (m_exclusiveWork != WorkNone)
        return ErrorBusy;
    bool busy = false;
    const Errors::Type_Error code = busyState(busy);
    return busy ? ErrorBusy : code;
}

bool ColonyAnalyserGui::isBusy()
{
    bool busy = false;
    busyState(busy);
    return busy;
}

Errors::Type_Error ColonyAnalyserGui::waitUntilIdle(Errors::Type_Error& workerError)
{
    workerError = 0;
    QDeadlineTimer deadline(m_saveWaitTimeoutMs);
    for (;;) {
        bool busy = false;
        workerError = busyState(busy);
        if (!busy)
            return 0;
        if (deadline.hasExpired())
            return ErrorBusy;
        Gui_Helper::waitProcessingEvents(20);
    }
}

Errors::Type_Error ColonyAnalyserGui::Reset()
{
    if (m_exclusiveWork != WorkNone)
        return ErrorBusy;
    const ExclusiveWorkScope scope(m_exclusiveWork, WorkResetting);
    endColourSelection();
    cancelMouseTools();
    // The reports of a run still on their way would fill the cleared rack again: the run
    // stops and every report it sent is shown before the worker forgets it.
    if (const Errors::Type_Error code = m_worker->Stop(); code != 0)
        return code;
    Errors::Type_Error ignored = 0;
    if (const Errors::Type_Error code = waitUntilIdle(ignored); code != 0)
        return code;
    const Errors::Type_Error code = m_worker->Reset();
    if (code != 0)
        return code;
    m_ui->m_QLabel_Duration->clear();
    return 0;
}

Errors::Type_Error ColonyAnalyserGui::Analyse(const Halcon::Hobject& picture)
{
    if (m_exclusiveWork != WorkNone)
        return ErrorBusy;
    endColourSelection();
    cancelMouseTools();
    const ColonySettingsData settings = m_colonySettings ? m_colonySettings->data() : ColonySettingsData();
    return markRunningWhenAccepted(m_worker->Analyse(appSettingsData(), settings, picture));
}

Errors::Type_Error ColonyAnalyserGui::Reanalyse()
{
    if (m_exclusiveWork != WorkNone)
        return ErrorBusy;
    endColourSelection();
    cancelMouseTools();
    const ColonySettingsData settings = m_colonySettings ? m_colonySettings->data() : ColonySettingsData();
    return markRunningWhenAccepted(m_worker->Reanalyse(appSettingsData(), settings));
}

Errors::Type_Error ColonyAnalyserGui::markRunningWhenAccepted(Errors::Type_Error code)
{
    // Every accepted run ends with the queued stop report, which clears the mark. Marking here
    // keeps the page busy even when the worker finishes before its start report is handled.
    if (code == 0)
        m_runningDisplayed = true;
    return code;
}

Errors::Type_Error ColonyAnalyserGui::Stop()
{
    // A stop in the middle of a save's wait would store an aborted result.
    if (m_exclusiveWork != WorkNone)
        return ErrorBusy;
    return m_worker->Stop();
}

Errors::Type_Error ColonyAnalyserGui::CheckRunning(bool& running)
{
    return busyState(running);
}

Errors::Type_Error ColonyAnalyserGui::GetLLDPosition(int, double& x, double& y)
{
    x = 0.0;
    y = 0.0;
    if (const Errors::Type_Error code = refusal(); code != 0)
        return code;
    const double row = double(m_worker->pictureHeight() / 2);
    const double column = double(m_worker->pictureWidth() / 2);
    double yMillimetres = 0.0;
    double xMillimetres = 0.0;
    m_worker->referencePointSearch().transformPlateCoordinates(row, column, &yMillimetres, &xMillimetres);
    x = xMillimetres;
    y = yMillimetres;
    return 0;
}

Errors::Type_Error ColonyAnalyserGui::SetAgarHeight(double agarHeight)
{
    if (const Errors::Type_Error code = refusal(); code != 0)
        return code;
    if (const Errors::Type_Error code = m_worker->SetAgarHeight(agarHeight); code != 0)
        return code;

    // Every colony, good and rejected, so that the stored rows never mix two heights.
    for (const auto& container : m_rack.containers) {
        for (const auto& colony : container->colonies)
            placeColony(*colony);
    }
    m_view->updateView(true);
    return 0;
}

void ColonyAnalyserGui::placeColony(ColonyEntry& colony)
{
    const ReferencePointSearch& search = m_worker->referencePointSearch();
    DatabaseTableZelvorinColony::Dataset& row = colony.row;
    double rowCorrected = row.PosY_px;
    double columnCorrected = row.PosX_px;
    search.transformHeightScale(row.PosY_px, row.PosX_px, &rowCorrected, &columnCorrected);
    double yMillimetres = 0.0;
    double xMillimetres = 0.0;
    search.transformPlateCoordinates(rowCorrected, columnCorrected, &yMillimetres, &xMillimetres);
    row.PosX_mm = xMillimetres;
    row.PosY_mm = yMillimetres;
    if (colony.item) {
        colony.item->setText(6, format("%.3f", row.PosX_mm));
        colony.item->setText(7, format("%.3f", row.PosY_mm));
    }
    // Only good colonies carry a light-table cross.
    if (row.IsGoodColony && !colony.objectName.isEmpty()) {
        const QString name = colony.objectName + QStringLiteral("Center.LightTable");
        m_view->removeObjects(name, false);
        m_halconView->addObject(HalconGenCross(rowCorrected, columnCorrected, m_worker->crossSize(), 0.0),
                               DrawSettings::instance().at(DrawSettings::Center_LightTable), name, true);
    }
}

Errors::Type_Error ColonyAnalyserGui::PictureView_Clear()
{
    m_view->setObjectsVisible(QString(), false, false);
    return 0;
}

Errors::Type_Error ColonyAnalyserGui::PictureView_DisplayColony(int colonyId)
{
    if (m_rack.containers.empty())
        return ErrorColonyNotFound;
    for (const auto& container : m_rack.containers) {
        for (const auto& colony : container->colonies) {
            if (colony->row.ColonyID == colonyId) {
                m_view->setObjectsVisible(colony->objectName, true, true);
                return 0;
            }
        }
    }
    return ErrorColonyNotFound;
}

// ---- Colony editor ---------------------------------------------------------------------------------

Errors::Type_Error ColonyAnalyserGui::UserEditColonies()
{
    if (const Errors::Type_Error code = refusal(); code != 0)
        return code;
    // The dialog turns the event loop: nothing may change the rack until its edit is applied.
    const ExclusiveWorkScope scope(m_exclusiveWork, WorkEditing);
    ColonyEditorGui dialog(m_colonySettings, ColonyEditApply::editRack(m_rack), this, true);
    const int result = m_editorRunner ? m_editorRunner(dialog) : MessageBox_Helper::exec(&dialog);
    if (result != QDialog::Accepted)
        return 0;
    return ColonyEditApply::apply(*this, dialog.editRack());
}

// ---- Saving --------------------------------------------------------------------------------------------

QString ColonyAnalyserGui::rackPictureFileName(Database::ID rackId)
{
    return ResultPictureNames::fileName(ResultPictureNames::Rack, rackId);
}

QString ColonyAnalyserGui::rackPicturePath(const QString& pictureFolder, Database::ID rackId)
{
    return ResultPictureNames::path(pictureFolder, ResultPictureNames::Rack, rackId);
}

Errors::Type_Error ColonyAnalyserGui::SaveResult(bool asynchronPictureSave, const QString& rackBarcode,
                                                 const QString& description, int imageStitcherID, int& rackID,
                                                 Errors::Type_Error* pruneError)
{
    rackID = -1;
    if (pruneError)
        *pruneError = 0;
    if (m_exclusiveWork != WorkNone)
        return ErrorBusy;
    const ExclusiveWorkScope scope(m_exclusiveWork, WorkSaving);

    Errors::Type_Error workerError = 0;
    if (const Errors::Type_Error code = waitUntilIdle(workerError); code != 0)
        return code;

    DatabaseTableZelvorinRack::Dataset& row = m_rack.row;
    if (m_appSettings)
        row.XMLSettings = m_appSettings->toXmlString();
    {
        ColonySettings used;
        used.data() = m_worker->settings();
        row.XMLColonySettings = used.toXmlString();
    }
    row.ReferencePointsCorrection = m_rack.correction.toText();
    row.RackBarcode = rackBarcode;
    row.ErrorCode = workerError;
    row.Description = description;
    row.PictureFilePath.clear();
    row.ImageStitcherID = imageStitcherID;

    // Keys as they were, so that a failed save leaves the record as it found it.
    const Database::ID oldRackId = row.RackID;
    std::vector<std::pair<Database::ID, Database::ID>> oldContainerKeys;
    std::vector<std::pair<Database::ID, Database::ID>> oldColonyKeys;
    for (const auto& container : m_rack.containers) {
        oldContainerKeys.emplace_back(container->row.ContainerID, container->row.RackID);
        for (const auto& colony : container->colonies)
            oldColonyKeys.emplace_back(colony->row.ColonyID, colony->row.ContainerID);
    }
    const QString folder = m_appSettings ? m_appSettings->database.PicturePath : QString();
    const Errors::Type_Error result = storeResult(asynchronPictureSave, folder);
    if (result != 0) {
        row.RackID = oldRackId;
        row.PictureFilePath.clear();
        size_t c = 0;
        size_t k = 0;
        for (const auto& container : m_rack.containers) {
            container->row.ContainerID = oldContainerKeys[c].first;
            container->row.RackID = oldContainerKeys[c].second;
            ++c;
            for (const auto& colony : container->colonies) {
                colony->row.ColonyID = oldColonyKeys[k].first;
                colony->row.ContainerID = oldColonyKeys[k].second;
                ++k;
            }
        }
        return result;
    }
    rackID = row.RackID;

    // The rack is stored: pruning old racks is a separate matter and never fails the save.
    Errors::Type_Error pruneResult = 0;
    if (m_appSettings) {
        if (m_pruneFunction)
            pruneResult = m_pruneFunction(m_appSettings->database);
        else if (m_database && m_database->tableAll())
            pruneResult = m_database->tableAll()->DeleteOldRacksBySettings(m_appSettings->database, true);
    }
    m_lastPruneError = pruneResult;
    if (pruneError)
        *pruneError = pruneResult;
    return 0;
}

Errors::Type_Error ColonyAnalyserGui::storeResult(bool asynchronPictureSave, const QString& folder)
{
    if (!m_database)
        return 84;
    DatabaseTableZelvorinRack::Dataset& row = m_rack.row;

    // The picture is on disk before the write transaction (encoded, or as a spool for the
    // background writer) and takes the rack's name inside it: a committed rack always has its
    // picture, and the database is held only for the rows.
    Halcon_PictureStaging picture(folder, ResultPictureNames::privatePrefix(ResultPictureNames::Rack),
                                  ResultPictureNames::pictureSuffix(), kPictureFormat,
                                  asynchronPictureSave ? m_imageSaver : nullptr, kPictureDelayMs);
    if (const Errors::Type_Error code = picture.add(m_rack.picture); code != 0)
        return code;
    {
        DatabaseTransaction transaction(m_database);
        if (transaction.beginResult() != 0)
            return transaction.beginResult();
        if (const Errors::Type_Error code = m_database->tableRack()->Insert(row); code != 0)
            return code;
        const QString path = rackPicturePath(folder, row.RackID);
        if (const Errors::Type_Error code = picture.place(0, path); code != 0)
            return code;
        row.PictureFilePath = path;
        if (const Errors::Type_Error code = m_database->tableRack()->Update(row); code != 0)
            return code;
        for (const auto& container : m_rack.containers) {
            container->row.RackID = row.RackID;
            if (const Errors::Type_Error code = m_database->tableContainer()->Insert(container->row); code != 0)
                return code;
            for (const auto& colony : container->colonies) {
                colony->row.ContainerID = container->row.ContainerID;
                if (const Errors::Type_Error code = m_database->tableColony()->Insert(colony->row); code != 0)
                    return code;
            }
        }
        if (const Errors::Type_Error code = transaction.commit(); code != 0)
            return code;
    }
    picture.commit();
    return 0;
}

Errors::Type_Error ColonyAnalyserGui::SaveResult_CheckAsynchronSaveFinish(bool& finish)
{
    finish = false;
    return m_imageSaver->isIdle(finish);
}

Errors::Type_Error ColonyAnalyserGui::ExportRackPicture(int rackID, bool asynchronPictureSave,
                                                        const QString& picturePath, const QString& pictureFormat,
                                                        bool pictureCropped, int pictureSizePercent,
                                                        bool analyserDrawings)
{
    const bool shownRack = rackID == -1 || rackID == m_rack.row.RackID;
    if (analyserDrawings && !shownRack)
        return ErrorRackNotShown;
    if (const Errors::Type_Error code = ExportTarget_Guard::check(picturePath); code != 0)
        return code;
    // Checked here: a background save would report it only with a later poll.
    if (!Halcon_Helper::IsPictureFormat(pictureFormat, false))
        return ErrorCannotSavePicture;

    Halcon::Hobject picture;
    ColonySettingsData settings;
    if (!shownRack) {
        if (!m_database)
            return 84;
        DatabaseTableZelvorinRack::Dataset stored;
        if (const Errors::Type_Error code = m_database->tableRack()->Select(rackID, stored); code != 0)
            return code;
        if (const Errors::Type_Error code = Halcon_Helper::LoadImageFile(stored.PictureFilePath, picture); code != 0)
            return code;
        ColonySettings parsed;
        if (!parsed.fromXmlString(stored.XMLColonySettings))
            return ErrorGeneral;
        settings = parsed.data();
    } else {
        if (analyserDrawings) {
            Halcon::Hobject plain;
            if (!m_view->dumpViewImage(plain, picture))
                return ErrorGeneral;
        } else {
            picture = m_rack.picture;
        }
        settings = m_colonySettings ? m_colonySettings->data() : ColonySettingsData();
    }

    if (pictureCropped) {
        if (const Errors::Type_Error code = ColonyAnalyserThread::cutSearchArea(picture, settings); code != 0)
            return code;
    }
    if (pictureSizePercent != 0 && pictureSizePercent != 100) {
        if (pictureSizePercent < 0)
            return ErrorGeneral;
        Halcon::Hobject scaled;
        if (const Errors::Type_Error code = PictureScaling::scaleByFactor(picture, pictureSizePercent / 100.0, scaled); code != 0)
            return code;
        picture = scaled;
    }
    if (asynchronPictureSave)
        return m_imageSaver->saveImage(picturePath, picture, pictureFormat, 1000, false);
    return Halcon_Helper::SaveImageFile(picturePath, picture, pictureFormat, false, false);
}

// ---- Export ----------------------------------------------------------------------------------------------

Errors::Type_Error ColonyAnalyserGui::ExportColonyResultsCurrentRack(const QString& fileName, const QString& options)
{
    return ExportColonyResults(m_rack.row.RackID, fileName, options);
}

Errors::Type_Error ColonyAnalyserGui::ExportColonyResults(Database::ID rackId, const QString& fileName,
                                                          const QString& options)
{
    if (const Errors::Type_Error code = ExportTarget_Guard::check(fileName); code != 0)
        return code;
    // The held result is incomplete while a run reports into it.
    if (m_exclusiveWork != WorkNone || isBusy())
        return ErrorBusy;
    if (rackId == m_rack.row.RackID)
        return exportHeldResult(fileName, options);
    return exportStoredRack(rackId, fileName, options);
}

Errors::Type_Error ColonyAnalyserGui::exportHeldResult(const QString& fileName, const QString& options)
{
    ColonyResultExport writer(fileName, options, m_rack.row.ColorModel != 0);
    if (const Errors::Type_Error code = writer.writeHeader(); code != 0)
        return code;
    for (const auto& container : m_rack.containers) {
        QList<DatabaseTableZelvorinColony::Dataset> colonies;
        colonies.reserve(qsizetype(container->colonies.size()));
        for (const auto& colony : container->colonies)
            colonies.append(colony->row);
        if (const Errors::Type_Error code = writer.writeRows(container->row, colonies); code != 0)
            return code;
    }
    return writer.close();
}

Errors::Type_Error ColonyAnalyserGui::exportStoredRack(Database::ID rackId, const QString& fileName,
                                                       const QString& options)
{
    if (!m_database)
        return 84;
    QList<Database::ID> containerIds;
    if (const Errors::Type_Error code = m_database->tableContainer()->SelectIdsByRack(rackId, containerIds); code != 0)
        return code;
    if (containerIds.isEmpty())
        return ErrorRackNotFound;
    DatabaseTableZelvorinRack::ShortDataset rack;
    if (const Errors::Type_Error code = m_database->tableRack()->SelectShort(rackId, rack); code != 0)
        return code;

    ColonyResultExport writer(fileName, options, rack.ColorModel != 0);
    if (const Errors::Type_Error code = writer.writeHeader(); code != 0)
        return code;
    for (const Database::ID containerId : std::as_const(containerIds)) {
        DatabaseTableZelvorinContainer::Dataset container;
        if (const Errors::Type_Error code = m_database->tableContainer()->Select(containerId, container); code != 0)
            return code;
        QList<DatabaseTableZelvorinColony::Dataset> colonies;
        if (const Errors::Type_Error code = m_database->tableColony()->SelectByContainer(containerId, colonies);
            code != 0)
            return code;
        if (const Errors::Type_Error code = writer.writeRows(container, colonies); code != 0)
            return code;
    }
    return writer.close();
}

// ---- Emitters (worker thread) ------------------------------------------------------------------------

void ColonyAnalyserGui::emitStateSetText(const QString& text)
{
    emit signal_StateSetText(text);
}

void ColonyAnalyserGui::emitAnalyserStarted()
{
    emit signal_AnalyserStarted();
}

void ColonyAnalyserGui::emitAnalyserStopped()
{
    emit signal_AnalyserStopped();
}

void ColonyAnalyserGui::emitRackReset(const Halcon::Hobject& picture)
{
    m_pendingUpdates.release(1);
    emit signal_rack_reset(picture);
}

void ColonyAnalyserGui::emitContainerListReset()
{
    m_pendingUpdates.release(1);
    emit signal_containerlist_reset();
}

void ColonyAnalyserGui::emitRackAdd(const Halcon::Hobject& picture, const QDateTime& created, const QString& description)
{
    m_pendingUpdates.release(1);
    emit signal_rack_add(picture, created, description);
}

void ColonyAnalyserGui::emitContainerListAdd(const QString& layerName, int containerNumber, const QString& positionText,
                                             const QString& description, int containerIndex,
                                             const Halcon::Hobject& searchArea)
{
    m_pendingUpdates.release(1);
    emit signal_containerlist_add(layerName, containerNumber, positionText, description, containerIndex, searchArea);
}

void ColonyAnalyserGui::emitImageRefPointsAdd(const QString& text, const ImageRefPoint& point)
{
    m_pendingUpdates.release(1);
    emit signal_ImageRefPointsAdd(text, point);
}

void ColonyAnalyserGui::emitImageRefPointsClear()
{
    emit signal_ImageRefPointsClear();
}

void ColonyAnalyserGui::emitImageRefPointsAddMetrics(const ImageRefPointsMetrics& metrics)
{
    emit signal_ImageRefPointsAddMetrics(metrics);
}

void ColonyAnalyserGui::emitColonyAdd(const ImageColony& colony)
{
    m_pendingUpdates.release(1);
    emit signal_ColonyAdd(colony);
}

// ---- View forwards (any thread) --------------------------------------------------------------------

void ColonyAnalyserGui::viewClear(bool update)
{
    m_view->clear(update);
}

void ColonyAnalyserGui::viewUpdate(bool onlyIfModified)
{
    m_view->updateView(onlyIfModified);
}

void ColonyAnalyserGui::viewSetPicture(const Halcon::Hobject& picture, const QString& name, bool update)
{
    m_view->setPicture(picture, name, update);
}

void ColonyAnalyserGui::viewRemovePictures(const QString& prefix, bool update)
{
    m_view->removePictures(prefix, update);
}

void ColonyAnalyserGui::viewRemoveObjects(const QString& prefix, bool update)
{
    m_view->removeObjects(prefix, update);
}

void ColonyAnalyserGui::viewAddObject(const Halcon::Hobject& object, const char* color, const char* drawMode,
                                      int lineWidth, const QString& name, bool selectable, bool update)
{
    m_view->addObject(object, QString::fromLatin1(color ? color : ""), QString::fromLatin1(drawMode ? drawMode : ""),
                      lineWidth, name, selectable, update);
}

void ColonyAnalyserGui::viewPercentToPixel(double xPercent, double yPercent, double& xPixels, double& yPixels)
{
    m_view->convertPercentToPixel(xPercent, yPercent, xPixels, yPixels);
}

void ColonyAnalyserGui::viewPixelToPercent(double xPixels, double yPixels, double& xPercent, double& yPercent)
{
    m_view->convertPixelToPercent(xPixels, yPixels, xPercent, yPercent);
}

void ColonyAnalyserGui::viewSetPictureSelectorsVisible(const QString& prefix, bool visible, bool update)
{
    m_view->setPictureSelectorsVisible(prefix, visible, update);
}

void ColonyAnalyserGui::viewSetObjectSelectorsVisible(const QString& prefix, bool visible, bool update)
{
    m_view->setObjectSelectorsVisible(prefix, visible, update);
}

void ColonyAnalyserGui::viewAddText(const QString& text, int x, int y, const char* color, const char* font, int size,
                                    const QString& name, bool selectable, bool update)
{
    m_view->addText(text, double(x), double(y), QString::fromLatin1(color ? color : ""), font, size, name, selectable,
                    update);
}

void ColonyAnalyserGui::viewClearSelection(const QString& prefix, bool update)
{
    m_view->clearSelection(prefix, update);
}

void ColonyAnalyserGui::viewSelectObjects(const QString& prefix, bool update)
{
    m_view->selectObjects(prefix, update);
}

bool ColonyAnalyserGui::viewIsObjectSelected(const QString& prefix)
{
    return m_view->isObjectSelected(prefix);
}

void ColonyAnalyserGui::viewCheckPictureSelector(const QString& prefix, bool checked, bool update)
{
    m_view->checkPictureSelector(prefix, checked, update);
}

void ColonyAnalyserGui::viewSetPicturesVisible(const QString& prefix, bool visible, bool update)
{
    m_view->setPicturesVisible(prefix, visible, update);
}

void ColonyAnalyserGui::viewSetObjectsVisible(const QString& prefix, bool visible, bool update)
{
    m_view->setObjectsVisible(prefix, visible, update);
}

bool ColonyAnalyserGui::checkHalconError(int halconResult)
{
    if (halconResult == Halcon::kSuccess)
        return false;
    HalconRecordError(halconResult);
    return true;
}

// ---- Report slots (GUI thread) -----------------------------------------------------------------------

void ColonyAnalyserGui::clearColonyTables()
{
    m_ui->m_ColoniesTable->clear();
    m_ui->m_RejectedColoniesTable->clear();
}

void ColonyAnalyserGui::slot_AnalyserStarted()
{
    m_startTime = QDateTime::currentDateTime();
    m_ui->m_QLabel_Duration->setText(tr("wait ..."));
    m_runningDisplayed = true;
    m_ui->m_QPushButton_StartStop->setEnabled(true);
    m_ui->m_QPushButton_StartStop->setIcon(QIcon(kIconStop));
    m_movie->start();
    m_ui->m_ColoniesTable->setSortingEnabled(false);
    m_ui->m_RejectedColoniesTable->setSortingEnabled(false);
    m_ui->m_QLabel_RejectedColoniesCount->clear();
    m_ui->m_QLabel_GoodColoniesCount->clear();
}

void ColonyAnalyserGui::slot_AnalyserStopped()
{
    const double seconds = double(m_startTime.msecsTo(QDateTime::currentDateTime())) / 1000.0;
    m_ui->m_QLabel_Duration->setText(tr("%1 s").arg(seconds, 0, 'g', 3));
    m_ui->m_QPushButton_StartStop->setEnabled(true);
    m_ui->m_QPushButton_StartStop->setIcon(QIcon(kIconStart));
    m_movie->stop();

    applyColumnVisibility();
    showColonyCounts();

    m_runningDisplayed = false;
    m_ui->m_ColoniesTable->setSortingEnabled(true);
    m_ui->m_RejectedColoniesTable->setSortingEnabled(true);
}

void ColonyAnalyserGui::showColonyCounts()
{
    int sums[2] = {0, 0};
    QTreeWidget* tables[2] = {m_ui->m_ColoniesTable, m_ui->m_RejectedColoniesTable};
    for (int t = 0; t < 2; ++t) {
        for (int i = 0; i < tables[t]->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = tables[t]->topLevelItem(i);
            item->setText(1, QStringLiteral("%1").arg(item->childCount()));
            sums[t] += item->childCount();
        }
    }
    m_ui->m_QLabel_RejectedColoniesCount->setText(QStringLiteral("%1").arg(sums[1]));
    m_ui->m_QLabel_GoodColoniesCount->setText(QStringLiteral("%1").arg(sums[0]));
}

void ColonyAnalyserGui::applyColumnVisibility()
{
    const int cm = m_colonySettings ? m_colonySettings->ColorModel : int(m_rack.row.ColorModel);
    QTreeWidget* good = m_ui->m_ColoniesTable;
    QTreeWidget* rejected = m_ui->m_RejectedColoniesTable;
    for (int i = 0; i < m_columns.size(); ++i) {
        ColumnInfo& column = m_columns[i];
        bool hiddenGood = false;
        if (cm == 0)
            hiddenGood = !column.colorModel0;
        else if (cm == 1)
            hiddenGood = !column.colorModel1;
        else if (cm == 2)
            hiddenGood = !column.colorModel2;
        if (hiddenGood != good->isColumnHidden(i)) {
            if (hiddenGood) {
                column.widthGood = good->columnWidth(i);
                good->setColumnHidden(i, true);
            } else {
                good->setColumnHidden(i, false);
                if (column.widthGood > 0)
                    good->setColumnWidth(i, column.widthGood);
            }
        }
        const bool hiddenRejected = hiddenGood || !column.rejected;
        if (hiddenRejected != rejected->isColumnHidden(i)) {
            if (hiddenRejected) {
                column.widthRejected = rejected->columnWidth(i);
                rejected->setColumnHidden(i, true);
            } else {
                rejected->setColumnHidden(i, false);
                if (column.widthRejected > 0)
                    rejected->setColumnWidth(i, column.widthRejected);
            }
        }
    }
}

void ColonyAnalyserGui::slot_StateSetText(QString stateText)
{
    m_ui->m_QLabel_State->setText(stateText);
}

void ColonyAnalyserGui::slot_rack_reset(Halcon::Hobject hobjectPicture)
{
    m_rack.clear();
    clearColonyTables();
    m_ui->m_ReferencePointsMetrics->clear();
    m_ui->m_ReferencePointsPositions->clear();

    const ColonySettingsData& settings = m_worker->settings();
    m_rack.picture = hobjectPicture;
    m_rack.row.CreatedDate = QDateTime::currentDateTime();
    m_rack.row.XMLCameraSettings = m_cameraSettingsText ? m_cameraSettingsText() : QString();
    m_rack.row.XMLColonySettings.clear();
    m_rack.row.ColorModel = qint16(settings.ColorModel);
    m_rack.row.ReferenzPos1X = m_rack.row.ReferenzPos1Y = 0.0;
    m_rack.row.ReferenzPos2X = m_rack.row.ReferenzPos2Y = 0.0;
    m_rack.row.ReferenzPos3X = m_rack.row.ReferenzPos3Y = 0.0;
    m_rack.row.ReferenzPos4X = m_rack.row.ReferenzPos4Y = 0.0;
    ColonySettings::computePickOrder(settings.Labware.SectionsY, settings.Labware.SectionsX,
                                     settings.Labware.PositionDirection == ColonySettingsData::RightToLeft,
                                     settings.Labware.PickingOrder, nullptr, &m_rack.pickRank);
    m_pendingUpdates.acquire(1);
}

void ColonyAnalyserGui::slot_containerlist_reset()
{
    clearColonyTables();
    m_rack.containers.clear();
    m_pendingUpdates.acquire(1);
}

void ColonyAnalyserGui::slot_rack_add(Halcon::Hobject hobjPicture, QDateTime createdDate, QString description)
{
    m_rack.picture = hobjPicture;
    m_rack.row.CreatedDate = createdDate;
    m_rack.row.Description = description;
    m_rack.row.ColorModel = qint16(m_worker->settings().ColorModel);
    m_rack.correction = CorrectionInfo::current();
    m_pendingUpdates.acquire(1);
}

void ColonyAnalyserGui::slot_containerlist_add(QString halconObjectName, int positionNumber, QString positionText,
                                               QString description, int containerIndex,
                                               Halcon::Hobject hobjXldSearchArea)
{
    const int rank = containerIndex >= 0 && containerIndex < m_rack.pickRank.size() ? m_rack.pickRank.at(containerIndex)
                                                                                      : 0;
    auto* good = new NumericSortTreeWidgetItem(m_ui->m_ColoniesTable);
    good->setText(0, QStringLiteral("%1").arg(positionNumber));
    good->setText(2, positionText);
    good->setText(3, QStringLiteral("%1").arg(rank));
    good->setExpanded(true);
    auto* rejected = new NumericSortTreeWidgetItem(m_ui->m_RejectedColoniesTable);
    rejected->setText(0, QStringLiteral("%1").arg(positionNumber));
    rejected->setText(2, positionText);
    rejected->setExpanded(true);

    auto entry = std::make_unique<ContainerEntry>();
    entry->objectName = halconObjectName;
    entry->goodItem = good;
    entry->rejectedItem = rejected;
    entry->row.ContainerNumber = qint16(positionNumber);
    entry->row.ContainerName = positionText;
    entry->row.PickingOrder = qint16(rank);
    entry->row.Description = description;
    entry->searchArea = hobjXldSearchArea;
    entry->containerIndex = containerIndex;
    entry->colonyCount = 0;
    m_rack.containers.push_back(std::move(entry));
    m_pendingUpdates.acquire(1);
}

DatabaseTableZelvorinColony::Dataset ColonyAnalyserGui::colonyRowFromImageColony(const ImageColony& c)
{
    DatabaseTableZelvorinColony::Dataset row;
    row.PosX_px = c.PosX_px;
    row.PosY_px = c.PosY_px;
    row.PosX_mm = c.PosX_mm;
    row.PosY_mm = c.PosY_mm;
    row.Area_mm2 = c.Area_mm2;
    row.Circularity = c.Circularity;
    row.ClearanceNeighbor_mm = c.ClearanceNeighbor_mm;
    row.ClearanceMargin_mm = c.ClearanceMargin_mm;
    row.LoadingArea_pct = c.LoadingArea_pct;
    row.LoadingCircularity_pct = c.LoadingCircularity_pct;
    row.LoadingClearanceNeighbor_pct = c.LoadingClearanceNeighbor_pct;
    row.LoadingClearanceMargin_pct = c.LoadingClearanceMargin_pct;
    row.LoadingTotal_pct = c.LoadingTotal_pct;
    row.ColorHue = c.ColorHue;
    row.ColorSaturation = c.ColorSaturation;
    row.ColorIntensity = c.ColorIntensity;
    row.ColorArea_pct = c.ColorArea_pct;
    row.ColorRed = c.ColorRed;
    row.ColorGreen = c.ColorGreen;
    row.ColorBlue = c.ColorBlue;
    row.IsExcluded = c.IsExcluded;
    row.IsGoodColony = c.IsGoodColony;
    row.PickingOrder = c.PickingOrder;
    row.IsUserEdited = c.IsUserEdited;
    row.ErrorCode = c.ErrorCode;
    return row;
}

void ColonyAnalyserGui::slot_ColonyAdd(ImageColony item)
{
    if (!m_rack.containers.empty()) {
        ContainerEntry& container = *m_rack.containers.back();
        ++container.colonyCount;
        auto* row = new NumericSortTreeWidgetItem(item.IsGoodColony ? container.goodItem : container.rejectedItem);
        row->setExpanded(true);
        auto entry = std::make_unique<ColonyEntry>();
        entry->objectName = item.Label;
        entry->item = row;
        entry->containerNumber = item.ContainerNumber;
        entry->contour = item.Contour;
        entry->row = colonyRowFromImageColony(item);
        entry->colorPassed = item.ColorPassed;
        entry->propertiesPassed = item.PropertiesPassed;
        entry->weightedRed = item.LoadingColorRed_pct;
        entry->weightedGreen = item.LoadingColorGreen_pct;
        entry->weightedBlue = item.LoadingColorBlue_pct;
        container.colonies.push_back(std::move(entry));
        UpdateTreeItemText(int(m_rack.containers.size()) - 1, int(container.colonies.size()) - 1);
    }
    m_pendingUpdates.acquire(1);
}

void ColonyAnalyserGui::UpdateTreeItemText(int iContainer, int iColony)
{
    if (iContainer < 0 || size_t(iContainer) >= m_rack.containers.size())
        return;
    const ContainerEntry& container = *m_rack.containers[size_t(iContainer)];
    if (iColony < 0 || size_t(iColony) >= container.colonies.size())
        return;
    const ColonyEntry& colony = *container.colonies[size_t(iColony)];
    QTreeWidgetItem* item = colony.item;
    if (!item)
        return;
    const DatabaseTableZelvorinColony::Dataset& r = colony.row;
    const int cm = m_rack.row.ColorModel;
    const ColonySettingsData::ColonyData limits =
        m_colonySettings ? m_colonySettings->Colony : m_worker->settings().Colony;

    for (int c = 0; c < item->columnCount(); ++c)
        unmarkCell(item, c);
    item->setText(0, QString::asprintf("%d", colony.containerNumber));
    item->setText(3, QString::asprintf("%d", int(r.PickingOrder)));
    item->setText(4, format("%.1f", r.PosX_px));
    item->setText(5, format("%.1f", r.PosY_px));
    item->setText(6, format("%.3f", r.PosX_mm));
    item->setText(7, format("%.3f", r.PosY_mm));
    item->setText(8, format("%.3f", r.Area_mm2));
    item->setText(9, format("%.3f", r.Circularity));
    item->setText(10, format("%.3f", r.ClearanceNeighbor_mm));
    item->setText(11, format("%.3f", r.ClearanceMargin_mm));
    if (cm == 1) {
        item->setText(12, format("%0.1f", r.ColorRed));
        item->setText(13, format("%0.1f", r.ColorGreen));
        item->setText(14, format("%0.1f", r.ColorBlue));
    }
    if (cm == 2) {
        item->setText(23, format("%.1f", r.ColorHue));
        item->setText(24, format("%.1f", r.ColorSaturation));
        item->setText(25, format("%.1f", r.ColorIntensity));
        item->setText(26, format("%.1f", r.ColorArea_pct));
    }
    if (r.IsGoodColony) {
        item->setText(15, format("%.1f", r.LoadingArea_pct));
        item->setText(16, format("%.1f", r.LoadingCircularity_pct));
        item->setText(17, format("%.1f", r.LoadingClearanceNeighbor_pct));
        item->setText(18, format("%.1f", r.LoadingClearanceMargin_pct));
        item->setText(19, format("%.1f", r.LoadingTotal_pct));
        if (cm == 1) {
            item->setText(20, format("%.3f", colony.weightedRed));
            item->setText(21, format("%.3f", colony.weightedGreen));
            item->setText(22, format("%.3f", colony.weightedBlue));
        }
    } else {
        for (int c = 15; c <= 22; ++c)
            item->setText(c, QString());
        if (r.Circularity < limits.CircularityMin)
            markCell(item, 9);
        if (r.ClearanceNeighbor_mm < limits.NeighborDistanceMin)
            markCell(item, 10);
        if (r.ClearanceMargin_mm < limits.MarginDistanceMin)
            markCell(item, 11);
        if (r.Area_mm2 < limits.AreaMin || r.Area_mm2 > limits.AreaMax)
            markCell(item, 8);
        if (cm == 1) {
            if (r.ColorRed < limits.ThresholdColorRedMin || r.ColorRed > limits.ThresholdColorRedMax)
                markCell(item, 12);
            if (r.ColorGreen < limits.ThresholdColorGreenMin || r.ColorGreen > limits.ThresholdColorGreenMax)
                markCell(item, 13);
            if (r.ColorBlue < limits.ThresholdColorBlueMin || r.ColorBlue > limits.ThresholdColorBlueMax)
                markCell(item, 14);
        }
        if (cm == 2 && !colony.colorPassed)
            markCell(item, 26);
    }
    for (int c = 1; c < item->columnCount(); ++c)
        item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
}

void ColonyAnalyserGui::slot_ImageRefPointsAdd(QString text, ImageRefPoint item)
{
    auto* row = new NumericSortTreeWidgetItem(m_ui->m_ReferencePointsPositions);
    row->setFlags(Qt::ItemIsEnabled);
    row->setText(0, text.isEmpty() ? ReferenceCornerNames(item.Index) : text);
    if (item.Found) {
        row->setText(1, QStringLiteral("-"));
    } else {
        row->setText(1, item.ErrorText);
        if (!item.ErrorText.isEmpty())
            row->setBackground(1, markColor());
    }
    double xPercent = 0.0;
    double yPercent = 0.0;
    m_halconView->pixelsToPercent(item.PosX_px, item.PosY_px, xPercent, yPercent);
    row->setText(2, format("%.1f", item.PosX_px));
    row->setText(3, format("%.1f", item.PosY_px));
    row->setText(4, format("%.4f", item.Scale));
    row->setText(5, format("%.2f", item.Score));
    row->setText(6, format("%.4f", m_halconView->pixelsToPercentX(item.PosX_px)));
    row->setText(7, format("%.4f", m_halconView->pixelsToPercentY(item.PosY_px)));
    for (int c = 2; c < m_ui->m_ReferencePointsPositions->columnCount(); ++c)
        row->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);

    // A point that was not found has no position worth keeping: the stored ones stay.
    if (item.Found) {
        DatabaseTableZelvorinRack::Dataset& r = m_rack.row;
        switch (item.Index) {
        case 0:
            r.ReferenzPos1X = item.PosX_px;
            r.ReferenzPos1Y = item.PosY_px;
            break;
        case 1:
            r.ReferenzPos2X = item.PosX_px;
            r.ReferenzPos2Y = item.PosY_px;
            break;
        case 2:
            r.ReferenzPos3X = item.PosX_px;
            r.ReferenzPos3Y = item.PosY_px;
            break;
        case 3:
            r.ReferenzPos4X = item.PosX_px;
            r.ReferenzPos4Y = item.PosY_px;
            break;
        default:
            break;
        }
    }
    m_pendingUpdates.acquire(1);
}

void ColonyAnalyserGui::slot_ImageRefPointsClear()
{
    m_ui->m_ReferencePointsPositions->clear();
}

void ColonyAnalyserGui::slot_ImageRefPointsAddMetrics(ImageRefPointsMetrics item)
{
    QTreeWidget* table = m_ui->m_ReferencePointsMetrics;
    table->clear();
    const bool usable = item.hasResolution();
    const struct {
        const char* label;
        double value;
    } rows[] = {
        {QT_TR_NOOP("1. Horizontal Resolution [px/mm]:"), item.HorizontalResolution},
        {QT_TR_NOOP("2. Vertical Resolution [px/mm]:"), item.VerticalResolution},
        {QT_TR_NOOP("3. Rotation of horizontal axis to image axis [deg ccw]:"),
         item.AxisRotation * ImageRefPointsMetrics::DegreesPerRadian},
        {QT_TR_NOOP("4. Top left corner angle between vertical and horizontal axis [deg]:"),
         item.CornerAngle * ImageRefPointsMetrics::DegreesPerRadian},
    };
    for (int i = 0; i < 4; ++i) {
        auto* row = new QTreeWidgetItem(table);
        row->setText(0, tr(rows[i].label));
        row->setText(1, usable ? format("%.3f", rows[i].value) : QStringLiteral("-"));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        if (i == 3 && !item.Message.isEmpty()) {
            row->setText(2, item.Message);
            row->setBackground(2, markColor());
        }
    }
}

// ---- User slots -------------------------------------------------------------------------------------

void ColonyAnalyserGui::slot_QPushButton_StartStop_clicked()
{
    bool busy = false;
    m_worker->CheckRunning(busy);
    if (busy)
        Stop();
    else
        Reanalyse();
}

void ColonyAnalyserGui::slot_AppSettings_changed()
{
    Reanalyse();
}

void ColonyAnalyserGui::slot_ColonySettings_changed()
{
    Reanalyse();
}

bool ColonyAnalyserGui::findColonyByItem(const QTreeWidgetItem* item, int& iContainer, int& iColony) const
{
    iContainer = -1;
    iColony = -1;
    if (!item)
        return false;
    for (size_t c = 0; c < m_rack.containers.size(); ++c) {
        const auto& colonies = m_rack.containers[c]->colonies;
        for (size_t k = 0; k < colonies.size(); ++k) {
            if (colonies[k]->item == item && !colonies[k]->objectName.isEmpty()) {
                iContainer = int(c);
                iColony = int(k);
                return true;
            }
        }
    }
    return false;
}

void ColonyAnalyserGui::findColonyAt(double x, double y, int& iContainer, int& iColony) const
{
    const int startContainer = iContainer < 0 ? 0 : iContainer;
    const int startColony = iContainer < 0 ? 0 : iColony + 1;
    iContainer = -1;
    iColony = -1;
    for (size_t c = size_t(startContainer); c < m_rack.containers.size(); ++c) {
        const auto& colonies = m_rack.containers[c]->colonies;
        for (size_t k = (int(c) == startContainer ? size_t(std::max(0, startColony)) : 0); k < colonies.size(); ++k) {
            Halcon::HTuple inside;
            if (Halcon::test_xld_point(colonies[k]->contour, y, x, &inside) == Halcon::kSuccess && inside.Length() > 0
                && inside[0].L() != 0) {
                iContainer = int(c);
                iColony = int(k);
                return;
            }
        }
    }
}

void ColonyAnalyserGui::centerViewOnColony(QTreeWidgetItem* item)
{
    int c = -1;
    int k = -1;
    if (!findColonyByItem(item, c, k))
        return;
    const DatabaseTableZelvorinColony::Dataset& row = m_rack.containers[size_t(c)]->colonies[size_t(k)]->row;
    double xPercent = 0.0;
    double yPercent = 0.0;
    m_view->convertPixelToPercent(row.PosX_px, row.PosY_px, xPercent, yPercent);
    m_view->centerViewOnPercent(xPercent, yPercent);
}

void ColonyAnalyserGui::slot_ColoniesTable_itemDoubleClicked(QTreeWidgetItem* item, int)
{
    centerViewOnColony(item);
}

void ColonyAnalyserGui::slot_Action_ResizeColumns()
{
    if (auto* tree = qobject_cast<QTreeWidget*>(QApplication::focusWidget()))
        ResizeTreeWidgetColumnsToContents(tree);
}

void ColonyAnalyserGui::slot_Action_ShowInHalconView()
{
    auto* tree = qobject_cast<QTreeWidget*>(QApplication::focusWidget());
    if (tree != m_ui->m_ColoniesTable && tree != m_ui->m_RejectedColoniesTable)
        return;
    centerViewOnColony(tree->currentItem());
}

void ColonyAnalyserGui::setColonyItemsSelected(int iContainer, int iColony)
{
    const ColonyEntry& colony = *m_rack.containers[size_t(iContainer)]->colonies[size_t(iColony)];
    const QSignalBlocker blocker(m_view);
    m_view->selectObjects(colony.objectName, false);
}

void ColonyAnalyserGui::slot_ColoniesTable_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem*)
{
    {
        const QSignalBlocker blocker(m_view);
        m_view->clearSelection(kColoniesPrefix, false);
    }
    if (current && !QuendralLibrary::IsAutomationServer()) {
        if (current == m_rack.item && !m_rack.objectName.isEmpty()) {
            const QSignalBlocker blocker(m_view);
            m_view->selectObjects(m_rack.objectName, false);
        }
        QTreeWidget* own = current->treeWidget();
        QTreeWidget* other = own == m_ui->m_ColoniesTable ? m_ui->m_RejectedColoniesTable : m_ui->m_ColoniesTable;
        {
            const QSignalBlocker blocker(other);
            other->setCurrentItem(nullptr);
        }
        int c = -1;
        int k = -1;
        if (findColonyByItem(current, c, k))
            setColonyItemsSelected(c, k);
    }
    m_view->updateView(true);
}

void ColonyAnalyserGui::slot_HalconMousePressEvent(double x, double y)
{
    if (m_colourSelection) {
        for (const auto& container : m_rack.containers) {
            for (const auto& colony : container->colonies) {
                Halcon::HTuple inside;
                if (Halcon::test_xld_point(colony->contour, y, x, &inside) != Halcon::kSuccess || inside.Length() == 0
                    || inside[0].L() == 0)
                    continue;
                if (m_view->isObjectSelected(colony->objectName))
                    m_view->clearSelection(colony->objectName, true);
                else
                    m_view->selectObjects(colony->objectName, true);
            }
        }
        return;
    }
    int c = -1;
    int k = -1;
    findColonyAt(x, y, c, k);
    if (c < 0)
        m_view->clearSelection(QString(), true);
}

void ColonyAnalyserGui::slot_HalconMouseMoveEvent(double, double) {}

void ColonyAnalyserGui::slot_HalconMouseReleaseEvent(double, double) {}

void ColonyAnalyserGui::slot_HalconObjectSelected(const QString& objectName)
{
    if (!m_colourSelection) {
        {
            const QSignalBlocker blocker(m_view);
            m_view->clearSelection(QStringLiteral("HalconObject_Colonies"), false);
            m_view->selectObjects(objectName, true);
        }
        for (const auto& container : m_rack.containers) {
            for (const auto& colony : container->colonies) {
                if (colony->objectName != objectName || !colony->item)
                    continue;
                QTreeWidget* own = colony->item->treeWidget();
                QTreeWidget* other = own == m_ui->m_ColoniesTable ? m_ui->m_RejectedColoniesTable : m_ui->m_ColoniesTable;
                const QSignalBlocker blockOwn(own);
                const QSignalBlocker blockOther(other);
                other->setCurrentItem(nullptr);
                own->setCurrentItem(colony->item);
            }
        }
        return;
    }
    for (const auto& container : m_rack.containers) {
        for (const auto& colony : container->colonies) {
            if (colony->objectName != objectName)
                continue;
            auto found = std::find_if(m_colourSelectionList.begin(), m_colourSelectionList.end(),
                                      [&](const std::unique_ptr<ColonyEntry>& e) { return e->objectName == objectName; });
            if (found != m_colourSelectionList.end()) {
                m_view->clearSelection(objectName, true);
                m_colourSelectionList.erase(found);
            } else {
                m_colourSelectionList.push_back(std::make_unique<ColonyEntry>(*colony));
            }
            return;
        }
    }
}

void ColonyAnalyserGui::applyColourSelection()
{
    if (m_colourSelectionList.empty() || !m_colonySettings)
        return;
    double hueMin = 255.0, saturationMin = 255.0, intensityMin = 255.0;
    double hueMax = 0.0, saturationMax = 0.0, intensityMax = 0.0;
    for (const auto& colony : m_colourSelectionList) {
        hueMin = std::min(hueMin, colony->row.ColorHue);
        hueMax = std::max(hueMax, colony->row.ColorHue);
        saturationMin = std::min(saturationMin, colony->row.ColorSaturation);
        saturationMax = std::max(saturationMax, colony->row.ColorSaturation);
        intensityMin = std::min(intensityMin, colony->row.ColorIntensity);
        intensityMax = std::max(intensityMax, colony->row.ColorIntensity);
    }
    ColonySettingsData::ColonyColorData& color = m_colonySettings->ColonyColor;
    color.StartHue = hueMin;
    color.EndHue = hueMax;
    color.StartSaturation = saturationMin;
    color.EndSaturation = saturationMax;
    color.StartIntensity = intensityMin;
    color.EndIntensity = intensityMax;
    double* tolerances[] = {&color.StartHuePercent, &color.EndHuePercent, &color.StartSaturationPercent,
                            &color.EndSaturationPercent, &color.StartIntensityPercent, &color.EndIntensityPercent};
    const bool small = std::any_of(std::begin(tolerances), std::end(tolerances), [](double* t) { return *t < 5.0; });
    if (small && MessageBox_Helper::question(this, tr("HSV color settings"), tr("Increase range tolerance to at least 5%"),
                                             QMessageBox::Yes | QMessageBox::No)
                     == QMessageBox::Yes) {
        for (double* t : tolerances)
            *t = std::max(*t, 5.0);
    }
    m_colonySettings->emitCustom(ColonySettings::CustomSignal_ValuesChanged, QVariant());
}

void ColonyAnalyserGui::slot_ColonySettings_custom(ColonySettings::Enum_CustomSignal number, const QVariant& data)
{
    switch (number) {
    case ColonySettings::CustomSignal_RequestRectangle:
        Stop();
        break;
    case ColonySettings::CustomSignal_ColorSelectionEnabled:
        if (data.toInt() == 0) {
            m_view->endMouseMode();
            m_view->clearSelection(kColoniesPrefix, true);
            m_colourSelection = false;
        } else if (data.toInt() == 1) {
            Stop();
            m_view->clearSelection(kColoniesPrefix, true);
            m_colourSelectionList.clear();
            m_ui->m_ColoniesTable->clearSelection();
            m_ui->m_RejectedColoniesTable->clearSelection();
            m_view->setObjectSelectorsChecked(kColoniesPrefix, true, true);
            m_view->beginMouseMode(QCursor(Qt::CrossCursor));
            m_colourSelection = true;
        }
        break;
    case ColonySettings::CustomSignal_ColorSelectionConfirmed:
        m_view->clearSelection(kColoniesPrefix, true);
        applyColourSelection();
        if (m_colonySettings)
            m_colonySettings->emitCustom(ColonySettings::CustomSignal_ColorSelectionEnabled, QVariant(0));
        Reanalyse();
        break;
    case ColonySettings::CustomSignal_PageEntered: {
        const int page = data.toInt();
        QTabWidget* tab = m_ui->m_AnalysisReportTab;
        if (m_lastEditorPage == 1 && tab->currentIndex() == 0)
            tab->setCurrentIndex(1);
        if (page == 1 && tab->currentIndex() != 0)
            tab->setCurrentIndex(0);
        m_lastEditorPage = page;
        QString prefix;
        if (page == 1)
            prefix = QStringLiteral("HalconObject_ReferencePoints");
        else if (page == 2)
            prefix = QStringLiteral("HalconObject_Colonies_SearchArea.");
        else if (page == 3)
            prefix = QStringLiteral("HalconObject_Margins.");
        else if (page == 4 || page == 5)
            prefix = kColoniesPrefix;
        if (prefix != m_highlightPrefix) {
            if (m_highlightActive) {
                m_view->setObjectSelectorsChecked(m_highlightPrefix, m_highlightCheckedBefore, true);
                m_highlightActive = false;
                m_highlightPrefix.clear();
            }
            if (!prefix.isEmpty() && !m_view->isObjectSelectorChecked(prefix)) {
                m_highlightActive = true;
                m_highlightCheckedBefore = false;
                m_highlightPrefix = prefix;
                m_view->setObjectSelectorsChecked(prefix, true, true);
            }
        }
        break;
    }
    default:
        break;
    }
}

void ColonyAnalyserGui::slot_GetRefPointOffset(double& x1Pct, double& y1Pct, double& x2Pct, double& y2Pct,
                                               double& x3Pct, double& y3Pct)
{
    const DatabaseTableZelvorinRack::Dataset& r = m_rack.row;
    m_view->convertPixelToPercent(r.ReferenzPos1X, r.ReferenzPos1Y, x1Pct, y1Pct);
    m_view->convertPixelToPercent(r.ReferenzPos2X, r.ReferenzPos2Y, x2Pct, y2Pct);
    m_view->convertPixelToPercent(r.ReferenzPos3X, r.ReferenzPos3Y, x3Pct, y3Pct);
}
