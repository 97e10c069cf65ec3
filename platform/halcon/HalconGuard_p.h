#pragma once

// Layer-private: the edge where exceptions from OpenCV and the standard library become
// failure numbers, so none ever leaves an operator.

#include "HalconErrors.h"

#include <opencv2/core.hpp>

#include <new>
#include <stdexcept>

namespace Halcon {

// Runs `body` (returning Herror) and turns anything it throws into a failure number.
template<class Body>
Herror guarded(Body &&body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return kErrOutOfMemory;
    } catch (const cv::Exception &e) {
        return e.code == cv::Error::StsNoMem ? kErrOutOfMemory : kErrInternal;
    } catch (const std::length_error &) {
        return kErrOutOfMemory;
    } catch (...) {
        return kErrInternal;
    }
}

} // namespace Halcon
