#include "Hobject_View_Gui.h"
#include "Hobject_View_Gui_Picture.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

// Records which events reached it.
class RecordingReceiver : public Hobject_View_Gui_Picture::CallbackFunctions {
public:
    QStringList events;
    void paintEvent(QPaintEvent*) override { events << "paint"; }
    void resizeEvent(QResizeEvent*) override { events << "resize"; }
    void showEvent(QShowEvent*) override { events << "show"; }
    void hideEvent(QHideEvent*) override { events << "hide"; }
    void mouseMoveEvent(QMouseEvent*) override { events << "move"; }
    void mousePressEvent(QMouseEvent*) override { events << "press"; }
    void mouseReleaseEvent(QMouseEvent*) override { events << "release"; }
    void mouseDoubleClickEvent(QMouseEvent*) override { events << "double"; }
    void wheelEvent(QWheelEvent*) override { events << "wheel"; }
};

void driveAllEvents(QWidget* picture)
{
    picture->window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(picture->window()));
    picture->resize(120, 80);
    picture->repaint();
    // Sent directly: the button state of simulated input stays out of later tests.
    const QPointF local(10, 10);
    const QPointF global(picture->mapToGlobal(QPoint(10, 10)));
    for (QEvent::Type type : {QEvent::MouseMove, QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick}) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, global, button, type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          Qt::NoModifier);
        QApplication::sendEvent(picture, &event);
    }
    QWheelEvent wheel(QPointF(5, 5), QPointF(picture->mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(picture, &wheel);
    picture->window()->hide();
}

} // namespace

class tst_Hobject_View_Gui_Picture : public QObject {
    Q_OBJECT
private slots:
    void fillsItsPlaceholder();
    void forwardsEveryEvent();
    void withoutReceiverIgnoresEvents();
    void mouseMovesWithoutButtonReachTheViewer();
    void formObjectNames_data();
    void formObjectNames();
    void formDetails();
};

void tst_Hobject_View_Gui_Picture::fillsItsPlaceholder()
{
    QWidget placeholder;
    placeholder.setMinimumSize(50, 50);
    Hobject_View_Gui_Picture picture(nullptr, &placeholder);
    auto* grid = qobject_cast<QGridLayout*>(placeholder.layout());
    QVERIFY(grid);
    QCOMPARE(grid->itemAtPosition(0, 0)->widget(), &picture);
    QCOMPARE(grid->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(placeholder.minimumSize(), QSize(0, 0));
    QVERIFY(picture.hasMouseTracking());
}

void tst_Hobject_View_Gui_Picture::forwardsEveryEvent()
{
    RecordingReceiver receiver;   // outlives the widget, which reports its hiding when deleted
    QWidget placeholder;
    placeholder.resize(200, 200);
    auto* picture = new Hobject_View_Gui_Picture(&receiver, &placeholder);
    driveAllEvents(picture);
    for (const char* kind : {"paint", "resize", "show", "hide", "move", "press", "release", "double", "wheel"})
        QVERIFY2(receiver.events.contains(QLatin1String(kind)), kind);
}

void tst_Hobject_View_Gui_Picture::withoutReceiverIgnoresEvents()
{
    QWidget placeholder;
    placeholder.resize(200, 200);
    auto* picture = new Hobject_View_Gui_Picture(nullptr, &placeholder);
    driveAllEvents(picture);   // nothing to call: must simply not crash
    QVERIFY(!picture->isVisible());
}

void tst_Hobject_View_Gui_Picture::mouseMovesWithoutButtonReachTheViewer()
{
    Hobject_View_Gui view;
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy move(&view, &Hobject_View_Gui::signal_HalconMouseMoveEvent);
    // Two places, so that one of them differs from wherever the pointer was before.
    QTest::mouseMove(view.findChild<Hobject_View_Gui_Picture*>(), QPoint(20, 20));
    QTest::mouseMove(view.findChild<Hobject_View_Gui_Picture*>(), QPoint(30, 25));
    QVERIFY(move.count() >= 1);
}

void tst_Hobject_View_Gui_Picture::formObjectNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    const QList<QPair<QString, QString>> names = {
        {"m_QWidget_ViewPanel", "QWidget"},        {"m_QWidget_Picture", "QWidget"},
        {"m_QScrollBar_Vertical", "QScrollBar"},   {"m_QScrollBar_Horizontal", "QScrollBar"},
        {"m_QWidget_ControlPanel", "QWidget"},     {"m_QWidget_ZoomPanel", "QWidget"},
        {"m_QToolButton_Zoom100", "QToolButton"},  {"m_QToolButton_ZoomIn", "QToolButton"},
        {"m_QToolButton_ZoomOut", "QToolButton"},  {"m_QToolButton_ZoomRange", "QToolButton"},
        {"m_QWidget_SavePanel", "QWidget"},        {"m_QToolButton_Save", "QToolButton"},
        {"gridLayout_18", "QGridLayout"},          {"gridLayout_16", "QGridLayout"},
        {"horizontalLayout", "QHBoxLayout"},       {"gridLayout_3", "QGridLayout"},
        {"gridLayout_4", "QGridLayout"}};
    for (const auto& entry : names)
        QTest::newRow(qPrintable(entry.first)) << entry.first << entry.second;
    for (int i = 1; i <= 6; ++i) {
        QTest::addRow("picture row %d", i) << QStringLiteral("m_QWidget_HalconPicture%1").arg(i) << "QWidget";
        QTest::addRow("picture radio %d", i) << QStringLiteral("m_QRadioButton_HalconPicture%1").arg(i) << "QRadioButton";
        QTest::addRow("picture label %d", i) << QStringLiteral("m_QLabel_HalconPicture%1").arg(i) << "QLabel";
    }
    for (int i = 1; i <= 9; ++i) {
        QTest::addRow("object row %d", i) << QStringLiteral("m_QWidget_HalconObject%1").arg(i) << "QWidget";
        QTest::addRow("object box %d", i) << QStringLiteral("m_QCheckBox_HalconObject%1").arg(i) << "QCheckBox";
        QTest::addRow("object label %d", i) << QStringLiteral("m_QLabel_HalconObject%1").arg(i) << "QLabel";
    }
}

void tst_Hobject_View_Gui_Picture::formObjectNames()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    Hobject_View_Gui view;
    QCOMPARE(view.objectName(), QStringLiteral("Hobject_View_Gui"));
    QObject* child = view.findChild<QObject*>(name);
    QVERIFY2(child, qPrintable(name));
    QCOMPARE(QString::fromLatin1(child->metaObject()->className()), className);
}

void tst_Hobject_View_Gui_Picture::formDetails()
{
    Hobject_View_Gui view;
    QCOMPARE(view.findChild<QToolButton*>("m_QToolButton_Zoom100")->toolTip(), QStringLiteral("Reset zoom to 100%"));
    QCOMPARE(view.findChild<QToolButton*>("m_QToolButton_Save")->toolTip(),
             QStringLiteral("Save current view to a pitcure file"));
    QVERIFY(view.findChild<QToolButton*>("m_QToolButton_ZoomRange")->isCheckable());
    QCOMPARE(view.findChild<QToolButton*>("m_QToolButton_ZoomIn")->iconSize(), QSize(20, 20));
    for (int i = 1; i <= 6; ++i) {
        QVERIFY(!view.findChild<QRadioButton*>(QStringLiteral("m_QRadioButton_HalconPicture%1").arg(i))->autoExclusive());
        QVERIFY(view.findChild<QWidget*>(QStringLiteral("m_QWidget_HalconPicture%1").arg(i))->isHidden());
    }
    QCOMPARE(view.findChild<QLabel*>("m_QLabel_HalconObject9")->text(), QStringLiteral("Object 9"));
    QVERIFY(view.findChild<QLabel*>("m_QLabel_HalconObject1")->font().pointSizeF() < view.font().pointSizeF());
    QCOMPARE(view.findChild<QScrollBar*>("m_QScrollBar_Vertical")->orientation(), Qt::Vertical);
}

QTEST_MAIN(tst_Hobject_View_Gui_Picture)
#include "tst_Hobject_View_Gui_Picture.moc"
