#include "CameraDeviceInfo.h"

#include <QtTest>

class tst_CameraDeviceInfo : public QObject {
    Q_OBJECT
private slots:
    void fromBoardText_data();
    void fromBoardText();
};

void tst_CameraDeviceInfo::fromBoardText_data()
{
    QTest::addColumn<int>("cameraInterface");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cameraType");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("serialNumber");

    QTest::newRow("uEye") << 1 << "device:3 camera_type:UI-X sn:4102 status:free" << "UI-X" << "3" << "4102";
    QTest::newRow("uEye fields in other order") << 1 << "sn:77 device:12 camera_type:XS" << "XS" << "12" << "77";
    QTest::newRow("uEye without serial") << 1 << "device:1 camera_type:A" << "A" << "1" << "";
    QTest::newRow("LuCam usb") << 2 << "device:usb:1 serial:3001 model:M" << "usb" << "1" << "3001";
    QTest::newRow("LuCam gige") << 2 << "device:gige:cam7 serial:9" << "gige" << "cam7" << "9";
    QTest::newRow("LuCam other connection") << 2 << "device:firewire:2 serial:5" << "firewire" << "" << "5";
    QTest::newRow("LuCam without kind") << 2 << "device:7 serial:5" << "" << "" << "5";
    QTest::newRow("unknown interface") << 3 << "device:1 camera_type:A sn:1" << "" << "" << "";
    QTest::newRow("empty") << 1 << "" << "" << "" << "";
}

void tst_CameraDeviceInfo::fromBoardText()
{
    QFETCH(int, cameraInterface);
    QFETCH(QString, text);
    QFETCH(QString, cameraType);
    QFETCH(QString, device);
    QFETCH(QString, serialNumber);
    const CameraDeviceInfo info = CameraDeviceInfo::fromBoardText(cameraInterface, text);
    QCOMPARE(info.CameraType, cameraType);
    QCOMPARE(info.Device, device);
    QCOMPARE(info.SerialNumber, serialNumber);
}

QTEST_GUILESS_MAIN(tst_CameraDeviceInfo)
#include "tst_CameraDeviceInfo.moc"
