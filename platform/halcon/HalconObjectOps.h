#pragma once

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

namespace Halcon {

// Object management. Indices are 1-based. Outputs are set only on success.

Herror gen_empty_obj(Hobject *emptyObject);
Herror count_obj(const Hobject &objects, Hlong *number);
Herror count_obj(const Hobject &objects, HTuple *number);
// One class name per element: "image", "region", "xld_cont" or "xld_poly".
Herror get_obj_class(const Hobject &object, HTuple *className);
// numObj elements from index on; numObj -1 takes all up to the end.
Herror copy_obj(const Hobject &objects, Hobject *objectsSelected, const HTuple &index, const HTuple &numObj);
// The elements at the given indices (a tuple of indices), in that order.
Herror select_obj(const Hobject &objects, Hobject *objectSelected, const HTuple &index);
// Elements of both in order; either may be empty.
Herror concat_obj(const Hobject &objects1, const Hobject &objects2, Hobject *objectsConcat);
// Images with their own copy of the pixels (and the same domain).
Herror copy_image(const Hobject &image, Hobject *dupImage);

} // namespace Halcon
