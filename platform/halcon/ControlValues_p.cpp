#include "ControlValues_p.h"

#include <algorithm>
#include <cmath>

namespace Halcon::ControlValues {

Herror numbers(const HTuple &tuple, int parameter, std::vector<double> *values)
{
    values->clear();
    values->reserve(size_t(tuple.Length()));
    for (const HValue &v : tuple.Values()) {
        if (!v.IsNumber())
            return wrongType(parameter);
        const double d = v.D();
        if (!std::isfinite(d))
            return wrongValue(parameter);
        values->push_back(d);
    }
    return kSuccess;
}

Herror number(const HTuple &tuple, int parameter, double *value)
{
    if (tuple.Length() != 1)
        return wrongCount(parameter);
    if (!tuple[0].IsNumber())
        return wrongType(parameter);
    const double d = tuple[0].D();
    if (!std::isfinite(d))
        return wrongValue(parameter);
    *value = d;
    return kSuccess;
}

Herror commonLength(std::initializer_list<Length> lengths, bool allowEmpty, Hlong *count)
{
    Hlong n = 0;
    for (const Length &l : lengths)
        n = std::max(n, l.length);
    if (n == 0) {
        if (!allowEmpty && lengths.size() > 0)
            return wrongCount(lengths.begin()->parameter);
        *count = 0;
        return kSuccess;
    }
    for (const Length &l : lengths) {
        if (l.length != 1 && l.length != n)
            return wrongCount(l.parameter);
    }
    *count = n;
    return kSuccess;
}

Herror matrix(const HTuple &tuple, int parameter, double m[6])
{
    if (tuple.Length() != 6)
        return wrongCount(parameter);
    for (int i = 0; i < 6; ++i) {
        if (!tuple[i].IsNumber())
            return wrongType(parameter);
        m[i] = tuple[i].D();
        if (!std::isfinite(m[i]))
            return wrongValue(parameter);
    }
    return kSuccess;
}

HTuple matrixTuple(const double m[6])
{
    return HTuple(std::vector<double>(m, m + 6));
}

} // namespace Halcon::ControlValues
