#pragma once

#include <HTuple.h>
#include <HalconTypes.h>

#include <memory>

// One shape model of the vision layer, freed when its last holder lets go. The create
// and search workers share a model through it, so neither can free a model the other is
// still searching with.
class ModelMatchingShapeModel {
public:
    explicit ModelMatchingShapeModel(Halcon::Hlong handle) : m_handle(handle) {}
    ~ModelMatchingShapeModel();

    ModelMatchingShapeModel(const ModelMatchingShapeModel&) = delete;
    ModelMatchingShapeModel& operator=(const ModelMatchingShapeModel&) = delete;

    Halcon::Hlong Id() const { return m_handle; }
    Halcon::HTuple Handle() const { return Halcon::HTuple(m_handle); }

private:
    Halcon::Hlong m_handle;
};

using ModelMatchingShapeModelPtr = std::shared_ptr<const ModelMatchingShapeModel>;
