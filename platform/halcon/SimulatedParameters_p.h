#pragma once

// Layer-private: the parameters of one simulated camera, by camera kind, with their ranges
// and their coupling: the pixel clock bounds the frame rate, the frame rate bounds the
// exposure. A value outside a range that a driver would adapt (exposure, frame rate) is
// brought into the range; any other value outside its range, of the wrong type, or a
// parameter the kind does not have is refused and changes nothing.

#include "HTuple.h"
#include "HalconTypes.h"

#include <map>
#include <string>

namespace Halcon::Detail {

enum class SimulatedKind { UEye, UEyeSmall, LuCam };

class SimulatedParameters
{
public:
    // The kind of a camera: "uEye" models beginning "XS" are the small kind.
    static SimulatedKind kindOf(const std::string &interfaceName, const std::string &model);

    SimulatedParameters(SimulatedKind kind, const std::string &model, bool hasEeprom, const std::string &eeprom,
                        const std::string &revision);

    SimulatedKind kind() const { return m_kind; }
    Herror set(const std::string &name, const HTuple &value);
    Herror get(const std::string &name, HTuple *value) const;

    // What the device needs for a grab.
    double frameRate() const;
    // -1 waits without limit.
    Hlong grabTimeoutMs() const;
    bool externalTrigger() const;
    // A grab waits for an edge on the trigger input (not for the software trigger).
    bool waitsForEdge() const;
    const std::string &eeprom() const { return m_eeprom; }
    int integer(const std::string &name) const;
    // A "true" or "enable" parameter; false for one the kind does not have.
    bool isOn(const std::string &name) const;

private:
    struct Range
    {
        double minimum;
        double maximum;
    };
    Range pixelClockRange() const;
    Range frameRateRange() const;
    Range exposureRange() const;
    void clampCoupled();

    SimulatedKind m_kind;
    std::string m_model;
    bool m_hasEeprom;
    std::string m_eeprom;
    std::string m_revision;
    std::map<std::string, HTuple> m_values;
};

} // namespace Halcon::Detail
