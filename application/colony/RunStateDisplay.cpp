#include "RunStateDisplay.h"

#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QMovie>
#include <QPushButton>

// Q_INIT_RESOURCE declares its function in the enclosing namespace, so this stays global.
static void initRunStateResources()
{
    Q_INIT_RESOURCE(ColonyAnalyser);
}

namespace {

const QString kIconStart = QStringLiteral("pictures:/ColonyAnalyser/Start.png");
const QString kIconStop = QStringLiteral("pictures:/ColonyAnalyser/Stop.png");
const QString kBusyAnimation = QStringLiteral("pictures:/ColonyAnalyser/Calculating.gif");

} // namespace

RunStateDisplay::RunStateDisplay(QPushButton* startStop, QLabel* duration, QLabel* runningState, const char* context)
    : m_startStop(startStop)
    , m_duration(duration)
    , m_context(context)
{
    initRunStateResources();
    m_startStop->setEnabled(false);
    m_startStop->setIcon(QIcon(kIconStart));
    m_movie = std::make_unique<QMovie>(kBusyAnimation, QByteArray());
    m_movie->jumpToFrame(0);
    runningState->setMovie(m_movie.get());
}

RunStateDisplay::~RunStateDisplay() = default;

void RunStateDisplay::started()
{
    m_startTime = QDateTime::currentDateTime();
    m_duration->setText(QCoreApplication::translate(m_context, "wait ..."));
    m_startStop->setEnabled(true);
    m_startStop->setIcon(QIcon(kIconStop));
    m_movie->start();
}

void RunStateDisplay::stopped()
{
    // No start shown yet gives 0 s.
    const double seconds = double(m_startTime.msecsTo(QDateTime::currentDateTime())) / 1000.0;
    m_duration->setText(QCoreApplication::translate(m_context, "%1 s").arg(seconds, 0, 'g', 3));
    m_startStop->setEnabled(true);
    m_startStop->setIcon(QIcon(kIconStart));
    m_movie->stop();
}
