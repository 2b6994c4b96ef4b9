#include "VTStringTimeConvert.h"

double VTStringTimeConvert::convertToTimeInTerval(const QString&) {
    return 0.0;
}
