#include "HalconAutomaticOperatorParallelizationSettings.h"

#include "QuendralLibrary.h"
#include "XML_Settings.h"
#include "XML_Settings_Element.h"

namespace {

const char* const kSystem = "System";
const char* const kOperators = "HalconOperators";
const char* const kOperator = "HalconOperator";

// The measured conditions under their tags, in file order: one list for reading and writing.
template <typename Visit>
void visitFacts(HalconAutomaticOperatorParallelizationSettings& settings, Visit visit)
{
    visit(QStringLiteral("ApplicationName"), settings.ApplicationName);
    visit(QStringLiteral("ApplicationVersion"), settings.ApplicationVersion);
    visit(QStringLiteral("ComputerName"), settings.ComputerName);
    visit(QStringLiteral("HalconVersion"), settings.HalconVersion);
    visit(QStringLiteral("ProcessorCores"), settings.ProcessorCores);
}

} // namespace

HalconAutomaticOperatorParallelizationSettings::HalconAutomaticOperatorParallelizationSettings(QObject* parent)
    : Settings_Change_Helper(true, 50, parent)
    , m_document(new XML_Settings(QuendralLibrary::GetApplicationName(), QuendralLibrary::GetApplicationVersion(),
                                  QStringLiteral("HalconAutomaticOperatorParallelizationSettings"),
                                  QStringLiteral("1.0"), QStringLiteral(".haopsettings.xml"), &name, this))
{
    setChangedBlocked(true);
    setDefaults();
    setChangedBlocked(false);
}

HalconAutomaticOperatorParallelizationSettings::~HalconAutomaticOperatorParallelizationSettings() = default;

void HalconAutomaticOperatorParallelizationSettings::setDefaults()
{
    name.clear();
    configVersion.clear();
    NoAutomaticAsk = false;
    ApplicationName.clear();
    ApplicationVersion.clear();
    ComputerName.clear();
    HalconVersion.clear();
    ProcessorCores = 0;
    HalconOperators.clear();
    setChanged(0);
}

bool HalconAutomaticOperatorParallelizationSettings::load(const QString& fileName)
{
    QString text;
    if (!m_document->readFile(text, fileName))
        return false;
    return fromText(text);
}

bool HalconAutomaticOperatorParallelizationSettings::save(const QString& fileName)
{
    buildDocument();
    return m_document->save(fileName);
}

QString HalconAutomaticOperatorParallelizationSettings::toText()
{
    buildDocument();
    return m_document->toString();
}

bool HalconAutomaticOperatorParallelizationSettings::fromText(const QString& text)
{
    setDefaults();
    XML_Settings_Element root = m_document->parse(text, configVersion);
    if (root.isNull())
        return false;

    XML_Settings_Element ask = root.getElement(QLatin1String(kSystem));
    if (!ask.isNull())
        ask.getValue(QStringLiteral("NoAutomaticAsk"), NoAutomaticAsk);

    XML_Settings_Element facts = root.getElement(QLatin1String(kSystem));
    if (!facts.isNull())
        visitFacts(*this, [&facts](const QString& tag, auto& value) { facts.getValue(tag, value); });

    XML_Settings_Element operators = root.getElement(QLatin1String(kOperators));
    if (!operators.isNull()) {
        for (XML_Settings_Element entry = operators.getElement(QLatin1String(kOperator)); !entry.isNull();
             entry = operators.getElement(QLatin1String(kOperator))) {
            HalconAutomaticOperatorParallelizationOperator op;
            entry.getValue(QStringLiteral("Name"), op.Name);
            entry.getValue(QStringLiteral("ApplicationDefined"), op.ApplicationDefined);
            HalconOperators.append(op);
        }
    }
    return true;
}

void HalconAutomaticOperatorParallelizationSettings::buildDocument()
{
    XML_Settings_Element root = m_document->createDocument();

    XML_Settings_Element ask = root.addElement(QLatin1String(kSystem));
    ask.addValue(QStringLiteral("NoAutomaticAsk"), NoAutomaticAsk);

    XML_Settings_Element facts = root.addElement(QLatin1String(kSystem));
    visitFacts(*this, [&facts](const QString& tag, const auto& value) { facts.addValue(tag, value); });

    XML_Settings_Element operators = root.addElement(QLatin1String(kOperators));
    for (const HalconAutomaticOperatorParallelizationOperator& op : HalconOperators) {
        XML_Settings_Element entry = operators.addElement(QLatin1String(kOperator));
        entry.addValue(QStringLiteral("Name"), op.Name);
        entry.addValue(QStringLiteral("ApplicationDefined"), op.ApplicationDefined);
    }
}
