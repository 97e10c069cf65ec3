#include "HalconObjectOps.h"

#include "HalconGuard_p.h"
#include "HobjectElements_p.h"

namespace Halcon {

namespace {

const char *className(ElementKind kind)
{
    switch (kind) {
    case ElementKind::Image:
        return "image";
    case ElementKind::Region:
        return "region";
    case ElementKind::XldCont:
        return "xld_cont";
    case ElementKind::XldPoly:
        return "xld_poly";
    }
    return "";
}

} // namespace

Herror gen_empty_obj(Hobject *emptyObject)
{
    if (emptyObject)
        *emptyObject = Hobject();
    return kSuccess;
}

Herror count_obj(const Hobject &objects, Hlong *number)
{
    if (number)
        *number = objects.CountObj();
    return kSuccess;
}

Herror count_obj(const Hobject &objects, HTuple *number)
{
    return guarded([&]() -> Herror {
        if (number)
            *number = HTuple(objects.CountObj());
        return kSuccess;
    });
}

Herror get_obj_class(const Hobject &object, HTuple *classNames)
{
    return guarded([&]() -> Herror {
        HTuple result;
        const auto &elements = elementsOf(object);
        result.Reserve(Hlong(elements.size()));
        for (const ElementPtr &e : elements)
            result.Append(HValue(className(e->kind)));
        if (classNames)
            *classNames = std::move(result);
        return kSuccess;
    });
}

Herror copy_obj(const Hobject &objects, Hobject *objectsSelected, const HTuple &index, const HTuple &numObj)
{
    return guarded([&]() -> Herror {
        Hlong first = 0;
        Hlong count = 0;
        if (Herror e = singleInteger(index, 1, &first); e != kSuccess)
            return e;
        if (Herror e = singleInteger(numObj, 2, &count); e != kSuccess)
            return e;
        const auto &elements = elementsOf(objects);
        const Hlong total = Hlong(elements.size());
        if (first < 1 || first > total)
            return wrongValue(1);
        if (count == -1)
            count = total - first + 1;
        if (count < 0 || count > total - first + 1)
            return wrongValue(2);
        std::vector<ElementPtr> selected(elements.begin() + (first - 1), elements.begin() + (first - 1 + count));
        if (objectsSelected)
            *objectsSelected = makeObject(std::move(selected));
        return kSuccess;
    });
}

Herror select_obj(const Hobject &objects, Hobject *objectSelected, const HTuple &index)
{
    return guarded([&]() -> Herror {
        const auto &elements = elementsOf(objects);
        const Hlong total = Hlong(elements.size());
        if (index.Length() == 0)
            return wrongCount(1);
        std::vector<ElementPtr> selected;
        selected.reserve(size_t(index.Length()));
        for (const HValue &v : index.Values()) {
            if (!v.IsInteger() && !(v.IsReal() && v.D() == double(v.L())))
                return wrongType(1);
            const Hlong i = v.L();
            if (i < 1 || i > total)
                return wrongValue(1);
            selected.push_back(elements[size_t(i - 1)]);
        }
        if (objectSelected)
            *objectSelected = makeObject(std::move(selected));
        return kSuccess;
    });
}

Herror concat_obj(const Hobject &objects1, const Hobject &objects2, Hobject *objectsConcat)
{
    return guarded([&]() -> Herror {
        const auto &a = elementsOf(objects1);
        const auto &b = elementsOf(objects2);
        if (!objectsConcat)
            return kSuccess;
        // Sharing the list when one side is empty keeps concatenation in loops cheap.
        if (b.empty()) {
            *objectsConcat = objects1;
            return kSuccess;
        }
        if (a.empty()) {
            *objectsConcat = objects2;
            return kSuccess;
        }
        std::vector<ElementPtr> all;
        all.reserve(a.size() + b.size());
        all.insert(all.end(), a.begin(), a.end());
        all.insert(all.end(), b.begin(), b.end());
        *objectsConcat = makeObject(std::move(all));
        return kSuccess;
    });
}

Herror copy_image(const Hobject &image, Hobject *dupImage)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (Herror e = imagesOf(image, 1, images); e != kSuccess)
            return e;
        std::vector<ElementPtr> copies;
        copies.reserve(images.size());
        for (const ImagePtr &source : images) {
            std::vector<cv::Mat> planes;
            planes.reserve(source->planes.size());
            for (const cv::Mat &p : source->planes)
                planes.push_back(p.clone());
            ImagePtr copy = makeImage(std::move(planes), source->domain);
            if (!copy)
                return kErrInternal;
            copies.push_back(std::move(copy));
        }
        if (dupImage)
            *dupImage = makeObject(std::move(copies));
        return kSuccess;
    });
}

} // namespace Halcon
