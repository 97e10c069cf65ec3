#include "XML_Settings.h"

#include "ReplacingFile.h"

#include <QByteArray>
#include <QDomComment>
#include <QDomNamedNodeMap>
#include <QDomProcessingInstruction>
#include <QDomText>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

const QString c_declaration = QStringLiteral("<?xml version='1.0' encoding='UTF-8' ?>");
const QString c_nameTag = QStringLiteral("Name");
const QString c_configVersionAttribute = QStringLiteral("ConfigVersion");
// Settings files are a few levels deep; a deeper text is no settings file, and refusing it
// keeps the document (whose teardown recurses) shallow.
constexpr int c_maxDepth = 64;

// Control characters a one-line value carries as backslash sequences, both ways.
struct ControlEscape {
    char control;
    const char* escaped;
};
constexpr ControlEscape c_controlEscapes[] = {{'\r', "\\r"}, {'\n', "\\n"}, {'\t', "\\t"}};

QDateTime defaultClock()
{
    return QDateTime::currentDateTime();
}

qint64 defaultWrite(QIODevice& device, const QByteArray& data)
{
    return device.write(data);
}

std::atomic<XML_Settings::ClockFunction> g_clock{&defaultClock};
std::atomic<XML_Settings::WriteFunction> g_write{&defaultWrite};

// ---- Writing ------------------------------------------------------------------------------

// Attributes come out in a fixed order, so the same settings give the same bytes in every
// process (the DOM keeps them in a hash with a per-process seed).
const QStringList c_attributeOrder = {
    QStringLiteral("Application"), QStringLiteral("ApplicationVersion"),
    QStringLiteral("ConfigVersion"), QStringLiteral("ModifyDate"),
    QStringLiteral("TypeName"), QStringLiteral("Unit")};

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF)
        || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Characters that XML cannot hold at all (control characters, lone surrogates) become
// U+FFFD, so that a file we write can always be read back.
void appendEscaped(QString& out, const QString& text, bool attribute)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
            continue;
        }
        if (c.isSurrogate())
            code = 0xFFFF; // unpaired: not representable
        switch (code) {
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '&': out += QLatin1String("&amp;"); break;
        case '\r': out += QLatin1String("&#xd;"); break;
        case '"':
            out += attribute ? QLatin1String("&quot;") : QLatin1String("\"");
            break;
        case '\n':
            out += attribute ? QLatin1String("&#xa;") : QLatin1String("\n");
            break;
        case '\t':
            out += attribute ? QLatin1String("&#x9;") : QLatin1String("\t");
            break;
        default:
            if (isXmlChar(code))
                out += c;
            else
                out += QChar(0xFFFD);
        }
    }
}

void appendAttributes(QString& out, const QDomElement& element)
{
    const QDomNamedNodeMap map = element.attributes();
    std::vector<QDomAttr> attributes;
    attributes.reserve(size_t(map.count()));
    for (int i = 0; i < map.count(); ++i)
        attributes.push_back(map.item(i).toAttr());
    std::sort(attributes.begin(), attributes.end(), [](const QDomAttr& a, const QDomAttr& b) {
        qsizetype rankA = c_attributeOrder.indexOf(a.name());
        qsizetype rankB = c_attributeOrder.indexOf(b.name());
        if (rankA < 0)
            rankA = c_attributeOrder.size();
        if (rankB < 0)
            rankB = c_attributeOrder.size();
        if (rankA != rankB)
            return rankA < rankB;
        return a.name() < b.name();
    });
    for (const QDomAttr& attribute : attributes) {
        out += QLatin1Char(' ');
        out += attribute.name();
        out += QLatin1String("=\"");
        appendEscaped(out, attribute.value(), true);
        out += QLatin1Char('"');
    }
}

void appendNode(QString& out, const QDomNode& node, int depth)
{
    const QString indent(depth, QLatin1Char(' '));
    if (node.isElement()) {
        const QDomElement element = node.toElement();
        out += indent;
        out += QLatin1Char('<');
        out += element.tagName();
        appendAttributes(out, element);
        const QDomNodeList children = element.childNodes();
        if (children.isEmpty()) {
            out += QLatin1String("/>\n");
            return;
        }
        bool onlyText = true;
        for (int i = 0; i < children.count() && onlyText; ++i)
            onlyText = children.at(i).isText();
        out += QLatin1Char('>');
        if (onlyText) {
            for (int i = 0; i < children.count(); ++i)
                appendEscaped(out, children.at(i).toText().data(), false);
        } else {
            out += QLatin1Char('\n');
            for (int i = 0; i < children.count(); ++i)
                appendNode(out, children.at(i), depth + 1);
            out += indent;
        }
        out += QLatin1String("</");
        out += element.tagName();
        out += QLatin1String(">\n");
    } else if (node.isText()) {
        out += indent;
        appendEscaped(out, node.toText().data(), false);
        out += QLatin1Char('\n');
    } else if (node.isComment()) {
        out += indent;
        out += QLatin1String("<!--");
        out += node.toComment().data();
        out += QLatin1String("-->\n");
    } else if (node.isProcessingInstruction()) {
        const QDomProcessingInstruction instruction = node.toProcessingInstruction();
        out += indent;
        out += QLatin1String("<?");
        out += instruction.target();
        if (!instruction.data().isEmpty()) {
            out += QLatin1Char(' ');
            out += instruction.data();
        }
        out += QLatin1String("?>\n");
    }
}

// ---- Reading ------------------------------------------------------------------------------

// Settings elements carry a handful of attributes. The stream reader compares each attribute
// of a start tag with every earlier one, so thousands of them cost seconds before the reader
// returns the tag: such a text is refused before it is parsed.
constexpr int c_maxAttributes = 64;

// Counts the '=' outside quotes of each tag; comments, CDATA sections and processing
// instructions are skipped whole. A text that is not well-formed may be counted wrongly,
// which costs nothing: the parser refuses it anyway.
bool attributeCountsBounded(const QString& text)
{
    const auto skipTo = [&text](qsizetype from, QLatin1String end) {
        const qsizetype at = text.indexOf(end, from);
        return at < 0 ? text.size() : at + end.size();
    };
    const qsizetype size = text.size();
    qsizetype i = text.indexOf(u'<');
    while (i >= 0 && i < size) {
        const QStringView rest = QStringView(text).mid(i);
        if (rest.startsWith(QLatin1String("<!--"))) {
            i = skipTo(i + 4, QLatin1String("-->"));
        } else if (rest.startsWith(QLatin1String("<![CDATA["))) {
            i = skipTo(i + 9, QLatin1String("]]>"));
        } else if (rest.startsWith(QLatin1String("<?"))) {
            i = skipTo(i + 2, QLatin1String("?>"));
        } else {
            int attributes = 0;
            qsizetype j = i + 1;
            for (; j < size; ++j) {
                const QChar c = text.at(j);
                if (c == u'"' || c == u'\'') {
                    j = text.indexOf(c, j + 1);
                    if (j < 0)
                        return true;
                } else if (c == u'=') {
                    if (++attributes > c_maxAttributes)
                        return false;
                } else if (c == u'>' || c == u'<') {
                    break;
                }
            }
            i = j;
        }
        if (i < size)
            i = text.indexOf(u'<', text.at(i) == u'<' ? i : i + 1);
    }
    return true;
}

// Builds the document with the stream reader instead of QDomDocument::setContent, which drops
// a value consisting only of blanks. Whitespace between elements is indentation and is
// dropped; whitespace that is the whole content of an element is the value and is kept.
bool buildDocument(QDomDocument& document, const QString& text)
{
    if (!attributeCountsBounded(text))
        return false;
    QXmlStreamReader reader(text);
    reader.setNamespaceProcessing(false);

    // A null node stands for the document level: a fresh QDomDocument is itself null until
    // its first node is created.
    QDomNode current;
    const auto append = [&](const QDomNode& node) {
        if (current.isNull())
            document.appendChild(node);
        else
            current.appendChild(node);
    };
    QString pendingText;
    bool pendingAfterStart = false; // pending text follows directly a start tag

    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; };
    const auto flushText = [&](bool beforeEnd) {
        if (pendingText.isEmpty())
            return;
        const bool wholeContent = pendingAfterStart && beforeEnd;
        if (!wholeContent) {
            // Text beside elements: the blanks around it are the indentation the writer puts
            // there again, so they are not kept (or every save would add another level).
            qsizetype first = 0, last = pendingText.size();
            while (first < last && isBlank(pendingText.at(first)))
                ++first;
            while (last > first && isBlank(pendingText.at(last - 1)))
                --last;
            pendingText = pendingText.mid(first, last - first);
        }
        if (!pendingText.isEmpty() && current.isElement())
            current.appendChild(document.createTextNode(pendingText));
        pendingText.clear();
    };

    bool lastWasStart = false;
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::Characters || token == QXmlStreamReader::EntityReference) {
            if (pendingText.isEmpty())
                pendingAfterStart = lastWasStart;
            // An entity the reader cannot resolve (external ones) adds nothing.
            pendingText += reader.text();
            lastWasStart = false;
            continue;
        }
        flushText(token == QXmlStreamReader::EndElement);
        lastWasStart = false;
        switch (token) {
        case QXmlStreamReader::StartElement: {
            if (++depth > c_maxDepth)
                return false;
            QDomElement element = document.createElement(reader.qualifiedName().toString());
            const QXmlStreamAttributes attributes = reader.attributes();
            for (const QXmlStreamAttribute& attribute : attributes)
                element.setAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
            append(element);
            current = element;
            lastWasStart = true;
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            current = current.parentNode();
            if (current.isDocument())
                current = QDomNode();
            break;
        case QXmlStreamReader::Comment:
            append(document.createComment(reader.text().toString()));
            break;
        case QXmlStreamReader::ProcessingInstruction:
            append(document.createProcessingInstruction(
                reader.processingInstructionTarget().toString(),
                reader.processingInstructionData().toString()));
            break;
        default:
            break; // declaration, DTD, end of document
        }
    }
    return !reader.hasError() && !document.documentElement().isNull();
}

} // namespace

XML_Settings::XML_Settings(const QString& applicationName, const QString& applicationVersion,
                           const QString& rootTag, const QString& configVersion,
                           const QString& fileExtension, QString* name, QObject* parent)
    : QObject(parent)
    , m_applicationName(applicationName)
    , m_applicationVersion(applicationVersion)
    , m_rootTag(rootTag)
    , m_configVersion(configVersion)
    , m_fileExtension(fileExtension)
    , m_name(name)
{
}

XML_Settings::~XML_Settings() = default;

void XML_Settings::setClockFunction(ClockFunction function)
{
    g_clock = function ? function : &defaultClock;
}

void XML_Settings::setWriteFunction(WriteFunction function)
{
    g_write = function ? function : &defaultWrite;
}

XML_Settings_Element XML_Settings::createDocument()
{
    m_document = QDomDocument();
    QDomElement root = m_document.createElement(m_rootTag);
    m_document.appendChild(root);
    root.setAttribute(QStringLiteral("Application"), m_applicationName);
    root.setAttribute(QStringLiteral("ApplicationVersion"), m_applicationVersion);
    root.setAttribute(c_configVersionAttribute, m_configVersion);
    root.setAttribute(QStringLiteral("ModifyDate"),
                      g_clock.load()().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")));

    XML_Settings_Element rootHandle(root);
    if (m_name)
        rootHandle.addElement(c_nameTag).addValue(c_nameTag, *m_name);
    return rootHandle;
}

QString XML_Settings::toString() const
{
    QString text = c_declaration;
    text += QLatin1Char('\n');
    const QDomNodeList children = m_document.childNodes();
    for (int i = 0; i < children.count(); ++i)
        appendNode(text, children.at(i), 0);
    return text;
}

QString XML_Settings::filePath(const QString& fileName) const
{
    if (fileName.endsWith(m_fileExtension, Qt::CaseInsensitive))
        return fileName;
    return fileName + m_fileExtension;
}

QString XML_Settings::nameFromPath(const QString& path) const
{
    QString fileName = QFileInfo(path).fileName();
    if (fileName.endsWith(m_fileExtension, Qt::CaseSensitive))
        fileName.chop(m_fileExtension.size());
    return fileName;
}

QDomElement XML_Settings::nameValueElement() const
{
    return m_document.documentElement().firstChildElement(c_nameTag).firstChildElement(c_nameTag);
}

void XML_Settings::setNameValueText(const QString& text)
{
    QDomElement element = nameValueElement();
    if (element.isNull())
        return;
    while (!element.firstChild().isNull())
        element.removeChild(element.firstChild());
    if (!text.isEmpty())
        element.appendChild(m_document.createTextNode(text));
}

bool XML_Settings::save(const QString& fileName)
{
    const QString path = filePath(fileName);
    ReplacingFile file(path);
    if (!file.open())
        return false;

    // The new name goes into the text first and is kept only once the file is in place.
    QString newName;
    QString oldNameText;
    const bool hasNameElement = !nameValueElement().isNull();
    if (m_name) {
        newName = nameFromPath(path);
        if (hasNameElement) {
            oldNameText = nameValueElement().text();
            setNameValueText(newName);
        }
    }

    const QByteArray data = toString().toUtf8();
    const bool written = g_write.load()(file.file(), data) == data.size();
    if (!written || !file.commit()) {
        file.discard();
        if (m_name && hasNameElement)
            setNameValueText(oldNameText);
        return false;
    }
    if (m_name)
        *m_name = newName;
    return true;
}

bool XML_Settings::readText(const QString& path, QString& text)
{
    text.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text) || file.size() > MaximumFileSize)
        return false;
    // Read no further than the bound, as the size of a device or a growing file may lie.
    const QByteArray data = file.read(MaximumFileSize + 1);
    if (file.error() != QFileDevice::NoError || data.size() > MaximumFileSize)
        return false;
    file.close();

    // The decoder drops a leading byte-order mark.
    QStringDecoder decoder(QStringDecoder::Utf8);
    text = decoder.decode(data);
    return true;
}

bool XML_Settings::readFile(QString& text, const QString& fileName)
{
    const QString path = filePath(fileName);
    if (!readText(path, text))
        return false;
    if (m_name)
        *m_name = nameFromPath(path);
    return true;
}

XML_Settings_Element XML_Settings::parse(const QString& text, QString& configVersion)
{
    configVersion.clear();
    m_document = QDomDocument();
    if (text.size() > MaximumFileSize || !buildDocument(m_document, text)) {
        m_document = QDomDocument();
        return XML_Settings_Element();
    }

    // The root tag is deliberately not compared: records accept files of older names.
    const QDomElement root = m_document.documentElement();
    configVersion = root.hasAttribute(c_configVersionAttribute)
        ? root.attribute(c_configVersionAttribute)
        : m_configVersion;

    XML_Settings_Element rootHandle(root);
    if (m_name) {
        XML_Settings_Element nameGroup = rootHandle.getElement(c_nameTag);
        if (nameGroup.isNull())
            return XML_Settings_Element();
        if (!nameGroup.getValue(c_nameTag, *m_name))
            return XML_Settings_Element();
    }
    return rootHandle;
}

QString XML_Settings::escapeText(const QString& text)
{
    QString result = text;
    for (const ControlEscape& escape : c_controlEscapes)
        result.replace(QLatin1Char(escape.control), QLatin1String(escape.escaped));
    return result;
}

QString XML_Settings::unescapeText(const QString& text)
{
    QString result = text;
    for (const ControlEscape& escape : c_controlEscapes)
        result.replace(QLatin1String(escape.escaped), QLatin1String(&escape.control, 1));
    return result;
}
