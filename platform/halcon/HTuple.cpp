#include "HTuple.h"

#include <algorithm>
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

HTuple::HTuple(std::vector<HValue> values)
{
    if (values.size() == 1) {
        m_one = std::move(values.front());
        m_count = 1;
        return;
    }
    m_many = std::move(values);
    m_spilled = !m_many.empty();
}

HTuple::HTuple(const std::vector<double> &values)
{
    Reserve(Hlong(values.size()));
    for (double v : values)
        Append(HValue(v));
}

HTuple::HTuple(const std::vector<Hlong> &values)
{
    Reserve(Hlong(values.size()));
    for (Hlong v : values)
        Append(HValue(static_cast<long long>(v)));
}

void HTuple::spill()
{
    if (m_spilled)
        return;
    if (m_count == 1)
        m_many.push_back(std::move(m_one));
    m_one = HValue();
    m_count = 0;
    m_spilled = true;
}

const HValue &HTuple::operator[](Hlong index) const
{
    if (index < 0 || index >= Hlong(size()))
        return kNoValue;
    return data()[size_t(index)];
}

HValue &HTuple::operator[](Hlong index)
{
    if (index < 0)
        index = 0;
    if (index >= Hlong(size())) {
        if (index == 0 && !m_spilled) {
            m_one = HValue();
            m_count = 1;
        } else {
            spill();
            m_many.resize(size_t(index) + 1);
        }
    }
    return data()[size_t(index)];
}

HTuple &HTuple::Append(const HTuple &other)
{
    if (&other == this) {
        const HTuple copy = other;
        return Append(copy);
    }
    if (other.IsEmpty())
        return *this;
    if (IsEmpty() && !m_spilled && other.size() == 1) {
        m_one = other.Values().front();
        m_count = 1;
        return *this;
    }
    spill();
    const std::span<const HValue> values = other.Values();
    m_many.insert(m_many.end(), values.begin(), values.end());
    return *this;
}

HTuple &HTuple::Append(const HValue &value)
{
    if (&value == &m_one) { // moved away by spill() below
        const HValue copy = value;
        return Append(copy);
    }
    if (IsEmpty() && !m_spilled) {
        m_one = value;
        m_count = 1;
        return *this;
    }
    spill();
    m_many.push_back(value);
    return *this;
}

void HTuple::Clear()
{
    m_one = HValue();
    m_count = 0;
    m_many.clear();
    m_spilled = false;
}

void HTuple::Reserve(Hlong count)
{
    if (count > 1) {
        spill();
        m_many.reserve(size_t(count));
    }
}

bool HTuple::operator==(const HTuple &other) const
{
    const std::span<const HValue> a = Values();
    const std::span<const HValue> b = other.Values();
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

std::vector<double> HTuple::ToDVector() const
{
    std::vector<double> out;
    out.reserve(size());
    for (const HValue &v : Values())
        out.push_back(v.D());
    return out;
}

std::vector<Hlong> HTuple::ToLVector() const
{
    std::vector<Hlong> out;
    out.reserve(size());
    for (const HValue &v : Values())
        out.push_back(v.L());
    return out;
}

} // namespace Halcon
