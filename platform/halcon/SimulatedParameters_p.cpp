#include "SimulatedParameters_p.h"

#include "HalconErrors.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace Halcon::Detail {

namespace {

enum Kinds : unsigned { U = 1, S = 2, L = 4, US = U | S, UL = U | L, All = U | S | L };

unsigned bitOf(SimulatedKind kind)
{
    switch (kind) {
    case SimulatedKind::UEye:
        return U;
    case SimulatedKind::UEyeSmall:
        return S;
    case SimulatedKind::LuCam:
        return L;
    }
    return 0;
}

enum class Type { Integer, Real, Text, Coupled };

constexpr double kIntMax = 2147483647.0;

struct Spec
{
    const char *name;
    unsigned kinds;
    Type type;
    double minimum;
    double maximum;
    const char *choices; // "a|b|c" for texts
    const char *initialText;
    double initialNumber;
};

// One line per parameter and kind; a name may appear once per kind.
const Spec kSpecs[] = {
    {"grab_timeout", All, Type::Integer, -1, kIntMax, nullptr, nullptr, 5000},
    {"api_timeout", US, Type::Integer, 1, kIntMax, nullptr, nullptr, 7000},
    {"exposure", All, Type::Coupled, 0, 0, nullptr, nullptr, 10.0},
    {"frame_rate", All, Type::Coupled, 0, 0, nullptr, nullptr, 10.0},
    {"pixel_clock", US, Type::Coupled, 0, 0, nullptr, nullptr, 0},
    {"edge_enhancement", US, Type::Text, 0, 0, "disable|weak|strong", "disable", 0},
    {"gain_master", US, Type::Integer, 0, 100, nullptr, nullptr, 0},
    {"gain_master", L, Type::Real, 1.0, 101.0, nullptr, nullptr, 1.0},
    {"gamma", UL, Type::Real, 0.01, 10.0, nullptr, nullptr, 1.0},
    {"flip_horizontal", US, Type::Text, 0, 0, "true|false", "false", 0},
    {"flip_vertical", US, Type::Text, 0, 0, "true|false", "false", 0},
    {"color_conversion", U, Type::Text, 0, 0, "none|2x2|3x3|5x5", "none", 0},
    {"color_correction", U, Type::Text, 0, 0, "enable|disable", "disable", 0},
    {"bad_pixel_correction", U, Type::Text, 0, 0, "enable|disable", "disable", 0},
    {"white_balance", UL, Type::Text, 0, 0, "disable|auto|auto_once|user", "disable", 0},
    {"gain_r", UL, Type::Integer, 0, 100, nullptr, nullptr, 0},
    {"gain_g", UL, Type::Integer, 0, 100, nullptr, nullptr, 0},
    {"gain_b", UL, Type::Integer, 0, 100, nullptr, nullptr, 0},
    {"continuous_grabbing", US, Type::Text, 0, 0, "enable|disable", "disable", 0},
    {"trigger_signal", U, Type::Text, 0, 0, "falling|rising|software", "software", 0},
    {"external_trigger", All, Type::Text, 0, 0, "true|false", "false", 0},
    {"trigger_delay", US, Type::Integer, 0, 5000000, nullptr, nullptr, 0},
    {"exposure_delay", L, Type::Real, 0, 5000, nullptr, nullptr, 0},
    {"strobe_mode", US, Type::Text, 0, 0, "enable|disable", "disable", 0},
    {"strobe", L, Type::Text, 0, 0, "enable|disable", "disable", 0},
    {"strobe_invert", US, Type::Text, 0, 0, "true|false", "false", 0},
    {"strobe_delay", US, Type::Integer, 0, 4000000, nullptr, nullptr, 0},
    {"strobe_delay", L, Type::Real, 0, 4000, nullptr, nullptr, 0},
    {"strobe_duration", US, Type::Integer, 0, 4000000, nullptr, nullptr, 0},
    {"strobe_duration", L, Type::Real, 0, 4000, nullptr, nullptr, 0},
    {"digital_io_direction", All, Type::Integer, 0, 3, nullptr, nullptr, 0},
    {"digital_io_port", All, Type::Integer, 0, 3, nullptr, nullptr, 0},
    {"digital_output", All, Type::Integer, 0, 1, nullptr, nullptr, 0},
};

constexpr size_t kEepromLength = 64;

// Sensor timing by kind: pixel clock range (MHz), frames per second per MHz, top frame rate.
struct Timing
{
    double pixelClockMinimum;
    double pixelClockMaximum;
    double pixelClockInitial;
    double framesPerMegahertz;
    double frameRateMaximum;
};

Timing timingOf(SimulatedKind kind)
{
    switch (kind) {
    case SimulatedKind::UEye:
        return {5, 43, 24, 2.0, 50.0};
    case SimulatedKind::UEyeSmall:
        return {10, 40, 20, 1.0, 30.0};
    case SimulatedKind::LuCam:
        break;
    }
    return {0, 0, 0, 0, 40.0};
}

constexpr double kFrameRateMinimum = 0.5;
constexpr double kExposureMinimum = 0.01;

const Spec *findSpec(const std::string &name, SimulatedKind kind)
{
    for (const Spec &spec : kSpecs) {
        if ((spec.kinds & bitOf(kind)) && name == spec.name)
            return &spec;
    }
    return nullptr;
}

bool isChoice(const char *choices, const std::string &text)
{
    const char *p = choices;
    while (*p) {
        const char *end = std::strchr(p, '|');
        const size_t length = end ? size_t(end - p) : std::strlen(p);
        if (text.size() == length && text.compare(0, length, p, length) == 0)
            return true;
        if (!end)
            break;
        p = end + 1;
    }
    return false;
}

// The single number of a value tuple, or why not.
Herror numberOf(const HTuple &value, bool integer, double *number)
{
    if (value.Length() != 1)
        return kErrWrongCount3;
    if (!value[0].IsNumber())
        return kErrWrongType3;
    const double d = value[0].D();
    if (!std::isfinite(d))
        return kErrWrongValue3;
    if (integer && value[0].IsReal() && d != std::floor(d))
        return kErrWrongType3;
    *number = d;
    return kSuccess;
}

} // namespace

SimulatedKind SimulatedParameters::kindOf(const std::string &interfaceName, const std::string &model)
{
    if (interfaceName == "LuCam")
        return SimulatedKind::LuCam;
    return model.rfind("XS", 0) == 0 ? SimulatedKind::UEyeSmall : SimulatedKind::UEye;
}

SimulatedParameters::SimulatedParameters(SimulatedKind kind, const std::string &model, bool hasEeprom,
                                         const std::string &eeprom, const std::string &revision)
    : m_kind(kind)
    , m_model(model)
    , m_hasEeprom(hasEeprom && kind != SimulatedKind::LuCam)
    , m_eeprom(eeprom.substr(0, kEepromLength))
    , m_revision(revision)
{
    for (const Spec &spec : kSpecs) {
        if (!(spec.kinds & bitOf(kind)))
            continue;
        if (spec.type == Type::Text)
            m_values[spec.name] = HTuple(spec.initialText);
        else if (spec.type == Type::Integer)
            m_values[spec.name] = HTuple(Hlong(spec.initialNumber));
        else
            m_values[spec.name] = HTuple(spec.initialNumber);
    }
    if (kind != SimulatedKind::LuCam)
        m_values["pixel_clock"] = HTuple(Hlong(timingOf(kind).pixelClockInitial));
    clampCoupled();
}

SimulatedParameters::Range SimulatedParameters::pixelClockRange() const
{
    const Timing t = timingOf(m_kind);
    return {t.pixelClockMinimum, t.pixelClockMaximum};
}

SimulatedParameters::Range SimulatedParameters::frameRateRange() const
{
    const Timing t = timingOf(m_kind);
    double maximum = t.frameRateMaximum;
    if (m_kind != SimulatedKind::LuCam)
        maximum = std::min(maximum, m_values.at("pixel_clock").D() * t.framesPerMegahertz);
    return {kFrameRateMinimum, maximum};
}

SimulatedParameters::Range SimulatedParameters::exposureRange() const
{
    return {kExposureMinimum, 1000.0 / frameRate()};
}

void SimulatedParameters::clampCoupled()
{
    const Range rates = frameRateRange();
    m_values["frame_rate"] = HTuple(std::clamp(m_values["frame_rate"].D(), rates.minimum, rates.maximum));
    const Range exposures = exposureRange();
    m_values["exposure"] = HTuple(std::clamp(m_values["exposure"].D(), exposures.minimum, exposures.maximum));
}

Herror SimulatedParameters::set(const std::string &name, const HTuple &value)
{
    if (name == "eeprom_content") {
        if (!m_hasEeprom)
            return kErrUnknownParameter;
        if (value.Length() != 1)
            return kErrWrongCount3;
        if (!value[0].IsString())
            return kErrWrongType3;
        if (value[0].Str().size() > kEepromLength)
            return kErrWrongValue3;
        m_eeprom = value[0].Str();
        return kSuccess;
    }
    const Spec *spec = findSpec(name, m_kind);
    if (!spec)
        return kErrUnknownParameter;
    if (spec->type == Type::Text) {
        if (value.Length() != 1)
            return kErrWrongCount3;
        if (!value[0].IsString())
            return kErrWrongType3;
        if (!isChoice(spec->choices, value[0].Str()))
            return kErrWrongValue3;
        m_values[name] = value;
        return kSuccess;
    }
    double number = 0.0;
    const bool integer = spec->type == Type::Integer || name == "pixel_clock";
    if (Herror e = numberOf(value, integer, &number); e != kSuccess)
        return e;
    if (spec->type == Type::Coupled) {
        if (name == "pixel_clock") {
            const Range range = pixelClockRange();
            if (number < range.minimum || number > range.maximum)
                return kErrWrongValue3;
            m_values[name] = HTuple(Hlong(number));
        } else {
            // A driver adapts exposure and frame rate to what the sensor can do now.
            if (number <= 0.0)
                return kErrWrongValue3;
            m_values[name] = HTuple(number);
        }
        clampCoupled();
        return kSuccess;
    }
    if (number < spec->minimum || number > spec->maximum)
        return kErrWrongValue3;
    m_values[name] = spec->type == Type::Integer ? HTuple(Hlong(number)) : HTuple(number);
    return kSuccess;
}

Herror SimulatedParameters::get(const std::string &name, HTuple *value) const
{
    HTuple result;
    if (name == "exposure_range") {
        const Range r = exposureRange();
        result = HTuple(std::vector<double>{r.minimum, r.maximum});
    } else if (name == "frame_rate_range") {
        const Range r = frameRateRange();
        result = HTuple(std::vector<double>{r.minimum, r.maximum});
    } else if (name == "pixel_clock_range" && m_kind != SimulatedKind::LuCam) {
        const Range r = pixelClockRange();
        result = HTuple(std::vector<Hlong>{Hlong(r.minimum), Hlong(r.maximum)});
    } else if (name == "camera_type") {
        result = HTuple(m_model);
    } else if (name == "revision") {
        result = HTuple(m_revision);
    } else if (name == "eeprom_content") {
        if (!m_hasEeprom)
            return kErrUnknownParameter;
        result = HTuple(m_eeprom);
    } else {
        const auto it = findSpec(name, m_kind) ? m_values.find(name) : m_values.end();
        if (it == m_values.end())
            return kErrUnknownParameter;
        result = it->second;
    }
    if (value)
        *value = std::move(result);
    return kSuccess;
}

double SimulatedParameters::frameRate() const
{
    return m_values.at("frame_rate").D();
}

Hlong SimulatedParameters::grabTimeoutMs() const
{
    return m_values.at("grab_timeout").L();
}

bool SimulatedParameters::externalTrigger() const
{
    return m_values.at("external_trigger").S() == "true";
}

bool SimulatedParameters::waitsForEdge() const
{
    if (!externalTrigger())
        return false;
    const auto it = m_values.find("trigger_signal");
    return it == m_values.end() || it->second.S() != "software";
}

int SimulatedParameters::integer(const std::string &name) const
{
    const auto it = m_values.find(name);
    return it == m_values.end() ? 0 : it->second.I();
}

bool SimulatedParameters::isOn(const std::string &name) const
{
    const auto it = m_values.find(name);
    return it != m_values.end() && (it->second.S() == "true" || it->second.S() == "enable");
}

} // namespace Halcon::Detail
