#pragma once

#include <QObject>
#include <QString>

class QWidget;

// The "About" text of the library (rich text), and the translation context of its pieces.
class QuendralLibraryAboutDialog : public QObject {
    Q_OBJECT
public:
    explicit QuendralLibraryAboutDialog(QObject* parent = nullptr);
    ~QuendralLibraryAboutDialog() override;

    // Build date and time in the compiler's forms ("Oct 17 2016", "10:14:32"); the line
    // about them is left out when both are empty. Built afresh on every call.
    static QString GetText(const QString& buildDate, const QString& buildTime);

    // Shows the text under the title "About" through the library's message-box seam.
    static void Show(QWidget* parent, const QString& buildDate, const QString& buildTime);
};
