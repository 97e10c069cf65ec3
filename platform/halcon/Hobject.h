#pragma once

#include "HalconTypes.h"

#include <QMetaType>

#include <memory>
#include <vector>

namespace Halcon {

struct HElement;
class HobjectAccess;

// A handle to a tuple of iconic elements (images, regions, XLD contours and polygons).
// Elements are immutable and shared: copying a handle copies one pointer, never pixels,
// so handles travel through queued signals and may be read from several threads at once.
// A default-made handle is the empty object (no element).
class Hobject
{
public:
    Hobject() = default;

    // Number of elements; 0 for the empty object.
    Hlong CountObj() const;
    bool IsEmpty() const { return CountObj() == 0; }

    // Identity of element `index` (1-based), for tests that check sharing; nullptr when
    // out of range. Two handles share an element when these are equal.
    const void *ElementId(Hlong index) const;

    // True when both handles hold the very same elements in the same order.
    bool SharesElementsWith(const Hobject &other) const;

private:
    friend class HobjectAccess;
    using ElementList = std::vector<std::shared_ptr<const HElement>>;
    explicit Hobject(std::shared_ptr<const ElementList> elements) : m_elements(std::move(elements)) {}

    std::shared_ptr<const ElementList> m_elements;
};

// Registers Hobject and HTuple for queued signals and QVariant; safe to call repeatedly.
void registerHalconMetaTypes();

} // namespace Halcon

Q_DECLARE_METATYPE(Halcon::Hobject)
