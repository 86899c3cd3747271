// pelora-sim: the hi-fi system on a pseudo-terminal, linked as <dir>/COM<n>
// so that pelora finds it like a serial port.

#include "model/device_model.h"
#include "model/pty_line.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char *const usage =
    "Usage: pelora-sim [options]\n"
    "Simulates the Ondal Sonvera hi-fi system on a pseudo-terminal at 300 baud and\n"
    "links it as <dir>/COM<n>, where pelora looks for its serial port.\n"
    "\n"
    "  --dir DIR        directory for the COM link (default: the one pelora reads:\n"
    "                   the directory of this program for a build, or\n"
    "                   ~/.local/share/pelora for an installed program)\n"
    "  --port N         port number n of the link COM<n> (default 1)\n"
    "  --log FILE       append the log to FILE instead of standard output\n"
    "  --slots FILE     load the 30 memory slots from FILE (Speicherplatz.txt form:\n"
    "                   30 quoted frequencies); default: <dir>/Speicherplatz.txt if\n"
    "                   it is there, else the installed sample, else built-in\n"
    "                   stations\n"
    "  --source NAME    start on this source: tv, fm, am, tape1, tape2, phono or cd\n"
    "                   (default fm)\n"
    "  --silent         device switched off: hears nothing, answers nothing\n"
    "                   (SIGUSR1 switches it on and off while running;\n"
    "                   SIGUSR2 turns its source knob: CD, or FM when on CD)\n"
    "  --stop-after N   send only the first N characters of every answer\n"
    "  --garbage[=MODE] spoil the answers: 'replace' every character by a random\n"
    "                   byte (the default), or slip random 'noise' bytes in\n"
    "  --delay MS       answer MS milliseconds later than usual (a slow device; the\n"
    "                   answer normally begins 50 ms after the request has arrived)\n"
    "  --spoil SLOT     line noise: one character of the frequency arrives as '?'\n"
    "                   in every answer while memory slot SLOT is tuned (repeatable)\n"
    "  --seed N         seed of the random bytes of --garbage\n"
    "  --help           show this text\n"
    "\n"
    "Every code received is logged with a time stamp, and every answer sent.\n"
    "The link is removed when the program ends (SIGINT, SIGTERM, SIGHUP). An\n"
    "existing COM<n> is only replaced when it is a stale link of pelora-sim.\n";

int signalPipe[2] = {-1, -1};

void onSignal(int sig)
{
    const char c = sig == SIGUSR1 ? 'u' : sig == SIGUSR2 ? 's' : 'q';
    const int saved = errno;
    [[maybe_unused]] auto n = write(signalPipe[1], &c, 1);
    errno = saved;
}

struct Options {
    std::string dir;
    int port = 1;
    std::string logFile;
    std::string slotsFile;
    bool silent = false;
    sim::Source source = sim::Source::Tuner;
    sim::Band band = sim::Band::Fm;
    long stopAfter = -1;
    sim::Garbage garbage = sim::Garbage::None;
    long delayMs = 0;
    unsigned long seed = 0;
    bool seeded = false;
    std::vector<int> spoiled;
};

bool parseNumber(const char *text, long lowest, long highest, long &out)
{
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno || !end || *end || end == text || v < lowest || v > highest)
        return false;
    out = v;
    return true;
}

std::string programDir(const char *argv0)
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string path;
    if (n > 0) {
        path.assign(buf, std::size_t(n));
    } else if (realpath(argv0, buf)) {
        path = buf;
    } else {
        return ".";
    }
    const auto slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether dir holds name in any letter case, as pelora finds its files.
bool hasFile(const std::string &dir, const std::string &name)
{
    DIR *d = opendir(dir.c_str());
    if (!d)
        return false;
    bool found = false;
    while (const dirent *e = readdir(d)) {
        if (std::strlen(e->d_name) == name.size() &&
            std::equal(name.begin(), name.end(), e->d_name, [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            })) {
            found = true;
            break;
        }
    }
    closedir(d);
    return found;
}

// Where an installed pelora keeps its data files: Qt's AppDataLocation for
// an application named "pelora" with no organisation.
std::string userDataDir()
{
    if (const char *xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return std::string(xdg) + "/pelora";
    std::string home;
    if (const char *h = std::getenv("HOME"); h && *h)
        home = h;
    else if (const passwd *pw = getpwuid(getuid()))
        home = pw->pw_dir;
    return home + "/.local/share/pelora";
}

bool makePath(const std::string &path)
{
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            const std::string part = path.substr(0, i);
            if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
                return false;
        }
    }
    return true;
}

// The directory pelora reads, decided as pelora decides it: beside the
// program when its config.dat is there, or when there are no installed
// samples in ../share/pelora; else the user's data directory.
struct Layout {
    std::string dataDir;
    std::string samplesDir;  // empty unless installed
};

Layout pelorasLayout(const std::string &programDir)
{
    const std::string samples = programDir + "/../share/pelora";
    if (hasFile(programDir, "config.dat") || !hasFile(samples, "config.dat"))
        return {programDir, {}};
    return {userDataDir(), samples};
}

// Returns 0 to go on, or the exit code.
int parseOptions(int argc, char **argv, Options &o)
{
    auto fail = [](const std::string &msg) {
        std::fprintf(stderr, "pelora-sim: %s\nTry 'pelora-sim --help'.\n", msg.c_str());
        return 2;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char *) -> const char * { return i + 1 < argc ? argv[++i] : nullptr; };
        long n = 0;
        if (a == "--help" || a == "-h") {
            std::fputs(usage, stdout);
            return -1;
        } else if (a == "--dir") {
            const char *v = value("--dir");
            if (!v)
                return fail("--dir needs a directory");
            o.dir = v;
        } else if (a == "--port") {
            const char *v = value("--port");
            if (!v || !parseNumber(v, 1, 255, n))
                return fail("--port needs a number from 1 to 255");
            o.port = int(n);
        } else if (a == "--log") {
            const char *v = value("--log");
            if (!v)
                return fail("--log needs a file name");
            o.logFile = v;
        } else if (a == "--slots") {
            const char *v = value("--slots");
            if (!v)
                return fail("--slots needs a file name");
            o.slotsFile = v;
        } else if (a == "--source") {
            const char *v = value("--source");
            const std::string name = v ? v : "";
            struct Named {
                const char *name;
                sim::Source source;
                sim::Band band;
            };
            static const Named sources[] = {
                {"tv", sim::Source::Tv, sim::Band::Fm},       {"fm", sim::Source::Tuner, sim::Band::Fm},
                {"am", sim::Source::Tuner, sim::Band::Am},    {"tape1", sim::Source::Tape1, sim::Band::Fm},
                {"tape2", sim::Source::Tape2, sim::Band::Fm}, {"phono", sim::Source::Phono, sim::Band::Fm},
                {"cd", sim::Source::Cd, sim::Band::Fm},
            };
            bool known = false;
            for (const Named &n : sources)
                if (name == n.name) {
                    o.source = n.source;
                    o.band = n.band;
                    known = true;
                }
            if (!known)
                return fail("--source needs tv, fm, am, tape1, tape2, phono or cd");
        } else if (a == "--silent") {
            o.silent = true;
        } else if (a == "--stop-after") {
            const char *v = value("--stop-after");
            if (!v || !parseNumber(v, 0, 1000, o.stopAfter))
                return fail("--stop-after needs a number of characters");
        } else if (a == "--garbage" || a == "--garbage=replace") {
            o.garbage = sim::Garbage::Replace;
        } else if (a == "--garbage=noise") {
            o.garbage = sim::Garbage::Noise;
        } else if (a == "--delay") {
            const char *v = value("--delay");
            if (!v || !parseNumber(v, 0, 600000, o.delayMs))
                return fail("--delay needs milliseconds");
        } else if (a == "--spoil") {
            const char *v = value("--spoil");
            if (!v || !parseNumber(v, 1, 30, n))
                return fail("--spoil needs a slot from 1 to 30");
            o.spoiled.push_back(int(n));
        } else if (a == "--seed") {
            const char *v = value("--seed");
            if (!v || !parseNumber(v, 0, LONG_MAX, n))
                return fail("--seed needs a number");
            o.seed = static_cast<unsigned long>(n);
            o.seeded = true;
        } else {
            return fail("unknown option " + a);
        }
    }
    return 0;
}

std::string readFile(const std::string &path, bool &ok)
{
    std::ifstream in(path, std::ios::binary);
    ok = bool(in);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string printable(const std::string &bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out;
}

class Log {
public:
    explicit Log(std::FILE *f) : f_(f), wallStart_(std::chrono::system_clock::now()) {}
    void line(double t, const std::string &text)
    {
        const auto wall = wallStart_ + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                           std::chrono::duration<double>(t));
        const std::time_t secs = std::chrono::system_clock::to_time_t(wall);
        const int ms = int(std::chrono::duration_cast<std::chrono::milliseconds>(wall.time_since_epoch()).count() % 1000);
        std::tm tm{};
        localtime_r(&secs, &tm);
        std::fprintf(f_, "%02d:%02d:%02d.%03d %10.3f  %s\n", tm.tm_hour, tm.tm_min, tm.tm_sec, ms, t,
                     text.c_str());
        std::fflush(f_);
    }

private:
    std::FILE *f_;
    std::chrono::system_clock::time_point wallStart_;
};

const char *receptionNote(sim::Reception r)
{
    switch (r) {
    case sim::Reception::Acted: return "";
    case sim::Reception::Standby: return "  (ignored: standby)";
    case sim::Reception::Off: return "  (ignored: switched off)";
    case sim::Reception::Unknown: return "  (unknown code)";
    }
    return "";
}

bool processAlive(long pid)
{
    if (pid <= 0 || (kill(pid_t(pid), 0) != 0 && errno == ESRCH))
        return false;
    // A recycled number: only a running pelora-sim counts.
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    if (comm && std::getline(comm, name))
        return name == "pelora-sim";
    return true;
}

std::string linkTarget(const std::string &path)
{
    char buf[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, std::size_t(n)) : std::string();
}

// The link to the pty, and a marker beside it naming the process that owns it.
struct PortLink {
    std::string link, marker, target;

    bool create(std::string &error)
    {
        struct stat st{};
        if (lstat(link.c_str(), &st) == 0) {
            bool ok = false;
            std::string ownTarget;
            long pid = 0;
            if (std::ifstream m{marker}; m >> pid >> ownTarget)
                ok = S_ISLNK(st.st_mode) && linkTarget(link) == ownTarget && !processAlive(pid);
            if (!ok) {
                error = link + " already exists and is not a stale link of pelora-sim; not touching it";
                return false;
            }
            unlink(link.c_str());
        }
        if (symlink(target.c_str(), link.c_str()) != 0) {
            error = "cannot create " + link + ": " + std::strerror(errno);
            return false;
        }
        std::ofstream m(marker, std::ios::trunc);
        m << getpid() << "\n" << target << "\n";
        return true;
    }

    void remove() const
    {
        if (linkTarget(link) == target)
            unlink(link.c_str());
        long pid = 0;
        if (std::ifstream m{marker}; m >> pid && pid == getpid())
            unlink(marker.c_str());
    }
};

}  // namespace

int main(int argc, char **argv)
{
    Options opt;
    if (const int rc = parseOptions(argc, argv, opt))
        return rc < 0 ? 0 : rc;
    const Layout layout = pelorasLayout(programDir(argv[0]));
    if (opt.dir.empty()) {
        opt.dir = layout.dataDir;
        if (!makePath(opt.dir)) {
            std::fprintf(stderr, "pelora-sim: cannot create %s: %s\n", opt.dir.c_str(), std::strerror(errno));
            return 1;
        }
    }

    std::FILE *logFile = stdout;
    if (!opt.logFile.empty() && !(logFile = std::fopen(opt.logFile.c_str(), "a"))) {
        std::fprintf(stderr, "pelora-sim: cannot open %s: %s\n", opt.logFile.c_str(), std::strerror(errno));
        return 1;
    }
    Log log(logFile);

    sim::SlotMemory slots = sim::defaultSlots();
    std::string slotsFrom = "built-in stations";
    {
        const bool given = !opt.slotsFile.empty();
        const std::string path = given ? opt.slotsFile : opt.dir + "/Speicherplatz.txt";
        bool readable = false;
        std::string text = readFile(path, readable);
        std::string from = path;
        if (!readable && !given && !layout.samplesDir.empty()) {
            // Before pelora's first start: the sample it will copy.
            from = layout.samplesDir + "/Speicherplatz.txt";
            text = readFile(from, readable);
        }
        const auto parsed = readable ? sim::parseSlotFile(text) : std::nullopt;
        if (parsed) {
            slots = *parsed;
            slotsFrom = from;
        } else if (given) {
            std::fprintf(stderr, "pelora-sim: %s: %s\n", path.c_str(),
                         readable ? "fewer than 30 slot entries" : std::strerror(errno));
            return 1;
        }
    }

    sim::DeviceModel model(slots);
    model.setSilent(opt.silent);
    model.state().source = opt.source;
    model.state().band = opt.band;
    if (opt.stopAfter >= 0)
        model.setStopAfter(std::size_t(opt.stopAfter));
    model.setGarbage(opt.garbage);
    for (int slot : opt.spoiled)
        model.spoilFrequency(slot);
    model.setExtraDelay(double(opt.delayMs) / 1000.0);
    if (opt.seeded)
        model.setSeed(unsigned(opt.seed));

    std::string error;
    auto pty = sim::openPty(error);
    if (!pty) {
        std::fprintf(stderr, "pelora-sim: %s\n", error.c_str());
        return 1;
    }
    PortLink port{opt.dir + "/COM" + std::to_string(opt.port),
                  opt.dir + "/.COM" + std::to_string(opt.port) + ".pelora-sim", pty->slavePath};

    if (pipe(signalPipe) != 0) {
        std::perror("pelora-sim: pipe");
        return 1;
    }
    for (int fd : signalPipe) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2})
        sigaction(sig, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    if (!port.create(error)) {
        std::fprintf(stderr, "pelora-sim: %s\n", error.c_str());
        sim::closePty(*pty);
        return 1;
    }

    sim::PacedLine line(model, pty->master);
    std::size_t logged = 0, strays = 0;
    line.onByte = [&](char c, double t, const PeerReply &reply) {
        if (model.strayBytes() > strays) {
            strays = model.strayBytes();
            log.line(t, "dropped bytes that form no code (last \"" + printable(std::string(1, c)) + "\", " +
                            std::to_string(strays) + " so far)");
        }
        for (; logged < model.received().size(); ++logged) {
            const auto &r = model.received()[logged];
            log.line(r.time, "received " + printable(r.code) + receptionNote(r.reception));
        }
        if (!reply.bytes.empty()) {
            const double t = model.answers().back().time;
            log.line(t, "answer " + std::to_string(reply.bytes.size()) + " chars after " +
                            std::to_string(int(reply.delay * 1000 + 0.5)) + " ms: \"" +
                            printable(reply.bytes) + "\"");
        }
    };

    log.line(line.now(), port.link + " -> " + pty->slavePath + " (300 baud); slots from " + slotsFrom);
    std::string faults;
    if (opt.silent) faults += " silent";
    if (opt.stopAfter >= 0) faults += " stop-after=" + std::to_string(opt.stopAfter);
    if (opt.garbage == sim::Garbage::Replace) faults += " garbage=replace";
    if (opt.garbage == sim::Garbage::Noise) faults += " garbage=noise";
    if (opt.delayMs) faults += " delay=" + std::to_string(opt.delayMs) + "ms";
    if (!faults.empty())
        log.line(line.now(), "faults:" + faults);

    int rc = 0;
    for (bool running = true; running;) {
        if (const int err = line.run(signalPipe[0])) {
            std::fprintf(stderr, "pelora-sim: %s\n", std::strerror(err));
            rc = 1;
            break;
        }
        char c;
        while (read(signalPipe[0], &c, 1) == 1) {
            if (c == 'q') {
                running = false;
            } else if (c == 's') {
                // A source chosen at the device itself, as a window must learn it.
                auto &st = model.state();
                st.source = st.source == sim::Source::Cd ? sim::Source::Tuner : sim::Source::Cd;
                if (st.source == sim::Source::Tuner)
                    st.band = sim::Band::Fm;
                log.line(line.now(), st.source == sim::Source::Cd ? "source knob: CD" : "source knob: FM");
            } else {
                model.setSilent(!model.silent());
                log.line(line.now(), model.silent() ? "switched off (silent)" : "switched on");
            }
        }
    }
    log.line(line.now(), "ending; removing " + port.link);
    port.remove();
    sim::closePty(*pty);
    if (logFile != stdout)
        std::fclose(logFile);
    return rc;
}
