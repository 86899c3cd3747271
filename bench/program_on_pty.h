#pragma once
// One run of the built program in a directory of its own: the sample data
// files, a copy of pelora (or of $PELORA_BENCH_PROGRAM), and COM1 linked to a fresh pseudo-terminal whose
// far end the bench holds as `master`.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

// A TCP port on 127.0.0.1 that nothing listens on just now (a broker's).
inline int freePort()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
    getsockname(s, reinterpret_cast<sockaddr *>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

struct ProgramOnPty {
    QTemporaryDir dir;
    QByteArray program;
    int master = -1;
    int keep = -1;  // holds the line open while the program is not attached yet

    ProgramOnPty()
    {
        for (const char *name : {"config.dat", "Speicherplatz.txt", "Sendername.txt"})
            QFile::copy(QStringLiteral(PELORA_SOURCE_DIR "/data/") + QLatin1String(name),
                        QDir(dir.path()).filePath(QLatin1String(name)));
        const QString path = QDir(dir.path()).filePath(QStringLiteral("pelora"));
        // PELORA_BENCH_PROGRAM measures another build of the program (an older one, say).
        const QByteArray other = qgetenv("PELORA_BENCH_PROGRAM");
        QFile::copy(other.isEmpty() ? QStringLiteral(PELORA_BINARY_DIR "/pelora") : QString::fromLocal8Bit(other), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        program = path.toLocal8Bit();

        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master);
        unlockpt(master);
        QFile::link(QString::fromLocal8Bit(ptsname(master)), QDir(dir.path()).filePath(QStringLiteral("COM1")));
        keep = open(ptsname(master), O_RDWR | O_NOCTTY);
    }
    ~ProgramOnPty()
    {
        close(keep);
        close(master);
    }
    ProgramOnPty(const ProgramOnPty &) = delete;
    ProgramOnPty &operator=(const ProgramOnPty &) = delete;
};
