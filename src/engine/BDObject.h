#pragma once

#include "engine/BDProgressIndicator.h"

#include <memory>

// Base of a file-list row: owns the row's small progress bar, which copies share.
class BDObject {
public:
    BDObject();
    virtual ~BDObject();

    std::shared_ptr<BDProgressIndicator> discreteProgress() const;
    void setDiscreteProgress(std::shared_ptr<BDProgressIndicator> indicator);

protected:
    BDObject(const BDObject& other);

private:
    std::shared_ptr<BDProgressIndicator> _discreteProgress;
};
