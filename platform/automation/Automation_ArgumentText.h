#pragma once

#include <QString>
#include <QVariant>

// Arguments of automation methods as text, for people at a command line: a value from text
// for a D-Bus signature, and the text of a received value.
namespace Automation_ArgumentText {

// Signatures "i" (32-bit integer), "u", "x", "t", "d", "b" ("true"/"false"/"1"/"0"), "s"
// and "av" (comma-separated elements; each an integer, else a number, else a text; empty
// text: empty list). false, with error set and value untouched, when the text is not a
// value of the signature or the signature is not one of these.
bool fromText(const QString& text, const QString& signature, QVariant& value, QString& error);

// Numbers in the shortest form that reads back the same, lists as "[a, b]".
QString toText(const QVariant& value);

} // namespace Automation_ArgumentText
