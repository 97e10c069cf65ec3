#pragma once

#include <QObject>
#include <QString>

class QWidget;

// The "System information" text (rich text): memory and disk figures, vision-layer modules
// and the statistics of every live picture viewer. Also the translation context of its pieces.
class QuendralLibrarySystemInformationDialog : public QObject {
    Q_OBJECT
public:
    explicit QuendralLibrarySystemInformationDialog(QObject* parent = nullptr);
    ~QuendralLibrarySystemInformationDialog() override;

    // diskPath names a folder whose disk is reported; empty leaves the disk line out.
    // Built afresh on every call; GUI thread (it reads the list of live viewers).
    static QString GetText(const QString& diskPath);

    // Shows the text under the title "System information" with an OK button through the
    // library's message-box seam.
    static void Show(QWidget* parent, const QString& diskPath);
};
