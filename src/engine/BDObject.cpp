#include "engine/BDObject.h"

#include <atomic>

BDObject::BDObject() : _discreteProgress(std::make_shared<BDProgressIndicator>()) {}

BDObject::BDObject(const BDObject& other) : _discreteProgress(other.discreteProgress()) {}

BDObject::~BDObject() = default;

std::shared_ptr<BDProgressIndicator> BDObject::discreteProgress() const {
    return std::atomic_load(&_discreteProgress);
}

void BDObject::setDiscreteProgress(std::shared_ptr<BDProgressIndicator> indicator) {
    std::atomic_store(&_discreteProgress, std::move(indicator));
}
