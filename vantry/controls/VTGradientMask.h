#pragma once

// What a gradient view, or the image area of a colour button cell, draws.
enum VTGradientMask : int {
    VTGradientMaskColorsAngle90 = 1,
    VTGradientMaskColorsAngleMinus90 = 2,
    VTGradientMaskImagesHorizontal = 3,
    VTGradientMaskImagesVertical = 4,
    VTGradientMaskImagesAlternate = 5,
};
