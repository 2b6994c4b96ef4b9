#pragma once

#include <QByteArray>

// One copy of each cover picture read from files, shared by every row that carries it: the
// tracks of an album usually embed the same picture, so a library keeps one copy per album
// rather than per track. Covers no row holds any more are let go as new ones arrive. Any
// thread may call it.
class MTECoverCache {
public:
    // The held copy of bytes equal to these, or these bytes, now held.
    static QByteArray sharedCover(const QByteArray& bytes);
};
