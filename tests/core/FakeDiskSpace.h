#pragma once

#include <Errors.h>

#include <QString>

#include <atomic>

// A disk-space query the picture savers can be handed instead of the real disk.
namespace FakeDiskSpace {

// Free space the seam reports, in MB; below zero makes the query itself fail.
inline std::atomic<double> freeMB{1.0e6};
// Space left to this process (free less the blocks kept for root), in MB; below zero: the
// same as freeMB.
inline std::atomic<double> availableMB{-1.0};

inline Errors::Type_Error query(const QString&, double& totalMB, double& freeSpaceMB, double& availableSpaceMB)
{
    totalMB = 0.0;
    freeSpaceMB = 0.0;
    availableSpaceMB = 0.0;
    const double free = freeMB.load();
    if (free < 0.0)
        return 50;
    totalMB = 2.0e6;
    freeSpaceMB = free;
    const double available = availableMB.load();
    availableSpaceMB = available < 0.0 ? free : available;
    return 0;
}

} // namespace FakeDiskSpace
