#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

// Covers that are hard to decode, for the benchmarks of the views that show them, and the
// small tools those benchmarks time them with.
class BenchCovers {
public:
    static constexpr int kPngSide = 6000;
    static constexpr int kPngCovers = 3;
    static constexpr int kClaimCovers = 6;

    // A photo-like PNG of side x side pixels: gradients with noise in the low bits, so it
    // neither compresses to nothing nor decodes faster than a real one. Each variant differs
    // in its noise. Kept in folder between runs.
    static QByteArray photoPng(const QString& folder, int variant, int side);
    // A JPEG of a few hundred bytes whose frame header claims 8190 x 8190 pixels.
    static QByteArray claimJpeg(int variant);
    // kPngCovers such PNGs of kPngSide and kClaimCovers such JPEGs, taking turns while both
    // last.
    static std::vector<QByteArray> hardCovers(const QString& folder);

    // Runs the event loop until done() holds.
    static void waitUntil(const std::function<bool()>& done);
    static double millisecondsOf(const std::function<void()>& work);
};
