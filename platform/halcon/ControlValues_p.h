#pragma once

// Layer-private: reading tuples of numbers for the XLD, geometry and system operators.
// Point-wise operators take parameters that hold either one value or as many values as
// the longest one; these helpers check that once so the loops can index freely.

#include "HTuple.h"
#include "HalconErrors.h"

#include <initializer_list>
#include <vector>

namespace Halcon::ControlValues {

// All values of the tuple as finite reals; a text gives wrongType(parameter), a NaN or
// infinity wrongValue(parameter).
Herror numbers(const HTuple &tuple, int parameter, std::vector<double> *values);

// One finite real.
Herror number(const HTuple &tuple, int parameter, double *value);

// The common length of parameters that hold 1 or N values each (N >= 1). Every entry is
// (length, parameter number). A parameter of another length gives wrongCount(parameter).
// With allowEmpty, all of them empty gives 0.
struct Length
{
    Hlong length;
    int parameter;
};
Herror commonLength(std::initializer_list<Length> lengths, bool allowEmpty, Hlong *count);

// The i-th value of a parameter read by numbers() and checked by commonLength().
inline double at(const std::vector<double> &values, Hlong i)
{
    return values.size() == 1 ? values[0] : values[size_t(i)];
}

// A matrix tuple of six reals [a b c d e f]: row' = a row + b col + c, col' = d row + e col + f.
Herror matrix(const HTuple &tuple, int parameter, double m[6]);
HTuple matrixTuple(const double m[6]);

} // namespace Halcon::ControlValues
