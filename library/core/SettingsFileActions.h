#pragma once

#include "Errors.h"

#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <functional>

// The load, save, save-as and defaults actions of a settings editor and its offer to save
// modified settings: it asks the operator (file dialogs and questions through
// MessageBox_Helper), lets the owner of the record read, write or reset it and reports
// failures. It keeps no state; the modified mark is the editor's, changed only through
// setModified. Each editor passes its own (translated) texts. GUI thread only.
class SettingsFileActions {
    Q_DECLARE_TR_FUNCTIONS(SettingsFileActions)

public:
    struct Texts {
        QString loadCaption;
        QString loadError; // %1 the settings name, %2 the error text
        QString saveCaption;
        QString saveError; // %1 the settings name
        QString defaultsTitle;
        QString defaultsError;
        QString saveQuestion; // %1 the settings name
    };

    // What the actions need of the editor and of the window that owns the record. Without
    // them (no window) every action does nothing.
    struct Operations {
        std::function<QString()> fileName;                         // current file; empty: none
        std::function<bool(const QString&)> save;                  // true: written, now current
        std::function<Errors::Type_Error(const QString&)> load;    // 0: loaded and announced
        std::function<bool()> isModified;
        std::function<void(bool)> setModified;
        bool usable() const { return fileName && save && load && isModified && setModified; }
    };

    // The operations of a host interface (its file name, save and load with notice), of an
    // editor's isModified and of a record that announces the mark as its custom signal
    // CustomSignal_ModifiedChanged. None without host, editor or record.
    template <typename Host, typename Editor, typename Settings>
    static Operations operationsOf(Host* host, QString (Host::*fileName)(), bool (Host::*save)(const QString&),
                                   Errors::Type_Error (Host::*load)(const QString&, bool), Editor* editor,
                                   Settings* settings)
    {
        if (!host || !editor || !settings)
            return {};
        Operations result;
        result.fileName = [host, fileName] { return (host->*fileName)(); };
        result.save = [host, save](const QString& file) { return (host->*save)(file); };
        result.load = [host, load](const QString& file) { return (host->*load)(file, true); };
        result.isModified = [editor] { return editor->isModified(); };
        result.setModified = [settings](bool modified) {
            settings->emitCustom(Settings::CustomSignal_ModifiedChanged, QVariant(modified));
        };
        return result;
    }

    // parent is the parent of every box and dialog; folder, filter and extension are those
    // of the settings files.
    SettingsFileActions(QWidget* parent, const QString& folder, const QString& extension, const QString& filter,
                        const Texts& texts, const Operations& operations);

    // The settings name shown for a file: no folder, no extension.
    QString baseName(const QString& fileName) const;

    void load();
    // true when the settings were written.
    bool save();
    bool saveAs();
    // Asks question under the defaults title; on Yes replace() resets the record, which then
    // counts as modified (not saved yet).
    void setDefaults(const QString& question, const std::function<bool()>& replace);
    // false when the operator wanted the modified settings saved and that failed or was
    // cancelled: the caller must then keep them.
    bool askSaveModified();
    // The same question before the window closes, with Cancel as a third answer. Settings
    // without a file of their own (ownFile false: none, or a shipped demo file that must not
    // be overwritten) go to Save As on Yes; shownName names them in the question. false when
    // the close must not go on: Cancel, or a wanted save that failed or was cancelled.
    bool askSaveModifiedBeforeClose(const QString& shownName, bool ownFile);

private:
    bool saveTo(const QString& fileName);
    bool offerToSave(const QString& shownName, bool cancellable, bool saveAsOnly);

    QPointer<QWidget> m_parent;
    QString m_folder;
    QString m_extension;
    QString m_filter;
    Texts m_texts;
    Operations m_operations;
};
