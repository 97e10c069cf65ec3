#include "Hobject.h"

#include "HTuple.h"
#include "HobjectElements_p.h"

namespace Halcon {

namespace {
const std::vector<ElementPtr> kNoElements;
} // namespace

Hlong Hobject::CountObj() const
{
    return m_elements ? Hlong(m_elements->size()) : 0;
}

const void *Hobject::ElementId(Hlong index) const
{
    if (!m_elements || index < 1 || index > Hlong(m_elements->size()))
        return nullptr;
    return (*m_elements)[size_t(index - 1)].get();
}

bool Hobject::SharesElementsWith(const Hobject &other) const
{
    const auto &a = HobjectAccess::elements(*this);
    const auto &b = HobjectAccess::elements(other);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

const std::vector<ElementPtr> &HobjectAccess::elements(const Hobject &object)
{
    return object.m_elements ? *object.m_elements : kNoElements;
}

Hobject HobjectAccess::make(std::vector<ElementPtr> elements)
{
    if (elements.empty())
        return Hobject();
    return Hobject(std::make_shared<const Hobject::ElementList>(std::move(elements)));
}

void registerHalconMetaTypes()
{
    qRegisterMetaType<Halcon::Hobject>("Halcon::Hobject");
    qRegisterMetaType<Halcon::HTuple>("Halcon::HTuple");
}

} // namespace Halcon
