#pragma once

// Layer-private: where a simulated camera's pictures come from. A folder gives its picture
// files in name order, over and over; without a folder a plate picture of the sensor's
// size is generated once per process and size. Every picture is handed out in the colour
// space of the open ("gray": one channel, "rgb": three). Handing out shares pixels, it
// never copies them.

#include "HalconTypes.h"
#include "Hobject.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Halcon::Detail {

class SimulatedPictures
{
public:
    // folder empty: the generated picture. A folder without picture files fails with
    // kErrAcqDeviceNotFound.
    static Herror make(const std::string &folder, int width, int height, bool colour,
                       std::shared_ptr<SimulatedPictures> *pictures);

    // The next picture; a file that is no picture fails with kErrAcqGrabFailed and the
    // next call goes on with the file after it.
    Herror next(Hobject *picture);

private:
    SimulatedPictures(std::vector<std::string> files, Hobject generated, bool colour);
    Herror convert(const Hobject &picture, Hobject *converted) const;

    // Decoded folder pictures are kept up to this count, so a short sequence runs at the
    // camera's frame rate without reading files again.
    static constexpr size_t kKeptPictures = 16;

    std::mutex m_mutex;
    std::vector<std::string> m_files;
    std::vector<Hobject> m_kept;
    size_t m_next = 0;
    Hobject m_generated;
    bool m_colour;
};

} // namespace Halcon::Detail
