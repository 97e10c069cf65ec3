#pragma once

class QIODevice;

// The structure of an existing ZIP archive, checked before Zip_Helper extends it: a reader
// that tolerates damage (a wrong entry count, a shifted directory, bytes after the end record)
// would let entries be lost or overwritten when the archive is written again.
class Zip_Helper_Directory {
public:
    // True when the device holds one single-disk ZIP archive and nothing else: the end record
    // (with its zip64 form where present) closes the file, the central directory ends where
    // the end records start, and it holds exactly the counted entries, each pointing before it.
    static bool isSound(QIODevice& device);
};
