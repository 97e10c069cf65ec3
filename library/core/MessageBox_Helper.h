#pragma once

#include <QMap>
#include <QMessageBox>
#include <QString>

#include <functional>
#include <memory>

class QDialog;
class QWidget;

// The one way the library asks the user something or tells him something in a message box,
// and asks him for a file name. Tests install answer functions and see every box and file
// dialog instead of a window; an automation server never shows one and takes the default
// answer (a box's default button, no file name), since nobody sits in front of it.
class MessageBox_Helper {
public:
    struct Request {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QWidget* parent = nullptr;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        // Shown below the text, smaller; empty: none.
        QString informativeText;
        // Own words for some of the buttons ("Append" on Yes); the answer is still the
        // standard button, so scripted answers stay plain button values.
        QMap<QMessageBox::StandardButton, QString> buttonTexts;
    };
    using AnswerFunction = std::function<QMessageBox::StandardButton(const Request& request)>;

    struct FileRequest {
        // What the dialog asks for: a file to write, an existing file, an existing folder.
        enum Kind { SaveFile, OpenFile, Directory };
        Kind kind = SaveFile;
        QWidget* parent = nullptr;
        QString caption;
        QString directory;
        QString filter;
        // A file to write that exists: the dialog asks whether to replace it. Off where the
        // caller asks itself, after it checked the choice.
        bool confirmOverwrite = true;
    };
    // The chosen file name; empty means the user cancelled.
    using FileAnswerFunction = std::function<QString(const FileRequest& request)>;

    static QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton information(QWidget* parent, const QString& title, const QString& text,
                                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton warning(QWidget* parent, const QString& title, const QString& text,
                                               QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                               QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    static QMessageBox::StandardButton critical(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // A box built by the caller (informative text, own button texts), with the icon it names.
    static QMessageBox::StandardButton ask(const Request& request);

    // A box with the application's icon and an OK button only.
    static void about(QWidget* parent, const QString& title, const QString& text);

    static QString getSaveFileName(QWidget* parent, const QString& caption, const QString& directory = QString(),
                                   const QString& filter = QString());
    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& directory = QString(),
                                   const QString& filter = QString());
    // The dialog the request describes.
    static QString getFileName(const FileRequest& request);
    // A folder; the request's filter is empty.
    static QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& directory = QString());

    // The box ask() shows for a request: a message box, or, for a text too long for the
    // screen, a box whose text scrolls. Its exec() result is the standard button chosen.
    static std::unique_ptr<QDialog> createBox(const Request& request);

    // The answer without a window: the default button, else the first of the buttons.
    static QMessageBox::StandardButton defaultAnswer(const Request& request);

    // A modal dialog of the application's own (a browser, a settings dialog, a text input):
    // its exec() result. It is shown also in an automation server, where an automation
    // method asks the operator to choose something.
    using DialogFunction = std::function<int(QDialog* dialog)>;
    static int exec(QDialog* dialog);

    // Dialogs shown on behalf of someone who may go away before answering (an automation
    // client): while a scope lives, a dialog that exec() shows belongs to the owner of the
    // innermost scope. rejectDialogsOf(owner) cancels the owner's open dialogs, and exec()
    // answers Rejected at once for an owner gone while its scope still lives. GUI thread.
    class DialogOwnerScope {
    public:
        explicit DialogOwnerScope(const void* owner);
        ~DialogOwnerScope();
        DialogOwnerScope(const DialogOwnerScope&) = delete;
        DialogOwnerScope& operator=(const DialogOwnerScope&) = delete;
    };
    static void rejectDialogsOf(const void* owner);

    // Replaces the boxes by function (tests); an empty function restores the real boxes.
    static void setAnswerFunction(AnswerFunction function);
    // Replaces the file dialogs by function (tests); an empty function restores the real ones.
    static void setFileAnswerFunction(FileAnswerFunction function);
    // Fills in and answers the dialogs by function (tests); an empty function shows them.
    static void setDialogFunction(DialogFunction function);
};
