// The settings-file picker: what it lists and in which order, the file chosen at the start,
// Ok, Cancel and closing, Ok without a choice, and the window kept from one use to the next.

#include "Settings_Select_Gui.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kExtension = QStringLiteral(".camerasettings.xml");

bool touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

// A camera settings folder with a, B and files that are no camera settings.
bool fillFolder(const QString& folder)
{
    return QDir().mkpath(folder + QStringLiteral("/sub") + kExtension) && touch(folder + QStringLiteral("/a") + kExtension)
        && touch(folder + QStringLiteral("/B") + kExtension) && touch(folder + QStringLiteral("/notes.txt"))
        && touch(folder + QStringLiteral("/.hidden") + kExtension)
        && touch(folder + QStringLiteral("/Upper.CAMERASETTINGS.XML"));
}

QStringList listed(const Settings_Select_Gui& dialog)
{
    const auto* list = dialog.findChild<QListWidget*>(QStringLiteral("m_QListWidget_Settings"));
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QListWidget* listOf(const Settings_Select_Gui& dialog)
{
    return dialog.findChild<QListWidget*>(QStringLiteral("m_QListWidget_Settings"));
}

QPushButton* button(const Settings_Select_Gui& dialog, const char* name)
{
    return dialog.findChild<QPushButton*>(QLatin1String(name));
}

} // namespace

class tst_Settings_Select_Gui : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void listsTheFolderByName();
    void form();
    void preselected_data();
    void preselected();
    void okTakesTheChosenEntry();
    void okWithoutAChoiceDoesNothing();
    void cancelAndCloseChooseNothing_data();
    void cancelAndCloseChooseNothing();
    void windowIsKept();

private:
    QTemporaryDir m_dir;
    QString m_folder;
};

void tst_Settings_Select_Gui::init()
{
    m_folder = m_dir.filePath(QStringLiteral("settings/camera"));
    QVERIFY(fillFolder(m_folder));
}

void tst_Settings_Select_Gui::cleanup()
{
    QDir(m_dir.filePath(QStringLiteral("settings"))).removeRecursively();
}

void tst_Settings_Select_Gui::listsTheFolderByName()
{
    Settings_Select_Gui dialog(QString(), QStringLiteral("Select camera settings"), m_folder, kExtension, QString());
    // Name order, capitals first; no folders, hidden files, other files or other spellings of
    // the extension, whose names could not be opened again as folder, name and extension.
    QCOMPARE(listed(dialog), (QStringList{"B", "a"}));
    QCOMPARE(listOf(dialog)->currentItem(), nullptr);
    QVERIFY(dialog.selectedSettings().isEmpty());
}

void tst_Settings_Select_Gui::form()
{
    const QString picture = m_dir.filePath(QStringLiteral("picture.png"));
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QVERIFY(image.save(picture));
    Settings_Select_Gui dialog(picture, QStringLiteral("Select colony settings"), m_folder, kExtension, QString());
    QCOMPARE(dialog.objectName(), QStringLiteral("Settings_Select_Gui"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Select settings"));
    QVERIFY(dialog.isSizeGripEnabled());
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("m_QLabel_UserText"))->text(),
             QStringLiteral("Select colony settings"));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("m_QLabel_Bild"))->pixmap().size(), QSize(24, 16));
    QVERIFY(button(dialog, "m_QPushButton_Ok")->isDefault());
    QCOMPARE(button(dialog, "m_QPushButton_Ok")->text(), QStringLiteral("Ok"));
    QCOMPARE(button(dialog, "m_QPushButton_Cancel")->text(), QStringLiteral("Cancel"));
    QCOMPARE(button(dialog, "m_QPushButton_Cancel")->nextInFocusChain(), button(dialog, "m_QPushButton_Ok"));
}

void tst_Settings_Select_Gui::preselected_data()
{
    QTest::addColumn<QString>("preselected");
    QTest::addColumn<QString>("current");
    QTest::newRow("folder, name and extension") << "settings/camera/a.camerasettings.xml" << "a";
    QTest::newRow("name and extension") << "B.camerasettings.xml" << "B";
    QTest::newRow("name as the client gives it") << "settings/camera/a" << "a";
    QTest::newRow("other case") << "settings/camera/A.camerasettings.xml" << "";
    QTest::newRow("not in the folder") << "settings/camera/c.camerasettings.xml" << "";
    QTest::newRow("none") << "" << "";
}

void tst_Settings_Select_Gui::preselected()
{
    QFETCH(QString, preselected);
    QFETCH(QString, current);
    Settings_Select_Gui dialog(QString(), QString(), m_folder, kExtension, preselected);
    const QListWidgetItem* item = listOf(dialog)->currentItem();
    QCOMPARE(item ? item->text() : QString(), current);
    QCOMPARE(dialog.selectedSettings(), current);
    QCOMPARE(button(dialog, "m_QPushButton_Ok")->isEnabled(), !current.isEmpty());
}

void tst_Settings_Select_Gui::okTakesTheChosenEntry()
{
    Settings_Select_Gui dialog(QString(), QString(), m_folder, kExtension, m_folder + QStringLiteral("/a") + kExtension);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(button(dialog, "m_QPushButton_Ok"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.selectedSettings(), QStringLiteral("a"));

    // Another entry clicked before Ok.
    Settings_Select_Gui second(QString(), QString(), m_folder, kExtension, m_folder + QStringLiteral("/a") + kExtension);
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    QListWidget* list = listOf(second);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QTest::mouseClick(button(second, "m_QPushButton_Ok"), Qt::LeftButton);
    QCOMPARE(second.result(), int(QDialog::Accepted));
    QCOMPARE(second.selectedSettings(), QStringLiteral("B"));
}

void tst_Settings_Select_Gui::okWithoutAChoiceDoesNothing()
{
    QDir().mkpath(m_dir.filePath(QStringLiteral("settings/empty")));
    for (const QString& folder : {m_folder, m_dir.filePath(QStringLiteral("settings/empty"))}) {
        Settings_Select_Gui dialog(QString(), QString(), folder, kExtension, QString());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        listOf(dialog)->setCurrentItem(nullptr);
        QPushButton* ok = button(dialog, "m_QPushButton_Ok");
        QVERIFY(!ok->isEnabled());
        QTest::mouseClick(ok, Qt::LeftButton);
        QTest::keyClick(&dialog, Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.selectedSettings().isEmpty());
    }
}

void tst_Settings_Select_Gui::cancelAndCloseChooseNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel") << "cancel";
    QTest::newRow("close") << "close";
    QTest::newRow("escape") << "escape";
}

void tst_Settings_Select_Gui::cancelAndCloseChooseNothing()
{
    QFETCH(QString, how);
    Settings_Select_Gui dialog(QString(), QString(), m_folder, kExtension, m_folder + QStringLiteral("/B") + kExtension);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.selectedSettings(), QStringLiteral("B"));
    if (how == QLatin1String("cancel"))
        QTest::mouseClick(button(dialog, "m_QPushButton_Cancel"), Qt::LeftButton);
    else if (how == QLatin1String("close"))
        dialog.close();
    else
        QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(dialog.selectedSettings().isEmpty());
}

void tst_Settings_Select_Gui::windowIsKept()
{
    // Window layouts live under "settings/window" of the current folder.
    const QString before = QDir::currentPath();
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("settings/window"))));
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QSize size;
    {
        Settings_Select_Gui dialog(QString(), QString(), m_folder, kExtension, QString());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.resize(530, 390);
        size = dialog.size();
    }
    QVERIFY(QFile::exists(QStringLiteral("settings/window/Settings_Select_Gui.windowgeometry")));
    Settings_Select_Gui again(QString(), QString(), m_folder, kExtension, QString());
    const QSize restored = again.size();
    QDir::setCurrent(before);
    QCOMPARE(restored, size);
}

QTEST_MAIN(tst_Settings_Select_Gui)
#include "tst_Settings_Select_Gui.moc"
