#include <QtTest>
class tst_Skeleton : public QObject { Q_OBJECT private slots: void ok() { QVERIFY(true); } };
QTEST_GUILESS_MAIN(tst_Skeleton)
#include "tst_Skeleton.moc"
