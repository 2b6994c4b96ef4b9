#include "support/TestEnvironment.h"

#include "engine/QViTunesHandler.h"
#include "platform/PlaylistFile.h"

#include <gtest/gtest.h>

TEST(QViTunesHandler, AddsToTheNamedPlaylistCreatingItOnce) {
    TestEnvironment::reset();
    QViTunesHandler& handler = QViTunesHandler::shareInstance();
    EXPECT_EQ(&handler, &QViTunesHandler::shareInstance());
    EXPECT_FALSE(handler.getPlaylistNeedCreate(QStringLiteral("A"), false));
    EXPECT_TRUE(handler.transferMusicToLibrary(QStringLiteral("/m/1.mp3"), QStringLiteral("A")));
    EXPECT_TRUE(handler.transferMusicToLibrary(QStringLiteral("/m/2.mp3"), QStringLiteral("A")));
    // A playlist that does not exist yet is made, and the file goes there, not to A.
    EXPECT_TRUE(handler.transferMusicToLibrary(QStringLiteral("/m/3.mp3"), QStringLiteral("B")));
    EXPECT_EQ(PlaylistFile::entries(QStringLiteral("A")),
              (QStringList{QStringLiteral("/m/1.mp3"), QStringLiteral("/m/2.mp3")}));
    EXPECT_EQ(PlaylistFile::entries(QStringLiteral("B")), QStringList{QStringLiteral("/m/3.mp3")});
    EXPECT_TRUE(handler.getPlaylistNeedCreate(QStringLiteral("A"), false));
}
