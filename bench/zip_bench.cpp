// Appending to an export archive: the old entries are verified (decompressed, checksums
// compared) and copied as they are stored before the new one is added. Baseline: the bytes of
// the old archive copied as a file, and a new archive made of the added entry alone.

#include "BenchSupport.h"
#include "Zip_Helper.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

namespace {

// Picture-like entries: PNG data hardly compresses.
QByteArray entryBytes(int size, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(random() >> 24);
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("existing.zip"));
    const QString target = dir.filePath(QStringLiteral("target.zip"));
    const QString single = dir.filePath(QStringLiteral("single.zip"));
    constexpr int kEntries = 8;
    constexpr int kEntrySize = 2 * 1024 * 1024;
    {
        Zip_Helper zip;
        zip.Open(existing, false);
        for (int i = 0; i < kEntries; ++i)
            zip.AddData(QStringLiteral("rack_%1/picture.png").arg(i), entryBytes(kEntrySize, unsigned(i)));
        if (zip.Close() != 0) {
            std::fprintf(stderr, "cannot write the archive\n");
            return 1;
        }
    }
    const QByteArray added = entryBytes(kEntrySize, 99);

    BenchSupport::compare(
        "zip.append_16MB_archive",
        [&] {
            QFile::remove(target);
            QFile::copy(existing, target);
            Zip_Helper zip;
            zip.Open(target, true);
            zip.AddData(QStringLiteral("rack_new/picture.png"), added);
            zip.Close();
        },
        [&] {
            QFile::remove(target);
            QFile::remove(single);
            QFile::copy(existing, target);
            Zip_Helper zip;
            zip.Open(single, false);
            zip.AddData(QStringLiteral("rack_new/picture.png"), added);
            zip.Close();
        },
        9);
    return 0;
}
