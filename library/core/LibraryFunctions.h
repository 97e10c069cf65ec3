#pragma once

#include "Errors.h"
#include "FilePlacing.h"

#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <QtGlobal>

class QWidget;

// Small stateless helpers of the library for files, paths, the process and the platform.
// Everything that can fail answers with an Errors::Type_Error and hands results through
// reference parameters, which are preset before any work.

// DOM elements for writers that build their settings document directly.
QDomElement createDomElement(QDomDocument& doc, const QString& tag,
                             const QString& name1, const QString& value1,
                             const QString& name2, const QString& value2,
                             const QString& name3, const QString& value3,
                             const QString& name4, const QString& value4);
QDomElement appendDomElement(QDomDocument& doc, QDomElement& parent, const QString& tag);
// Attributes with an empty name are left out.
QDomElement createDomElementWithAttributes(QDomDocument& doc, QDomElement& parent,
                                           const QString& tag, const QString& text,
                                           const QString& name1 = QString(), const QString& value1 = QString(),
                                           const QString& name2 = QString(), const QString& value2 = QString(),
                                           const QString& name3 = QString(), const QString& value3 = QString(),
                                           const QString& name4 = QString(), const QString& value4 = QString(),
                                           const QString& name5 = QString(), const QString& value5 = QString(),
                                           const QString& name6 = QString(), const QString& value6 = QString(),
                                           const QString& name7 = QString(), const QString& value7 = QString(),
                                           const QString& name8 = QString(), const QString& value8 = QString());

// The folder every relative path of the system is based on: the current folder recorded at
// library start, which the program sets to its own folder.
QString libraryApplicationPath();

// File dialogs may move the current folder; every relative path depends on it.
Errors::Type_Error setCurrentDirToApplicationDir();
// A file inside the program folder is stored relative to it, any other file absolute.
QString toApplicationRelativePath(const QString& path);
QString toApplicationRelativePath(const QString& path, const QString& applicationPath);

// Starts a program with its parameters (split like a command line). A per-user program needs
// no elevation here; the name is kept for its callers.
Errors::Type_Error runAsAdministrator(const QString& program, const QString& parameters, bool waitForEnd);

// Resident memory of this process and its peak, in MB.
Errors::Type_Error getProcessMemoryMB(double& pagefileMB, double& peakPagefileMB);
// Total and free size of the disk that holds the path, in MB; 50 when the path is unreadable.
Errors::Type_Error getDiskSpaceMB(const QString& path, double& totalMB, double& freeMB);
// Also the space this process may fill: the free space less the blocks the file system keeps
// for root, which an ordinary user's write never gets.
Errors::Type_Error getDiskSpaceMB(const QString& path, double& totalMB, double& freeMB, double& availableMB);

// "B1" for position 9 of a grid with 8 rows per column. Empty when rows is 0, the position is
// 0 or it lies beyond the 26 letters.
QString getPositionName(quint16 position, quint16 rows);
// The number padded with "0" to the digits of count: "B01" for position 9, 8 rows, count 96.
QString getPositionNamePadded(quint16 position, quint16 rows, quint16 count);

// File name without folder and, when it ends with it (case-sensitive), without the suffix.
QString getFileNameWithoutSuffix(const QString& path, const QString& suffix);

// The one place that decides whether the automation-server registration (the D-Bus service
// activation file) still points at this program.
bool isAutomationServerRegistrationCurrent(const QString& appName, const QString& className);

// 0 when registered, else re-registers through "-unregserver" and "-regserver" (3 on failure).
Errors::Type_Error checkComServerRegistration(const QString& appName, const QString& className);
// Called at start when not started by the automation system; a failed re-registration is not
// reported. The registration is per user, so no elevation is ever asked for.
Errors::Type_Error registerComServerIfNeeded(const QString& appName, const QString& className, QWidget* parent);
