// Faults around the data files at close: every save ends with the old file
// intact or the new one complete, and says so when it could not write.

#include "file_faults.h"
#include "platform/qt/quit_requests.h"
#include "window_fixture.h"

#include <QFileInfo>

#include <sys/stat.h>
#include <sys/wait.h>

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

TEST_F(FileFaultTest, ReadOnlyDirectoryWithWritableFilesSavesInPlace)
{
    startAndSettle();
    form->slotFrequency[2] = QStringLiteral("101.10");
    click(form->verkleinern);
    const auto shared = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup;
    QFile::setPermissions(path(QStringLiteral("Speicherplatz.txt")), shared);
    const auto permissions = QFile::permissions(path(QStringLiteral("Speicherplatz.txt")));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    {
        OrdinaryUser user(dir.path());
        form->close();
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(readFile(QStringLiteral("config.dat")).startsWith("1,1,,,,,,,,,,0,10\r\n"));
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")).split('\n')[1], "\"101.10\"\r");
    EXPECT_EQ(QFile::permissions(path(QStringLiteral("Speicherplatz.txt"))), permissions);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}

TEST_F(FileFaultTest, WithoutAPlaceForAJournalTheSaveStillHappensAndLeftoversGo)
{
    // What a save killed before its rename leaves beside the file.
    writeFile(QStringLiteral("Speicherplatz.txt.k3Xq9Z"), "\"88.00\"\r\n");
    writeFile(QStringLiteral("notes.txt.k3Xq9Z"), "someone else's");
    startAndSettle();
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("Speicherplatz.txt.k3Xq9Z"))));
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("notes.txt.k3Xq9Z"))));

    // A service user whose state folder cannot be made, in a folder it may
    // not write: the changes are written in place all the same.
    form->slotFrequency[2] = QStringLiteral("101.10");
    world->platform.stateDir = path(QStringLiteral("no-state/pelora"));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    {
        OrdinaryUser user(dir.path());
        form->close();
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")).split('\n')[1], "\"101.10\"\r");
}

TEST_F(FileFaultTest, FileThatCannotBeWrittenKeepsItsContentsAndTheUserIsTold)
{
    startAndSettle();
    const QByteArray slots = readFile(QStringLiteral("Speicherplatz.txt"));
    form->slotFrequency[2] = QStringLiteral("101.10");
    // The fallback station " 4", picked on the configuration panel by keys.
    showConfig();
    input->focus(form->Ausweichsender);
    input->key(Qt::Key_Home);
    for (int i = 0; i < 3; ++i)
        input->key(Qt::Key_Down);
    QFile::setPermissions(path(QStringLiteral("Speicherplatz.txt")), QFile::ReadOwner);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    {
        OrdinaryUser user(dir.path());
        form->close();
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), slots);
    EXPECT_TRUE(readFile(QStringLiteral("config.dat")).startsWith("1,1,,,,,,,,,,1,3\r\n"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.contains(QStringLiteral("Speicherplatz.txt")));
    EXPECT_TRUE(messages()[0].text.contains(QStringLiteral("bleibt erhalten")));
    // The system's reason in the message's language.
    EXPECT_TRUE(messages()[0].text.contains(QStringLiteral("(keine Berechtigung)"))) << messages()[0].text.toStdString();
    EXPECT_FALSE(messages()[0].text.contains(QStringLiteral("config.dat")));
}

TEST_F(FileFaultTest, InPlaceSaveThatFailsPutsTheOldContentsBack)
{
    startAndSettle();
    const QByteArray slots = readFile(QStringLiteral("Speicherplatz.txt"));
    form->slotFrequency[23] = QStringLiteral("101.10");  // empty until now: the file grows
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    bool saved = true;
    {
        OrdinaryUser user(dir.path());
        FileSizeLimit full(rlim_t(slots.size()) + 2);
        saved = form->saveConfiguration();
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), slots);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.contains(QStringLiteral("Speicherplatz.txt")));
    EXPECT_TRUE(messages()[0].text.contains(QStringLiteral("bleibt erhalten")));
}

TEST_F(FileFaultTest, InPlaceSaveKilledHalfWayIsUndoneAtTheNextStart)
{
    startAndSettle();
    const QByteArray slots = readFile(QStringLiteral("Speicherplatz.txt"));
    for (int i = 1; i <= 30; ++i)
        form->slotFrequency[i] = QStringLiteral("ein Text, der die Datei auf ein Vielfaches wachsen lässt");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    int status = 0;
    {
        OrdinaryUser user(dir.path());
        const pid_t child = fork();
        if (child == 0) {
            // The kernel kills the save once the file passes the limit,
            // half-way through the new contents.
            std::signal(SIGXFSZ, SIG_DFL);
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = rlim_t(slots.size()) + 600;
            setrlimit(RLIMIT_FSIZE, &limit);
            form->saveConfiguration();
            _exit(0);
        }
        ASSERT_EQ(waitpid(child, &status, 0), child);
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(WTERMSIG(status), SIGXFSZ);
    ASSERT_NE(readFile(QStringLiteral("Speicherplatz.txt")), slots);  // cut short

    form.reset();
    ASSERT_TRUE(start());
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), slots);
    EXPECT_EQ(form->slotFrequency[1], QStringLiteral(" 87.90"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, QStringLiteral("Die Datei Speicherplatz.txt wurde beim letzten Speichern unterbrochen "
                                                 "und war unvollständig. Ihr vorheriger Inhalt wurde wiederhergestellt."));
    // Once only.
    form.reset();
    ASSERT_TRUE(start());
    EXPECT_TRUE(messages().empty());
}

TEST_F(FileFaultTest, SaveNeverWritesThroughALinkToSomethingElse)
{
    // A link that leads to a pipe now (it could as well be a device): the
    // save must leave it alone, not put a regular file in its place.
    startAndSettle();
    const QString fifo = path(QStringLiteral("fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("Speicherplatz.txt"))));
    ASSERT_TRUE(QFile::link(fifo, path(QStringLiteral("Speicherplatz.txt"))));
    form->close();
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.contains(QStringLiteral("Speicherplatz.txt"))) << messages()[0].text.toStdString();
    EXPECT_FALSE(readFile(QStringLiteral("config.dat")).isEmpty());  // the other file is saved
}

// The session manager's request to save: the files as at a close, nothing
// more. The window stays and the line stays open (a session save or a
// cancelled logout goes on with the program); a failure is shown only when
// the session manager allows it.
TEST_F(FileFaultTest, SessionSaveRequestSavesAndTheWindowStays)
{
    startAndSettle();
    int closes = 0;
    platform::QuitRequests quit(
        [&] {
            ++closes;
            form->close();
        },
        [&](const auto &allowsInteraction) { form->saveForSession(allowsInteraction); });
    click(form->verkleinern);  // the user shrinks the window
    int asked = 0;
    quit.commitData([&] { return ++asked, false; });
    run(1.0);
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(world->serial->isOpen());
    EXPECT_TRUE(readFile(QStringLiteral("config.dat")).startsWith("1,1,,,,,,,,,,0,10\r\n"));
    EXPECT_EQ(asked, 0);  // nothing to show: not asked

    QFile::setPermissions(path(QStringLiteral("Speicherplatz.txt")), QFile::ReadOwner);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    {
        OrdinaryUser user(dir.path());
        quit.commitData([&] { return ++asked, false; });
        EXPECT_TRUE(messages().empty());
        quit.commitData([&] { return ++asked, true; });
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.contains(QStringLiteral("Speicherplatz.txt")));
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(form->isVisible());
}
