#include "HTuple.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace Halcon {

namespace {
const HValue kNoValue;
const std::string kNoString;
} // namespace

Hlong HValue::L() const
{
    switch (m_value.index()) {
    case 0:
        return std::get<0>(m_value);
    case 1: {
        const double d = std::get<1>(m_value);
        // Out-of-range and NaN reals would be undefined behaviour in a plain cast.
        if (!(d == d))
            return 0;
        if (d >= 9.2233720368547758e18)
            return std::numeric_limits<Hlong>::max();
        if (d <= -9.2233720368547758e18)
            return std::numeric_limits<Hlong>::min();
        return Hlong(d);
    }
    default:
        return 0;
    }
}

double HValue::D() const
{
    switch (m_value.index()) {
    case 0:
        return double(std::get<0>(m_value));
    case 1:
        return std::get<1>(m_value);
    default:
        return 0.0;
    }
}

std::string HValue::S() const
{
    char buffer[64];
    switch (m_value.index()) {
    case 0: {
        auto r = std::to_chars(buffer, buffer + sizeof buffer, std::get<0>(m_value));
        return std::string(buffer, r.ptr);
    }
    case 1: {
        auto r = std::to_chars(buffer, buffer + sizeof buffer, std::get<1>(m_value));
        return std::string(buffer, r.ptr);
    }
    default:
        return std::get<2>(m_value);
    }
}

const std::string &HValue::Str() const
{
    return m_value.index() == 2 ? std::get<2>(m_value) : kNoString;
}

HTuple::HTuple(const std::vector<double> &values)
{
    m_values.reserve(values.size());
    for (double v : values)
        m_values.emplace_back(v);
}

HTuple::HTuple(const std::vector<Hlong> &values)
{
    m_values.reserve(values.size());
    for (Hlong v : values)
        m_values.emplace_back(static_cast<long long>(v));
}

const HValue &HTuple::operator[](Hlong index) const
{
    if (index < 0 || index >= Hlong(m_values.size()))
        return kNoValue;
    return m_values[size_t(index)];
}

HValue &HTuple::operator[](Hlong index)
{
    if (index < 0)
        index = 0;
    if (index >= Hlong(m_values.size()))
        m_values.resize(size_t(index) + 1);
    return m_values[size_t(index)];
}

HTuple &HTuple::Append(const HTuple &other)
{
    if (&other == this) {
        const std::vector<HValue> copy = m_values;
        m_values.insert(m_values.end(), copy.begin(), copy.end());
    } else {
        m_values.insert(m_values.end(), other.m_values.begin(), other.m_values.end());
    }
    return *this;
}

HTuple &HTuple::Append(const HValue &value)
{
    m_values.push_back(value);
    return *this;
}

std::vector<double> HTuple::ToDVector() const
{
    std::vector<double> out;
    out.reserve(m_values.size());
    for (const HValue &v : m_values)
        out.push_back(v.D());
    return out;
}

std::vector<Hlong> HTuple::ToLVector() const
{
    std::vector<Hlong> out;
    out.reserve(m_values.size());
    for (const HValue &v : m_values)
        out.push_back(v.L());
    return out;
}

} // namespace Halcon
