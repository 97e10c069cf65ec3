#include "HalconChannelOps.h"

#include "HalconGuard_p.h"
#include "HobjectElements_p.h"
#include "PlaneCache_p.h"
#include "RegionRuns_p.h"

#include <opencv2/core.hpp>

#include <limits>

namespace Halcon {

Herror channels_to_image(const Hobject &images, Hobject *multiChannelImage)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> inputs;
        if (Herror e = imagesOf(images, 1, inputs); e != kSuccess)
            return e;
        const ImageElement &first = *inputs.front();
        std::vector<cv::Mat> planes;
        planes.reserve(inputs.size());
        RegionPtr domain;
        bool fullDomain = true;
        Detail::Runs domainRuns;
        for (const ImagePtr &image : inputs) {
            if (image->channels() != 1)
                return kErrWrongChannelCount;
            if (image->width != first.width || image->height != first.height)
                return kErrImageSizeMismatch;
            if (image->type != first.type)
                return kErrWrongPixelType;
            planes.push_back(image->planes.front());
            if (image->hasFullDomain())
                continue;
            domainRuns = fullDomain ? image->domain->runs : Detail::runsIntersection(domainRuns, image->domain->runs);
            fullDomain = false;
        }
        if (!fullDomain)
            domain = makeRegionSorted(std::move(domainRuns));
        ImagePtr result = makeImage(std::move(planes), std::move(domain));
        if (!result)
            return kErrInternal;
        if (multiChannelImage)
            *multiChannelImage = makeObject(ElementPtr(std::move(result)));
        return kSuccess;
    });
}

Herror mean_n(const Hobject &image, Hobject *imageMean)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> inputs;
        if (Herror e = imagesOf(image, 1, inputs); e != kSuccess)
            return e;
        std::vector<ElementPtr> means;
        means.reserve(inputs.size());
        for (const ImagePtr &input : inputs) {
            const int channels = input->channels();
            // Sums in 32 bits hold 65535 channels of the widest integer type; reals sum in
            // double so that many channels lose no precision.
            const bool real = input->type == PixelType::Real;
            if (!real && channels > std::numeric_limits<int>::max() / 65535)
                return kErrWrongChannelCount;
            cv::Mat sum(input->height, input->width, real ? CV_64F : CV_32S, cv::Scalar(0));
            for (const cv::Mat &plane : input->planes)
                cv::add(sum, plane, sum, cv::noArray(), sum.type());
            cv::Mat mean;
            Detail::useCache(mean);
            // convertTo rounds to nearest for integer targets.
            sum.convertTo(mean, cvDepthOf(input->type), 1.0 / channels);
            ImagePtr result = makeImage({mean}, input->domain);
            if (!result)
                return kErrInternal;
            means.push_back(std::move(result));
        }
        if (imageMean)
            *imageMean = makeObject(std::move(means));
        return kSuccess;
    });
}

Herror access_channel(const Hobject &multiChannelImage, Hobject *image, const HTuple &channel)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> inputs;
        if (Herror e = imagesOf(multiChannelImage, 1, inputs); e != kSuccess)
            return e;
        Hlong number = 0;
        if (Herror e = singleInteger(channel, 1, &number); e != kSuccess)
            return e;
        std::vector<ElementPtr> channels;
        channels.reserve(inputs.size());
        for (const ImagePtr &input : inputs) {
            if (number < 1 || number > input->channels())
                return kErrWrongValue1;
            ImagePtr result = makeImage({input->planes[size_t(number - 1)]}, input->domain);
            if (!result)
                return kErrInternal;
            channels.push_back(std::move(result));
        }
        if (image)
            *image = makeObject(std::move(channels));
        return kSuccess;
    });
}

} // namespace Halcon
