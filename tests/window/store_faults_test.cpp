// Faults around the data files at close: every save ends with the old file
// intact or the new one complete, and says so when it could not write.

#include "window_fixture.h"

#include <unistd.h>

using FileFaultTest = WindowTest;

TEST_F(FileFaultTest, FilesThatVanishedSinceTheStartAreWrittenAnew)
{
    ASSERT_TRUE(start());
    run(3.5);
    form->slotFrequency[2] = QStringLiteral("101.10");
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("config.dat"))));
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("Speicherplatz.txt"))));
    form->close();
    EXPECT_TRUE(messages().empty());
    const QList<QByteArray> slots = readFile(QStringLiteral("Speicherplatz.txt")).split('\n');
    ASSERT_EQ(slots.size(), 31);  // 30 lines, each ended
    EXPECT_EQ(slots[1], "\"101.10\"\r");
    EXPECT_EQ(readFile(QStringLiteral("config.dat")).count('\n'), 4);

    // And the next start reads them.
    form.reset();
    ASSERT_TRUE(start());
    EXPECT_EQ(form->slotFrequency[2], QStringLiteral("101.10"));
}

TEST_F(FileFaultTest, ReadOnlyDirectoryKeepsTheOldFilesAndTellsTheUser)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only directories";
    ASSERT_TRUE(start());
    const QByteArray config = readFile(QStringLiteral("config.dat"));
    const QByteArray slots = readFile(QStringLiteral("Speicherplatz.txt"));
    form->slotFrequency[2] = QStringLiteral("101.10");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    form->close();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readFile(QStringLiteral("config.dat")), config);
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), slots);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.contains(QStringLiteral("Speicherplatz.txt")));
}
