#pragma once

#include <QDomElement>
#include <QHash>
#include <QString>

class QVariant;

// Handle to one element of a settings document. Writers append groups and typed values;
// readers walk repeated tags in order: the n-th read of a tag under one handle returns the
// n-th child element of that tag, counted separately for groups and values. Copies carry
// their own counters; a handle returned for a child group starts with none.
class XML_Settings_Element {
public:
    XML_Settings_Element() = default;
    explicit XML_Settings_Element(const QDomElement& element);

    bool isNull() const { return m_element.isNull(); }
    QDomElement element() const { return m_element; }

    // Writing: each call appends one child element and returns it. A value element carries a
    // "Unit" attribute only when unit is not empty.
    XML_Settings_Element addElement(const QString& tag);
    XML_Settings_Element addValue(const QString& tag, bool value, const QString& unit = QString());
    XML_Settings_Element addValue(const QString& tag, char value, const QString& unit = QString());
    XML_Settings_Element addValue(const QString& tag, unsigned char value, const QString& unit = QString());
    XML_Settings_Element addValue(const QString& tag, short value, const QString& unit = QString());
    XML_Settings_Element addValue(const QString& tag, unsigned short value, const QString& unit = QString());
    XML_Settings_Element addValue(const QString& tag, int value, const QString& unit = QString());
    XML_Settings_Element addValue(const QString& tag, unsigned int value, const QString& unit = QString());
    XML_Settings_Element addValue(const QString& tag, long value, const QString& unit = QString());
    XML_Settings_Element addValue(const QString& tag, unsigned long value, const QString& unit = QString());
    XML_Settings_Element addValue(const QString& tag, double value, const QString& unit = QString());
    XML_Settings_Element addValue(const QString& tag, const QString& value, const QString& unit = QString());
    // Keeps a string literal from silently choosing the bool overload.
    XML_Settings_Element addValue(const QString& tag, const char* value, const QString& unit = QString());
    // Adds a "TypeName" attribute; only bool, int, uint, double and QString get a text.
    XML_Settings_Element addValue(const QString& tag, const QVariant& value, const QString& unit = QString());

    // Reading: the next child group of that tag, or a null handle when there is none (the
    // counter advances either way).
    XML_Settings_Element getElement(const QString& tag);

    // The next value element of that tag: true and value set when it exists and its text
    // converts; false with value untouched otherwise. A missing element does not advance
    // the counter; a text that does not convert does.
    bool getValue(const QString& tag, bool& value);
    bool getValue(const QString& tag, char& value);
    bool getValue(const QString& tag, unsigned char& value);
    bool getValue(const QString& tag, short& value);
    bool getValue(const QString& tag, unsigned short& value);
    bool getValue(const QString& tag, int& value);
    bool getValue(const QString& tag, unsigned int& value);
    bool getValue(const QString& tag, long& value);
    bool getValue(const QString& tag, unsigned long& value);
    bool getValue(const QString& tag, double& value);
    bool getValue(const QString& tag, QString& value);
    bool getValue(const QString& tag, QVariant& value);
    // As getValue for a double, and a text that reads as infinite or not a number fails as
    // well: no stored quantity takes those.
    bool getFiniteValue(const QString& tag, double& value);

private:
    // Where the reads of one tag stand: the element the last read returned, so that the next
    // read continues from there instead of walking from the first child again.
    struct ReadCursor {
        bool started = false;
        QDomElement last;
    };

    XML_Settings_Element appendValue(const QString& tag, const QString& text, const QString& unit);
    QDomElement nextValueElement(const QString& tag);
    bool nextValueText(const QString& tag, QString& text);

    QDomElement m_element;
    QHash<QString, ReadCursor> m_elementReads;
    QHash<QString, ReadCursor> m_valueReads;
};
