#pragma once

#include "HalconTypes.h"

#include <QMetaType>

#include <cstdint>
#include <span>

#include <string>
#include <variant>
#include <vector>

namespace Halcon {

// One control value: a 64-bit integer, a real or a string.
class HValue
{
public:
    enum class Type { Integer, Real, String };

    HValue() : m_value(Hlong(0)) {}
    HValue(int value) : m_value(Hlong(value)) {}
    HValue(long value) : m_value(Hlong(value)) {}
    HValue(long long value) : m_value(Hlong(value)) {}
    HValue(double value) : m_value(value) {}
    HValue(const char *value) : m_value(std::string(value ? value : "")) {}
    HValue(const std::string &value) : m_value(value) {}
    HValue(std::string &&value) : m_value(std::move(value)) {}

    Type ValueType() const { return Type(m_value.index()); }
    bool IsInteger() const { return m_value.index() == 0; }
    bool IsReal() const { return m_value.index() == 1; }
    bool IsNumber() const { return m_value.index() != 2; }
    bool IsString() const { return m_value.index() == 2; }

    // Numbers convert into each other (reals truncate toward zero); a string reads as 0.
    int I() const { return int(L()); }
    Hlong L() const;
    double D() const;
    // A number gives its decimal text; reals keep all significant digits.
    std::string S() const;
    // The string itself (empty for numbers), without a copy.
    const std::string &Str() const;

    bool operator==(const HValue &other) const { return m_value == other.m_value; }

private:
    std::variant<Hlong, double, std::string> m_value;
};

// A vector of control values. Matrices are tuples of 6 reals (row-major 2x3),
// handles are tuples of one integer. A single value is held in the tuple itself: operators
// take and give most of their parameters one value at a time, on every thread at once.
class HTuple
{
public:
    HTuple() = default;
    HTuple(int value) : m_one(value), m_count(1) {}
    HTuple(long value) : m_one(value), m_count(1) {}
    HTuple(long long value) : m_one(value), m_count(1) {}
    HTuple(double value) : m_one(value), m_count(1) {}
    HTuple(const char *value) : m_one(value), m_count(1) {}
    HTuple(const std::string &value) : m_one(value), m_count(1) {}
    HTuple(const HValue &value) : m_one(value), m_count(1) {}
    HTuple(std::vector<HValue> values);
    HTuple(const std::vector<double> &values);
    HTuple(const std::vector<Hlong> &values);

    Hlong Length() const { return Hlong(size()); }
    bool IsEmpty() const { return size() == 0; }

    // Reading past the end gives an integer 0 instead of undefined behaviour;
    // writing past the end grows the tuple with integer zeros.
    const HValue &operator[](Hlong index) const;
    HValue &operator[](Hlong index);

    // Conversions of the first value (0, 0.0 or "" when the tuple is empty).
    int I() const { return (*this)[0].I(); }
    Hlong L() const { return (*this)[0].L(); }
    double D() const { return (*this)[0].D(); }
    std::string S() const { return IsEmpty() ? std::string() : (*this)[0].S(); }

    HTuple &Append(const HTuple &other);
    HTuple &Append(const HValue &value);
    void Clear();
    void Reserve(Hlong count);

    // All values as reals / integers (strings read as 0).
    std::vector<double> ToDVector() const;
    std::vector<Hlong> ToLVector() const;
    std::span<const HValue> Values() const { return {data(), size()}; }

    bool operator==(const HTuple &other) const;

private:
    size_t size() const { return m_spilled ? m_many.size() : m_count; }
    const HValue *data() const { return m_spilled ? m_many.data() : &m_one; }
    HValue *data() { return m_spilled ? m_many.data() : &m_one; }
    // From here on every value lives in m_many.
    void spill();

    HValue m_one;              // the value while there is at most one and nothing spilled
    std::vector<HValue> m_many; // every value once spilled
    std::uint8_t m_count = 0;  // values in m_one: 0 or 1
    bool m_spilled = false;
};

} // namespace Halcon

Q_DECLARE_METATYPE(Halcon::HTuple)
