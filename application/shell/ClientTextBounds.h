#pragma once

#include "DatabaseTableSupport.h"

#include <QString>

// A client's text that the database would refuse is refused before any work, with 104, and not
// with the statement error after the waits and writes that led up to it.
namespace ClientTextBounds {

// A barcode that is stored: barcodes are indexed, so the database keeps them short.
inline bool fitsBarcode(const QString& text)
{
    return text.size() <= DatabaseTableSupport::MaxIndexedTextLength;
}

// A description that is stored, or a barcode or name that is searched for.
inline bool fitsText(const QString& text)
{
    return text.size() <= DatabaseTableSupport::MaxTextLength;
}

} // namespace ClientTextBounds
